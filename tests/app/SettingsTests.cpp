// The settings in the registry: what a save writes and a load reads back, names of any
// text and length, values a hand edit may spoil, placements off every monitor.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

const wchar_t kTestKey[] = L"Software\\Quillmer\\TavrenSettingsTest";

class SettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        settings.keyPath = loaded.keyPath = kTestKey;
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }

    static void Write(const wchar_t* name, DWORD type, std::vector<BYTE> data) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, name, type, data.data(), DWORD(data.size())),
                  0);
    }
    static std::vector<BYTE> Dword(LONG v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

    Settings settings, loaded;
    const RECT monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; // the primary
};

std::vector<int*> Numbers(Settings& s) {
    // clang-format off
    return {&s.InitX, &s.InitY, &s.InitW, &s.InitH, &s.KnobMode, &s.DynamicScale, &s.CmdShow, &s.UpdateCheck,
            &s.EchoMIDI, &s.RolloverTooltips, &s.ModifyValueTooltips};
    // clang-format on
}

TEST_F(SettingsTest, EveryValueAndNamesOfAnyTextAndLengthSurviveASaveAndALoad) {
    const std::string names[] = {
        "Gerät シンセ USB MIDI",
        "Port \xF0\x9F\x8E\xB9 with a keyboard",                 // outside the basic plane (a surrogate pair)
        "A" + std::string(70, 'x') + "ü" + std::string(40, 'y'), // longer than 63 characters
    };
    for (const std::string& name : names) {
        for (size_t i = 0; i < Numbers(settings).size(); ++i)
            *Numbers(settings)[i] = static_cast<int>(10 + i);
        settings.MIDIInDevice = name;
        settings.MIDIOutDevice = name + " out";
        settings.Save();
        loaded.Load();
        for (size_t i = 0; i < Numbers(loaded).size(); ++i)
            EXPECT_EQ(*Numbers(loaded)[i], static_cast<int>(10 + i)) << i;
        EXPECT_EQ(loaded.MIDIInDevice, name);
        EXPECT_EQ(loaded.MIDIOutDevice, name + " out");
    }
    // A key that cannot be created leaves the previous values and says nothing.
    Settings failing;
    failing.keyPath = std::wstring(kTestKey) + L"\\" + std::wstring(300, L'k');
    failing.InitW = 1;
    failing.Save();
    loaded.Load();
    EXPECT_EQ(loaded.InitW, 12);
}

// A position on a monitor, its right and bottom edges included, keeps its place and size;
// one off every monitor opens large at the default place. A value a hand edit spoiled
// keeps its default and costs the others nothing.
TEST_F(SettingsTest, APositionOffEveryMonitorOpensLargeAtTheDefaultPlace) {
    Write(L"KnobMode", REG_SZ, {'1', 0, '2', 0, 0, 0});
    Write(L"MidiChannel", REG_DWORD, Dword(17)); // channels are 1 to 16
    Write(L"InitW", REG_DWORD, Dword(640));
    Write(L"InitH", REG_DWORD, Dword(480));
    const struct {
        LONG x, y;
        bool on;
    } places[] = {{monitor.right, monitor.bottom, true},
                  {monitor.left, monitor.top, true},
                  {monitor.right + 1, monitor.top, false},
                  {-3000, 0, false},
                  {0x7FFFFFFF, 0, false},
                  {LONG(0x80000000), 0, false}};
    for (const auto& p : places) {
        Write(L"InitX", REG_DWORD, Dword(p.x));
        Write(L"InitY", REG_DWORD, Dword(p.y));
        settings.Load();
        EXPECT_EQ(settings.placementOnMonitor, p.on) << p.x << "," << p.y;
        EXPECT_EQ(settings.KnobMode, 0);
        EXPECT_EQ(settings.MidiChannel, 1);
        const std::vector<int> expected = p.on ? std::vector<int>{p.x, p.y, 640, 480}
                                               : std::vector<int>{CW_USEDEFAULT, CW_USEDEFAULT, 1280, 800};
        EXPECT_EQ((std::vector<int>{settings.InitX, settings.InitY, settings.InitW, settings.InitH}),
                  expected)
            << p.x << "," << p.y;
    }
}

} // namespace
