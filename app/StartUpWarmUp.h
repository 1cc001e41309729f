#pragma once

#include <windows.h>

// Work that the first paint and the first MIDI set-up would otherwise wait for, done on
// a thread of its own while the main window and the front panel are made.
class StartUpWarmUp {
  public:
    StartUpWarmUp(); // starts the thread; without one there is simply no warm-up
    ~StartUpWarmUp();
    StartUpWarmUp(const StartUpWarmUp&) = delete;
    StartUpWarmUp& operator=(const StartUpWarmUp&) = delete;

    // Returns when the thread has ended. The MIDI library must not be called before.
    void Wait();

  private:
    HANDLE thread = nullptr;
};
