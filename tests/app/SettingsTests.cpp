// The settings in the registry: what a save writes and a load reads back, names of any
// text and length, values a hand edit may spoil, placements off every monitor.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kTestKey[] = L"Software\\Quillmer\\TavrenSettingsTest";

class SettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        settings.keyPath = kTestKey;
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }

    void Write(const wchar_t* name, DWORD type, std::vector<BYTE> data) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    void WriteNumber(const wchar_t* name, LONG v) { Write(name, REG_DWORD, Dword(v)); }
    static std::vector<BYTE> Dword(LONG v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }
    Settings& Loaded() {
        loaded.keyPath = kTestKey;
        loaded.Load();
        return loaded;
    }

    Settings settings, loaded;
    const RECT monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; // the primary
};

// Every number with its default and another value to store.
const struct {
    const wchar_t* name;
    int Settings::*member;
    int defaultValue, other;
} kFields[] = {
    {L"InitX", &Settings::InitX, CW_USEDEFAULT, 10},
    {L"InitY", &Settings::InitY, CW_USEDEFAULT, 20},
    {L"InitW", &Settings::InitW, 800, 900},
    {L"InitH", &Settings::InitH, 600, 700},
    {L"KnobMode", &Settings::KnobMode, 0, 1},
    {L"DynamicScale", &Settings::DynamicScale, 1, 0},
    {L"CmdShow", &Settings::CmdShow, SW_SHOWNORMAL, SW_SHOWMAXIMIZED},
    {L"UpdateCheck", &Settings::UpdateCheck, 1, 0},
    {L"EchoMIDI", &Settings::EchoMIDI, 0, 1},
    {L"RolloverTooltips", &Settings::RolloverTooltips, 1, 0},
    {L"ModifyValueTooltips", &Settings::ModifyValueTooltips, 1, 0},
};

TEST_F(SettingsTest, DefaultsStandWithoutAKeyAndEveryValueAndNameSurvivesASaveAndALoad) {
    for (const auto& f : kFields)
        settings.*f.member = f.other;
    settings.MIDIInDevice = "old";
    settings.Load();
    for (const auto& f : kFields)
        EXPECT_EQ(settings.*f.member, f.defaultValue) << f.name;
    EXPECT_EQ(settings.MIDIInDevice, "");

    for (const auto& f : kFields)
        settings.*f.member = f.other;
    const std::string names[] = {
        "Port In", "Gerät シンセ USB MIDI",
        "Port \xF0\x9F\x8E\xB9 with a keyboard",                 // outside the basic plane (a surrogate pair)
        "A" + std::string(70, 'x') + "ü" + std::string(40, 'y'), // longer than 63 characters
    };
    for (const std::string& name : names) {
        settings.MIDIInDevice = name;
        settings.MIDIOutDevice = name + " out";
        settings.Save();
        const Settings& reloaded = Loaded();
        for (const auto& f : kFields)
            EXPECT_EQ(reloaded.*f.member, f.other) << f.name;
        EXPECT_EQ(reloaded.MIDIInDevice, name);
        EXPECT_EQ(reloaded.MIDIOutDevice, name + " out");
        EXPECT_TRUE(reloaded.placementOnMonitor);
    }
    // Numbers are DWORDs; text is stored with its terminating zero.
    DWORD type = 0, size = 0;
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"CmdShow", RRF_RT_ANY, &type, nullptr, &size);
    EXPECT_EQ(std::make_pair(type, size), std::make_pair(DWORD(REG_DWORD), DWORD(4)));
    settings.MIDIInDevice = "Port In";
    settings.Save();
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"MIDIInDevice", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                 &size);
    EXPECT_EQ(std::make_pair(type, size), std::make_pair(DWORD(REG_SZ), DWORD(16)));

    // A key that cannot be created leaves the previous values and says nothing.
    Settings failing;
    failing.keyPath = std::wstring(kTestKey) + L"\\" + std::wstring(300, L'k');
    failing.InitW = 1;
    failing.Save();
    EXPECT_EQ(Loaded().InitW, 900);
}

// Values of the wrong type or size, as a hand edit or another program may leave them:
// each keeps its default, and the good values around them are still read.
TEST_F(SettingsTest, CorruptValuesKeepTheirDefaultsAndLoseNothingElse) {
    auto text = [](const std::wstring& t) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(t.data());
        return std::vector<BYTE>(bytes, bytes + t.size() * sizeof(wchar_t));
    };
    Write(L"InitX", REG_DWORD, Dword(monitor.left + 5));
    Write(L"InitY", REG_BINARY, Dword(monitor.top + 5)); // four bytes are a number of either type
    Write(L"InitW", REG_SZ, text(std::wstring(L"1234", 5)));
    Write(L"InitH", REG_BINARY, {0x10, 0x00});
    Write(L"KnobMode", REG_SZ, text(std::wstring(L"1", 2))); // four bytes of text, no number
    Write(L"MIDIInDevice", REG_DWORD, Dword(7));
    Write(L"MIDIOutDevice", REG_SZ, text(L"Port B")); // without its terminating zero
    Write(L"RolloverTooltips", REG_BINARY, std::vector<BYTE>(200 * 1024, 0));
    settings.Load();
    EXPECT_EQ(std::make_pair(settings.InitX, settings.InitY),
              std::make_pair(int(monitor.left) + 5, int(monitor.top) + 5));
    EXPECT_EQ(std::make_pair(settings.InitW, settings.InitH), std::make_pair(800, 600));
    EXPECT_EQ(settings.KnobMode, 0);
    EXPECT_EQ(settings.MIDIInDevice, "");
    EXPECT_EQ(settings.MIDIOutDevice, "Port B");
    EXPECT_EQ(settings.RolloverTooltips, 1);
}

// A position on a monitor, its right and bottom edges included, keeps its place and
// size; one off every monitor opens large at the default place.
TEST_F(SettingsTest, APositionOffEveryMonitorOpensLargeAtTheDefaultPlace) {
    WriteNumber(L"InitW", 640);
    WriteNumber(L"InitH", 480);
    const struct {
        LONG x, y;
        bool on;
    } places[] = {
        {monitor.right, monitor.bottom, true},
        {monitor.right, monitor.top, true},
        {monitor.left, monitor.bottom, true},
        {monitor.left, monitor.top, true},
        {monitor.right + 1, monitor.top, false},
        {monitor.right + 500, monitor.top + 10, false},
        {-3000, 0, false},
        {0x7FFFFFFF, 0, false},
        {LONG(0x80000000), 0, false},
    };
    for (const auto& p : places) {
        WriteNumber(L"InitX", p.x);
        WriteNumber(L"InitY", p.y);
        settings.Load();
        EXPECT_EQ(settings.placementOnMonitor, p.on) << p.x << "," << p.y;
        EXPECT_EQ(settings.InitX, p.on ? p.x : CW_USEDEFAULT) << p.x << "," << p.y;
        EXPECT_EQ(settings.InitY, p.on ? p.y : CW_USEDEFAULT) << p.x << "," << p.y;
        EXPECT_EQ(std::make_pair(settings.InitW, settings.InitH),
                  p.on ? std::make_pair(640, 480) : std::make_pair(1280, 800))
            << p.x << "," << p.y;
    }
}

} // namespace
