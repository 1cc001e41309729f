// The application's side of the conversation with the instrument: patch selection,
// program changes, bank loading and the device checks. This file is the seam where
// the device link joins the application; until it does, nothing is sent.
#include "app/App.h"

void App::SelectPatch(int, int) {}

void App::SendProgramChange(int, int) {}

void App::LoadBank(int) {}

bool App::CheckDevice(bool) {
    if (midiPort == nullptr) {
        ShowStatus("Error: MIDI Device not responding");
        return false;
    }
    return false;
}

// The device link sends the message through the MIDI output port.
void App::SendMidi(const std::vector<uint8_t>&) {}
