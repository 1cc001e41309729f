// The menu commands that need no MIDI, given to a main window as the menu gives them.
#include "app/Settings.h"
#include "controls/MainPanel.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsChecked(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(MainWindowTest, TheOptionTogglesFlipTheirSettingAndCheckMark) {
    const struct {
        UINT command;
        int Settings::*setting;
    } cases[] = {{IDM_ROTARY_KNOBS, &Settings::KnobMode}, {IDM_DYNAMIC_SCALING, &Settings::DynamicScale}};
    Open();
    for (const auto& c : cases) {
        int& setting = GetSettings().*c.setting;
        const int first = setting;
        for (int expected : {1 - first, first}) {
            SendMessageW(window, WM_COMMAND, c.command, 0);
            EXPECT_EQ(setting, expected) << c.command;
            EXPECT_EQ(IsChecked(app->mainMenu, c.command), expected == 1) << c.command;
        }
    }
}

// The shell opens web pages with the command registered for https; while it lives,
// the test registers one that writes the page's address into the registry instead of
// starting a browser. (Wine reads the machine's registration, not the user's.)
class HttpsHandler {
  public:
    HttpsHandler() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kResultKey);
        DWORD size = sizeof(previous);
        RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, previous, &size);
        Register(L"reg.exe add HKCU\\" + std::wstring(kResultKey) + L" /v Opened /d \"%1\" /f");
    }
    HttpsHandler(const HttpsHandler&) = delete;
    HttpsHandler& operator=(const HttpsHandler&) = delete;
    ~HttpsHandler() {
        Register(previous);
        RegDeleteTreeW(HKEY_CURRENT_USER, kResultKey);
    }

    // The address opened, once the handler has run.
    std::wstring Opened() const {
        wchar_t page[256] = L"";
        PumpUntil(
            [&page] {
                DWORD size = sizeof(page);
                return RegGetValueW(HKEY_CURRENT_USER, kResultKey, L"Opened", RRF_RT_REG_SZ, nullptr, page,
                                    &size) == ERROR_SUCCESS;
            },
            15000);
        return page;
    }

  private:
    static void Register(const std::wstring& command) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }

    wchar_t previous[512] = L"";
    static constexpr wchar_t kCommandKey[] = L"https\\shell\\open\\command";
    static constexpr wchar_t kResultKey[] = L"Software\\Quillmer\\TavrenTestShell";
};

TEST_F(MainWindowTest, DynamicScreenScalingTakesEffectAtOnce) {
    Open();
    const MainPanel* panel = app->engine->panel;
    RECT client;
    GetClientRect(window, &client);
    ASSERT_EQ(panel->currentWidth, client.right); // scaled to the window, as the settings start
    SendMessageW(window, WM_COMMAND, IDM_DYNAMIC_SCALING, 0);
    EXPECT_EQ(panel->currentWidth, panel->naturalWidth);
    SendMessageW(window, WM_COMMAND, IDM_DYNAMIC_SCALING, 0);
    EXPECT_EQ(panel->currentWidth, client.right);
}

TEST_F(MainWindowTest, MoreInfoOpensTheProgramsWebPageWithTheShell) {
    HttpsHandler handler;
    Open();
    SendMessageW(window, WM_COMMAND, IDM_MORE_INFO, 0);
    EXPECT_EQ(handler.Opened(), L"https://www.quillmer.example/tavren");
}

} // namespace
