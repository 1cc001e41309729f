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

    void WriteDword(const wchar_t* name, DWORD value) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

    // (type, size) of a stored value; type 0 when it is missing.
    std::pair<DWORD, DWORD> ValueInfo(const wchar_t* name) {
        DWORD type = 0, size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                         &size) != ERROR_SUCCESS)
            return {0, 0};
        return {type, size};
    }

    RECT PrimaryMonitor() {
        RECT r = {};
        EnumDisplayMonitors(
            nullptr, nullptr,
            [](HMONITOR, HDC, LPRECT rect, LPARAM data) -> BOOL {
                *reinterpret_cast<RECT*>(data) = *rect;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&r));
        return r;
    }

    Settings settings;
};

// Every value with its default and another value to store.
struct Field {
    const wchar_t* name;
    int Settings::*member;
    int defaultValue;
    int other;
};
const Field kFields[] = {
    {L"InitX", &Settings::InitX, CW_USEDEFAULT, 10},
    {L"InitY", &Settings::InitY, CW_USEDEFAULT, 20},
    {L"InitW", &Settings::InitW, 800, 900},
    {L"InitH", &Settings::InitH, 600, 700},
    {L"KnobMode", &Settings::KnobMode, 0, 1},
    {L"DynamicScale", &Settings::DynamicScale, 1, 0},
    {L"CmdShow", &Settings::CmdShow, 1, 3},
    {L"UpdateCheck", &Settings::UpdateCheck, 1, 0},
    {L"EchoMIDI", &Settings::EchoMIDI, 0, 1},
    {L"RolloverTooltips", &Settings::RolloverTooltips, 1, 0},
    {L"ModifyValueTooltips", &Settings::ModifyValueTooltips, 1, 0},
};

TEST_F(SettingsTest, WithoutAKeyTheDefaultsStandAndASaveWritesThemAll) {
    for (const Field& f : kFields)
        settings.*f.member = f.other;
    settings.MIDIInDevice = "old";
    settings.Load();
    for (const Field& f : kFields)
        EXPECT_EQ(settings.*f.member, f.defaultValue) << f.name;
    EXPECT_EQ(settings.MIDIInDevice, "");

    for (const Field& f : kFields)
        settings.*f.member = f.other;
    settings.MIDIInDevice = "Port In";
    settings.Save();
    for (const Field& f : kFields)
        EXPECT_EQ(ValueInfo(f.name), std::make_pair(DWORD(REG_DWORD), DWORD(4))) << f.name;
    // Strings are stored with their terminating zero: (characters + 1) x 2 bytes.
    EXPECT_EQ(ValueInfo(L"MIDIInDevice"), std::make_pair(DWORD(REG_SZ), DWORD(16)));
    EXPECT_EQ(ValueInfo(L"MIDIOutDevice"), std::make_pair(DWORD(REG_SZ), DWORD(2)));
    Settings loaded;
    loaded.keyPath = kTestKey;
    loaded.Load();
    for (const Field& f : kFields)
        EXPECT_EQ(loaded.*f.member, f.other) << f.name;
    EXPECT_EQ(loaded.MIDIInDevice, "Port In");
    EXPECT_TRUE(loaded.placementOnMonitor);
}

TEST_F(SettingsTest, DeviceNamesOfAnyTextAndLengthSurviveASaveAndALoad) {
    const std::string names[] = {
        "Gerät MIDI 1",                          // Latin-1 range
        "シンセ USB MIDI",                       // outside Latin-1
        "Port \xF0\x9F\x8E\xB9 with a keyboard", // outside the basic plane (a surrogate pair)
        std::string(100, 'N'),                   // longer than 63 characters
        "A" + std::string(70, 'x') + "ü" + std::string(40, 'y'),
    };
    for (const std::string& name : names) {
        settings.MIDIInDevice = name;
        settings.MIDIOutDevice = name + " out";
        settings.Save();
        Settings loaded;
        loaded.keyPath = kTestKey;
        loaded.Load();
        EXPECT_EQ(loaded.MIDIInDevice, name);
        EXPECT_EQ(loaded.MIDIOutDevice, name + " out");
    }
}

// Values of the wrong type or size, as a hand edit or another program may leave them:
// each keeps its default, and the good values around them are still read.
TEST_F(SettingsTest, CorruptValuesKeepTheirDefaultsAndLoseNothingElse) {
    const RECT monitor = PrimaryMonitor();
    auto dword = [](LONG v) {
        return std::vector<BYTE>{BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
    };
    auto text = [](const std::wstring& t) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(t.data());
        return std::vector<BYTE>(bytes, bytes + t.size() * sizeof(wchar_t));
    };
    const struct {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    } values[] = {
        {L"InitX", REG_DWORD, dword(monitor.left + 5)},
        {L"InitY", REG_BINARY, dword(monitor.top + 5)}, // four bytes are a number of either type
        {L"InitW", REG_SZ, text(std::wstring(L"1234", 5))},
        {L"InitH", REG_BINARY, {0x10, 0x00}},
        {L"KnobMode", REG_SZ, text(std::wstring(L"1", 2))}, // four bytes of text, no number
        {L"MIDIInDevice", REG_DWORD, dword(7)},
        {L"MIDIOutDevice", REG_SZ, text(L"Port B")}, // stored without its terminating zero
        {L"RolloverTooltips", REG_BINARY, std::vector<BYTE>(200 * 1024, 0)},
    };
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    for (const auto& v : values)
        RegSetValueExW(key, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);

    settings.Load();
    EXPECT_EQ(settings.InitX, monitor.left + 5);
    EXPECT_EQ(settings.InitY, monitor.top + 5);
    EXPECT_EQ(std::make_pair(settings.InitW, settings.InitH), std::make_pair(800, 600));
    EXPECT_EQ(settings.KnobMode, 0);
    EXPECT_EQ(settings.MIDIInDevice, "");
    EXPECT_EQ(settings.MIDIOutDevice, "Port B");
    EXPECT_EQ(settings.RolloverTooltips, 1);
}

TEST_F(SettingsTest, APositionOffEveryMonitorOpensLargeAtTheDefaultPlace) {
    RECT monitor = PrimaryMonitor();
    WriteDword(L"InitX", static_cast<DWORD>(monitor.right + 500));
    WriteDword(L"InitY", static_cast<DWORD>(monitor.top + 10));
    WriteDword(L"InitW", 640);
    WriteDword(L"InitH", 480);
    settings.Load();
    EXPECT_FALSE(settings.placementOnMonitor);
    EXPECT_EQ(settings.InitX, CW_USEDEFAULT);
    EXPECT_EQ(settings.InitY, CW_USEDEFAULT);
    EXPECT_EQ(settings.InitW, 1280);
    EXPECT_EQ(settings.InitH, 800);

    for (DWORD absurd : {DWORD(-3000), DWORD(0x7FFFFFFF), DWORD(0x80000000)}) {
        WriteDword(L"InitX", absurd);
        settings.Load();
        EXPECT_EQ(settings.InitW, 1280) << absurd;
    }
}

TEST_F(SettingsTest, APositionOnAMonitorsRightOrBottomEdgeCountsAsOnIt) {
    RECT monitor = PrimaryMonitor();
    WriteDword(L"InitW", 640);
    WriteDword(L"InitH", 480);
    const POINT onEdges[] = {{monitor.right, monitor.bottom},
                             {monitor.right, monitor.top},
                             {monitor.left, monitor.bottom},
                             {monitor.left, monitor.top}};
    for (POINT p : onEdges) {
        WriteDword(L"InitX", static_cast<DWORD>(p.x));
        WriteDword(L"InitY", static_cast<DWORD>(p.y));
        settings.Load();
        EXPECT_TRUE(settings.placementOnMonitor) << p.x << "," << p.y;
        EXPECT_EQ(settings.InitX, p.x);
        EXPECT_EQ(settings.InitW, 640);
    }
    WriteDword(L"InitX", static_cast<DWORD>(monitor.right + 1));
    settings.Load();
    EXPECT_FALSE(settings.placementOnMonitor);
}

TEST_F(SettingsTest, AFailedWriteLeavesThePreviousValuesAndSaysNothing) {
    settings.InitX = 10; // on the primary monitor, so the size is not reset at load
    settings.InitY = 10;
    settings.InitW = 1000;
    settings.MIDIInDevice = "kept";
    settings.Save();

    // A key name component longer than the registry allows cannot be created.
    Settings failing;
    failing.keyPath = std::wstring(kTestKey) + L"\\" + std::wstring(300, L'k');
    failing.InitW = 1;
    failing.Save();
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, failing.keyPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);

    Settings loaded;
    loaded.keyPath = kTestKey;
    loaded.Load();
    EXPECT_EQ(loaded.InitW, 1000);
    EXPECT_EQ(loaded.MIDIInDevice, "kept");
}

} // namespace
