#include "controls/SharedWork.h"

#include <atomic>

// The worker kept for all work: made with the first, then waiting for the next. It
// lives as long as the program.
struct KeptWorker {
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr); // work is given
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr); // the work given is done
    std::atomic<bool> busy{false};                              // never cleared when it could not be made
    SharedWork* work = nullptr;
};

DWORD WINAPI SharedWork::KeepWorking(void* kept) {
    auto* self = static_cast<KeptWorker*>(kept);
    for (;;) {
        WaitForSingleObject(self->wake, INFINITE);
        self->work->Run(0);
        SetEvent(self->done);
    }
}

SharedWork::SharedWork(std::vector<Task> work, bool finisherHelps)
    : tasks(std::make_move_iterator(work.begin()), std::make_move_iterator(work.end())),
      helps(finisherHelps) {
    if (tasks.empty())
        return;
    static KeptWorker* const worker = [] {
        auto* made = new KeptWorker;
        HANDLE started =
            made->wake && made->done ? CreateThread(nullptr, 0, KeepWorking, made, 0, nullptr) : nullptr;
        if (started)
            CloseHandle(started);
        else
            made->busy = true;
        return made;
    }();
    if (!worker->busy.exchange(true)) {
        worker->work = this;
        kept = worker;
        SetEvent(worker->wake);
        return;
    }
    thread = CreateThread(nullptr, 0, Work, this, 0, nullptr);
}

SharedWork::~SharedWork() {
    Drop();
    Finish();
}

DWORD WINAPI SharedWork::Work(void* self) {
    static_cast<SharedWork*>(self)->Run(0);
    return 0;
}

void SharedWork::Run(int lane) {
    for (;;) {
        AcquireSRWLockExclusive(&lock);
        Task* task = next < tasks.size() ? &tasks[next++] : nullptr;
        ReleaseSRWLockExclusive(&lock);
        if (!task)
            return;
        (*task)(lane);
    }
}

void SharedWork::Add(std::vector<Task> more) {
    AcquireSRWLockExclusive(&lock);
    for (Task& task : more)
        tasks.push_back(std::move(task));
    ReleaseSRWLockExclusive(&lock);
}

void SharedWork::Finish() {
    if (!kept && !thread) {
        Run(0);
        return;
    }
    if (helps)
        Run(1);
    if (kept) {
        WaitForSingleObject(kept->done, INFINITE);
        kept->work = nullptr;
        kept->busy = false;
        kept = nullptr;
    } else {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    // What was added after the worker stopped.
    Run(helps ? 1 : 0);
}

void SharedWork::Drop() {
    AcquireSRWLockExclusive(&lock);
    next = tasks.size();
    ReleaseSRWLockExclusive(&lock);
}
