#pragma once

#include "app/IHost.h"

#include <string>
#include <utility>
#include <vector>

// An IHost that records the value changes and status lines that the code under test
// reports, for tests of controls, parameters and the MIDI port without an App.
class FakeHost : public IHost {
  public:
    virtual ~FakeHost() {
        for (HFONT font : fonts)
            DeleteObject(font);
    }

    HWND GetHwnd() override { return nullptr; }
    void ControlChanged(int id, int value) override { changes.emplace_back(id, value); }
    void ShowStatus(std::string text) override { statusLines.push_back(std::move(text)); }
    HFONT GetSmallFont() override { return fonts[0]; }
    HFONT GetMediumFont() override { return fonts[1]; }
    HFONT GetLargeFont() override { return fonts[2]; }
    void SelectPatch(int, int) override {}
    void SendProgramChange(int, int) override {}
    PatchBank* GetPatchBank() override { return nullptr; }

    std::vector<std::pair<int, int>> changes;
    std::vector<std::string> statusLines;

  private:
    static HFONT Arial(int height) {
        return CreateFontW(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
    }
    HFONT fonts[3] = {Arial(14), Arial(18), Arial(22)};
};
