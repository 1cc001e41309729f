#include "app/Settings.h"

#include "app/SettingsValues.h"

#include <cstdint>
#include <optional>
#include <vector>

static const wchar_t kSettingsKey[] = L"Software\\Quillmer\\Tavren";

Settings& GetSettings() {
    static Settings settings;
    return settings;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                        nullptr);
    return narrow;
}

Settings::Settings() : keyPath(kSettingsKey) {
    SetDefaults();
}

void Settings::SetDefaults() {
    placementOnMonitor = false;
    InitX = CW_USEDEFAULT;
    InitY = CW_USEDEFAULT;
    InitW = 800;
    InitH = 600;
    CmdShow = SW_SHOWNORMAL;
    KnobMode = 0;
    DynamicScale = 1;
    UpdateCheck = 1;
    EchoMIDI = 0;
    RolloverTooltips = 1;
    ModifyValueTooltips = 1;
    MidiChannel = 1;
    MIDIInDevice.clear();
    MIDIOutDevice.clear();
    MIDIControllerDevice.clear();
}

namespace {

// The value's type and bytes, or false when it is missing or too large to be a setting.
bool QueryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<uint8_t>& data) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kMaxSettingValueBytes)
        return false;
    // Room for a terminating zero that the registry may add to a string stored without one.
    data.assign(size + 2, 0);
    DWORD got = static_cast<DWORD>(data.size());
    if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS || got > size + 2)
        return false;
    data.resize(got);
    return true;
}

// A value that is missing or cannot be a number leaves the field alone.
void QueryInt(HKEY key, const wchar_t* name, int& field) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!QueryValue(key, name, type, data))
        return;
    if (const std::optional<int> value = ReadNumberSetting(type, data.data(), data.size()))
        field = *value;
}

// Port names can be longer than any fixed buffer: the value's size is asked first.
void QueryString(HKEY key, const wchar_t* name, std::string& field) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!QueryValue(key, name, type, data))
        return;
    if (const std::optional<std::string> value = ReadTextSetting(type, data.data(), data.size()))
        field = *value;
}

void SetInt(HKEY key, const wchar_t* name, int value) {
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

struct MonitorSearch {
    int x;
    int y;
    bool found;
};

BOOL CALLBACK FindMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    // Both edges count as on the monitor.
    if (search->x >= rect->left && search->x <= rect->right && search->y >= rect->top &&
        search->y <= rect->bottom) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void Settings::Load() {
    SetDefaults();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    QueryInt(key, L"InitX", InitX);
    QueryInt(key, L"InitY", InitY);
    QueryInt(key, L"InitW", InitW);
    QueryInt(key, L"InitH", InitH);
    QueryInt(key, L"KnobMode", KnobMode);
    QueryInt(key, L"DynamicScale", DynamicScale);
    QueryInt(key, L"CmdShow", CmdShow);
    QueryString(key, L"MIDIInDevice", MIDIInDevice);
    QueryString(key, L"MIDIOutDevice", MIDIOutDevice);
    QueryString(key, L"MIDIControllerDevice", MIDIControllerDevice);
    QueryInt(key, L"UpdateCheck", UpdateCheck);
    QueryInt(key, L"EchoMIDI", EchoMIDI);
    QueryInt(key, L"RolloverTooltips", RolloverTooltips);
    QueryInt(key, L"ModifyValueTooltips", ModifyValueTooltips);
    QueryInt(key, L"MidiChannel", MidiChannel);
    RegCloseKey(key);
    if (MidiChannel < 1 || MidiChannel > 16)
        MidiChannel = 1;

    // A window stored on a monitor that is gone opens at the default place.
    MonitorSearch search = {InitX, InitY, false};
    placementOnMonitor = false;
    EnumDisplayMonitors(nullptr, nullptr, FindMonitor, reinterpret_cast<LPARAM>(&search));
    placementOnMonitor = search.found;
    if (!placementOnMonitor) {
        InitX = CW_USEDEFAULT;
        InitY = CW_USEDEFAULT;
        InitW = 1280;
        InitH = 800;
    }
}

void Settings::Save() {
    std::wstring inDevice = Utf8ToWide(MIDIInDevice);
    std::wstring outDevice = Utf8ToWide(MIDIOutDevice);
    HKEY key = nullptr;
    wchar_t noClass[] = L"";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    SetInt(key, L"InitX", InitX);
    SetInt(key, L"InitY", InitY);
    SetInt(key, L"InitW", InitW);
    SetInt(key, L"InitH", InitH);
    SetInt(key, L"KnobMode", KnobMode);
    SetInt(key, L"DynamicScale", DynamicScale);
    SetInt(key, L"CmdShow", CmdShow);
    SetString(key, L"MIDIInDevice", inDevice);
    SetString(key, L"MIDIOutDevice", outDevice);
    SetString(key, L"MIDIControllerDevice", Utf8ToWide(MIDIControllerDevice));
    SetInt(key, L"UpdateCheck", UpdateCheck);
    SetInt(key, L"EchoMIDI", EchoMIDI);
    SetInt(key, L"RolloverTooltips", RolloverTooltips);
    SetInt(key, L"ModifyValueTooltips", ModifyValueTooltips);
    SetInt(key, L"MidiChannel", MidiChannel);
    RegCloseKey(key);
}
