#include "app/StartUpWarmUp.h"

#include <mmsystem.h>

namespace {

// Wine keeps up to 64 device contexts for reuse, and makes a new one, at about a
// millisecond each, whenever fewer are kept: the first paint of the sixty windows of the
// front panel would make sixty. Taken and given back here, they are kept, and ready.
constexpr int kCachedDeviceContexts = 64;

DWORD WINAPI WarmUp(void*) {
    HDC contexts[kCachedDeviceContexts];
    for (HDC& context : contexts)
        context = GetDC(nullptr);
    for (HDC context : contexts) {
        if (context != nullptr)
            ReleaseDC(nullptr, context);
    }
    // The first call loads the system's MIDI drivers. It must not meet a second call
    // on another thread: Wine's winmm counts the ports of a driver still loading as none.
    midiInGetNumDevs();
    return 0;
}

} // namespace

StartUpWarmUp::StartUpWarmUp() : thread(CreateThread(nullptr, 0, WarmUp, nullptr, 0, nullptr)) {}

StartUpWarmUp::~StartUpWarmUp() {
    Wait();
}

void StartUpWarmUp::Wait() {
    if (thread == nullptr)
        return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
}
