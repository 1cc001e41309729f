#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <vector>

struct KeptWorker;

// Tasks done by two threads at once: a worker thread, woken with the first tasks, and
// the thread that finishes the work, once it has done its own meanwhile. Each task is
// taken once, in order, by whichever thread is free, and is told which one runs it:
// lane 0 the worker, lane 1 the finishing thread. A task draws from bitmaps of its
// lane's own, as GDI+ draws a bitmap on one thread at a time. The worker is kept from
// one piece of work to the next (under Wine a thread took over half a millisecond to
// start and end); work given while it is busy gets a thread of its own.
class SharedWork {
  public:
    using Task = std::function<void(int lane)>;

    // finisherHelps: whether Finish takes tasks too (they then need bitmaps of lane
    // 1), or only waits. Without a worker thread, Finish does every task in lane 0.
    SharedWork(std::vector<Task> work, bool finisherHelps);
    ~SharedWork(); // drops the tasks not yet begun and waits for the worker
    SharedWork(const SharedWork&) = delete;
    SharedWork& operator=(const SharedWork&) = delete;

    // Adds tasks after those given; the worker takes them unless it has stopped
    // already, having found nothing left to do.
    void Add(std::vector<Task> more);
    // Returns once every task is done.
    void Finish();
    // Drops the tasks not yet begun: the worker stops after its current one.
    void Drop();

  private:
    static DWORD WINAPI Work(void* self);        // a thread of its own
    static DWORD WINAPI KeepWorking(void* kept); // the kept worker
    void Run(int lane);

    SRWLOCK lock = SRWLOCK_INIT;
    std::deque<Task> tasks; // a task added does not move those being done
    size_t next = 0;        // the first task not yet taken
    bool helps;
    KeptWorker* kept = nullptr; // the kept worker, when it has the work
    HANDLE thread = nullptr;    // or a thread of its own
};
