#include "controls/SharedWork.h"

SharedWork::SharedWork(std::vector<Task> work, bool finisherHelps)
    : tasks(std::make_move_iterator(work.begin()), std::make_move_iterator(work.end())),
      helps(finisherHelps) {
    if (!tasks.empty())
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
    if (!thread) {
        Run(0);
        return;
    }
    if (helps)
        Run(1);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
    // What was added after the worker stopped.
    Run(helps ? 1 : 0);
}

void SharedWork::Drop() {
    AcquireSRWLockExclusive(&lock);
    next = tasks.size();
    ReleaseSRWLockExclusive(&lock);
}
