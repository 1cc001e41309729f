#pragma once

#include "app/IHost.h"

#include <string>
#include <utility>
#include <vector>

// An IHost that records what the code under test tells the application, for tests
// of controls, parameters and the engine without an App.
class FakeHost : public IHost {
  public:
    FakeHost() = default;
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;
    virtual ~FakeHost() {
        for (HFONT font : fonts)
            DeleteObject(font);
    }

    HWND GetHwnd() override { return hwnd; }
    void ControlChanged(int id, int value) override { changes.emplace_back(id, value); }
    void ShowStatus(std::string text) override { statusLines.push_back(std::move(text)); }
    HFONT GetSmallFont() override { return fonts[0]; }
    HFONT GetMediumFont() override { return fonts[1]; }
    HFONT GetLargeFont() override { return fonts[2]; }
    void SelectPatch(int bank, int program) override { selected.emplace_back(bank, program); }
    void SendProgramChange(int bank, int program) override { programChanges.emplace_back(bank, program); }
    PatchBank* GetPatchBank() override { return patchBank; }

    HWND hwnd = nullptr;
    PatchBank* patchBank = nullptr;
    std::vector<std::pair<int, int>> changes;
    std::vector<std::string> statusLines;
    std::vector<std::pair<int, int>> selected;
    std::vector<std::pair<int, int>> programChanges;

  private:
    static HFONT Arial(int height) {
        return CreateFontW(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
    }
    HFONT fonts[3] = {Arial(14), Arial(18), Arial(22)};
};
