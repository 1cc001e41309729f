#include "app/App.h"

#include "app/Settings.h"
#include "app/StartUpWarmUp.h"
#include "app/Version.h"
#include "controls/ControlClasses.h"
#include "controls/GdiplusHeader.h"
#include "controls/Listbox.h"
#include "controls/MainPanel.h"
#include "controls/SimplePanel.h"
#include "controls/StatusPanel.h"
#include "engine/Parameter.h"
#include "engine/ParameterTable.h"
#include "engine/Pro800Engine.h"
#include "midi/DemoMode.h"
#include "resources/ResourceIds.h"

#include <dbt.h>

namespace {

App* gApp = nullptr;
HINSTANCE gInstance = nullptr;

void CheckCommand(HMENU menu, UINT command, bool checked) {
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

HFONT CreateAppFont(int height) {
    return CreateFontW(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
}

App* TheApp() {
    return gApp;
}
void SetTheApp(App* app) {
    gApp = app;
}
HINSTANCE TheInstance() {
    return gInstance;
}
void SetTheInstance(HINSTANCE instance) {
    gInstance = instance;
}

StatusFilter& TheStatusFilter() {
    static StatusFilter filter;
    return filter;
}

App::App(HINSTANCE hInstance)
    : midiPort(nullptr), buildNumber(TAVREN_BUILD_NUMBER), sizingState(kSizingIdle), mainWindow(nullptr),
      mainMenu(nullptr), inputDeviceMenu(nullptr), outputDeviceMenu(nullptr), instance(nullptr),
      smallFont(nullptr), mediumFont(nullptr), largeFont(nullptr), engine(nullptr), topBar(nullptr),
      editorPanel(nullptr), deviceRecognized(false), emptySysExSeen(false), midiReader(MakeMidiReader()) {
    RegisterControlClasses(hInstance);
    instance = hInstance;
    smallFont = CreateAppFont(14);
    mediumFont = CreateAppFont(18);
    largeFont = CreateAppFont(22);
    GetSettings().Load();
}

HWND App::GetHwnd() {
    return mainWindow;
}
HFONT App::GetSmallFont() {
    return smallFont;
}
HFONT App::GetMediumFont() {
    return mediumFont;
}
HFONT App::GetLargeFont() {
    return largeFont;
}
PatchBank* App::GetPatchBank() {
    return &patchBank;
}

void App::ControlChanged(int id, int value) {
    if (engine == nullptr)
        return;
    if (id >= kFirstBankButtonId && id < kFirstBankButtonId + kBankCount) {
        for (int button = kFirstBankButtonId; button < kFirstBankButtonId + kBankCount; ++button)
            engine->SetParameterValue(button, button == id ? 1 : 0);
        ReturnToBanks(id - kFirstBankButtonId); // from an opened file's list, if one is shown
        LoadBank(id - kFirstBankButtonId);
        return;
    }
    if (engine->HandleControlChange(id, value) != 0)
        return;
    if (engine->FindParameter(id) == nullptr)
        return;
    if (comparing) {
        // The panel shows the patch as stored: it stays as it is until Ctrl+M.
        engine->SetParameterValue(id, compared.Value(id));
        ShowStatus("Comparing: the stored patch stays on the panel. Ctrl+M returns to the edit.");
        return;
    }
    // The instrument first: the window's title and Edit menu follow the history, and
    // retitling a window can take a millisecond.
    SendParameter(id, value);
    // A control that holds the mouse is being dragged: the drag is one step.
    RecordChange(id, value, GetCapture() != nullptr ? EditHistory::Source::Drag : EditHistory::Source::Timed);
    ShowValueTip(id);
}

void App::SendParameter(int id, int value) {
    Parameter* parameter = engine != nullptr ? engine->FindParameter(id) : nullptr;
    if (parameter == nullptr)
        return;
    const int data = parameter->ToMidi(value);
    // Controller number and value are data bytes: at 0x80 and above the instrument
    // would take them for the status byte of another message.
    if (id < 0 || id > 0x7F || data < 0 || data > 0x7F)
        return;
    SendMidi({0xB0, static_cast<uint8_t>(id), static_cast<uint8_t>(data)});
}

void App::ShowStatus(std::string text) {
    std::u16string wide = WidenStatusText(text);
    if (!TheStatusFilter().Accept(wide))
        return;
    std::wstring line(wide.begin(), wide.end());
    if (engine != nullptr && engine->statusPanel != nullptr) {
        engine->statusPanel->AddLine(std::move(line));
        return;
    }
    // Before the front panel exists only a debugger sees the line.
    line += L"\n";
    OutputDebugStringW(line.c_str());
}

HWND App::CreateMainWindow(const wchar_t* className, const wchar_t* title) {
    Settings& settings = GetSettings();
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, settings.InitX, settings.InitY,
                           settings.InitW, settings.InitH, nullptr, nullptr, instance, nullptr);
}

void App::InitMainWindow() {
    RECT client;
    GetClientRect(mainWindow, &client);
    RECT bar = client;
    bar.bottom = TopBarHeight();
    topBar = new SimplePanel(this, mainWindow, instance, bar);
    editorPanel = new SimplePanel(this, mainWindow, instance, client);
    engine = new Pro800Engine();
    RECT area = client;
    area.right *= 2;
    engine->BuildEditor(this, editorPanel->hwnd, instance, area);
    // Laid out by the OnSize below.
    if (const int windowDpi = WindowDpi(mainWindow); windowDpi != dpi)
        UseDpi(windowDpi);
    patchBank.host = this;
    patchBank.engine = engine;
    patchBank.slots.assign(PatchBank::kSlots, PatchSlot{});
    engine->ShowEditor(this, topBar->hwnd, instance);
    OnSize();
    CreateDeviceMenus();
    // The tooltips wait until the window has been shown and the program answers input: the
    // pointer rests half a second before one shows anyway.
    SetTimer(mainWindow, kTimerCreateTips, 300, nullptr);
}

void App::CreateDeviceMenus() {
    inputDeviceMenu = CreatePopupMenu();
    outputDeviceMenu = CreatePopupMenu();
    HMENU midiMenu = GetSubMenu(mainMenu, 2);
    InsertMenuW(midiMenu, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(inputDeviceMenu),
                L"MIDI &Input Device");
    InsertMenuW(midiMenu, 4, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(outputDeviceMenu),
                L"MIDI &Output Device");
    HMENU channelMenu = CreatePopupMenu();
    for (int channel = 1; channel <= 16; ++channel)
        AppendMenuW(channelMenu, MF_STRING, static_cast<UINT_PTR>(IDM_FIRST_CHANNEL + channel - 1),
                    std::to_wstring(channel).c_str());
    InsertMenuW(midiMenu, 5, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(channelMenu), L"&Channel");
    controllerMenu = CreatePopupMenu();
    InsertMenuW(midiMenu, 6, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(controllerMenu),
                L"MIDI Co&ntroller Input");
    ChooseChannel(GetSettings().MidiChannel);
}

void App::OnSize() {
    if (sizingState == kSizingEntered) {
        // The list and the controls stay hidden while the user drags the frame: the
        // panel rescales at every step, and they come back once it is released.
        sizingState = kSizingResizing;
        ShowEditorControls(false);
    }
    RECT client;
    GetClientRect(mainWindow, &client);
    if (topBar != nullptr) {
        MoveWindow(topBar->hwnd, client.left, client.top, client.right - client.left,
                   TopBarHeight() - client.top, TRUE);
    }
    if (editorPanel != nullptr) {
        // The row under the strip stays the main window's black background.
        const int editorTop = TopBarHeight() + 1;
        MoveWindow(editorPanel->hwnd, client.left, editorTop, client.right - client.left,
                   client.bottom - editorTop, TRUE);
        if (engine != nullptr) {
            RECT area;
            GetClientRect(editorPanel->hwnd, &area);
            engine->Resize(area.right, area.bottom);
        }
    }
    StorePlacement();
}

void App::ShowEditorControls(bool show) {
    if (engine == nullptr)
        return;
    if (engine->patchList != nullptr)
        ShowWindow(engine->patchList->listWindow, show ? SW_SHOW : SW_HIDE);
    engine->ShowControls(show);
}

void App::StorePlacement() {
    Settings& settings = GetSettings();
    RECT rect;
    GetWindowRect(mainWindow, &rect);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(mainWindow, &placement);
    if (placement.showCmd == SW_SHOWMAXIMIZED) {
        settings.CmdShow = SW_SHOWMAXIMIZED;
        return;
    }
    settings.CmdShow = SW_SHOWNORMAL;
    if (placement.showCmd == SW_MINIMIZE || placement.showCmd == SW_SHOWMINIMIZED)
        return;
    settings.InitX = rect.left;
    settings.InitY = rect.top;
    settings.InitW = rect.right - rect.left;
    settings.InitH = rect.bottom - rect.top;
}

void App::SyncOptionChecks() {
    const Settings& settings = GetSettings();
    CheckCommand(mainMenu, IDM_ROTARY_KNOBS, settings.KnobMode == 1);
    CheckCommand(mainMenu, IDM_DYNAMIC_SCALING, settings.DynamicScale == 1);
    CheckCommand(mainMenu, IDM_ECHO_MIDI, settings.EchoMIDI == 1);
    CheckCommand(mainMenu, IDM_ROLLOVER_TIPS, settings.RolloverTooltips != 0);
    CheckCommand(mainMenu, IDM_VALUE_TIPS, settings.ModifyValueTooltips != 0);
}

void App::OnTimer(UINT_PTR timerId) {
    switch (timerId) {
    case kTimerPollMidi:
        PollMidiInput();
        break;
    case kTimerCheckDevice:
        // With a port closed no reply can come: the query's 0.3 s wait would only
        // freeze the window every three seconds.
        if (CheckDevice(true))
            KillTimer(mainWindow, kTimerCheckDevice);
        else if (PortsOpen())
            QueryDevice();
        break;
    case kTimerUpdateCheck:
        KillTimer(mainWindow, kTimerUpdateCheck);
        CheckForUpdates(false);
        break;
    case kTimerValueTip:
        OnValueTipTimer();
        break;
    case kTimerCreateTips:
        KillTimer(mainWindow, kTimerCreateTips);
        CreateTips();
        break;
    case kTimerImport:
        ImportSlice();
        break;
    default:
        break;
    }
}

LRESULT App::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        mainWindow = hwnd;
        mainMenu = GetMenu(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_MOVE:
        StorePlacement();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_ENTERSIZEMOVE:
        sizingState = kSizingEntered;
        return 0;
    case WM_EXITSIZEMOVE:
        if (sizingState == kSizingResizing)
            ShowEditorControls(true);
        sizingState = kSizingIdle;
        return 0;
    case WM_APP_SYNC_OPTIONS:
        SyncOptionChecks();
        return 0;
    case WM_APP_MIDI_INPUT:
        PollMidiInput();
        return 0;
    case WM_NOTIFY:
        if (lParam != 0 && OnTipNotify(*reinterpret_cast<const NMHDR*>(lParam)))
            return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_DPICHANGED: {
        // Moved to a screen of another scale: the fonts follow, and the window takes the
        // place and size the system suggests for it.
        ApplyDpi(HIWORD(wParam));
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_APP_LIBRARY_FLUSH:
        FlushSeen();
        return 0;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVNODES_CHANGED)
            OnDevicesChanged();
        return TRUE;
    case WM_POWERBROADCAST:
        // Back from sleep the driver's ports may be new: they are opened again.
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            InitMidi();
            if (CheckDevice(false))
                QueryDevice();
        }
        return TRUE;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    App* app = TheApp();
    if (app == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return app->HandleMessage(hwnd, message, wParam, lParam);
}

ATOM RegisterMainWindowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    // The large icon is the program's icon; the small one is drawn for 16 pixels.
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TAVREN));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDC_TAVREN);
    wc.lpszClassName = className;
    wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    return RegisterClassExW(&wc);
}

int RunMessageLoop(HINSTANCE instance) {
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_TAVREN));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The shortcuts belong to the main window: asked for a child window with the
        // focus (the patch list, say), they would send their command to the child.
        HWND target = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        // Tab in a window of the program's own other than the main one (the library's)
        // goes from control to control there, as in a dialog.
        const App* app = TheApp();
        if (target != nullptr && app != nullptr && target != app->mainWindow && msg.message == WM_KEYDOWN &&
            msg.wParam == VK_TAB && IsDialogMessageW(target, &msg))
            continue;
        if (target == nullptr || !TranslateAcceleratorW(target, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

int RunTavren(HINSTANCE instance, int showCommand) {
    StartUpWarmUp warmUp;
    wchar_t title[100] = L"";
    wchar_t className[100] = L"";
    LoadStringW(instance, IDS_APP_TITLE, title, 100);
    LoadStringW(instance, IDS_WINDOW_CLASS, className, 100);
    RegisterMainWindowClass(instance, className);
    SetTheInstance(instance);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    auto* app = new App(instance); // lives until the process ends
    SetTheApp(app);
    // Creating and laying out the window stores its placement, and with it a normal
    // show state: the show state of the last run is taken before that.
    Settings& settings = GetSettings();
    // Only the two states the program stores are taken: a hand-edited value such as
    // SW_HIDE would start the program with no window to close it by.
    int storedShow = settings.CmdShow == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    if (settings.DynamicScale == 1) {
        // The panel's picture is drawn for the width the window will have while the
        // window and its controls are made.
        RECT frame = {0, 0, 0, 0};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
        MainPanel::PrepareFirstPicture(instance, settings.InitW - (frame.right - frame.left));
    }
    HWND window = app->CreateMainWindow(className, title);
    if (window == nullptr)
        return 0;
    SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
    app->InitMainWindow();

    // Started without a show command of its own (SW_SHOWNORMAL, or SW_SHOWDEFAULT from a
    // command line), the window opens as it was left.
    bool noPreference = showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT;
    ShowWindow(window, noPreference ? storedShow : showCommand);
    if (app->engine != nullptr && app->engine->panel != nullptr)
        app->engine->panel->ValidateControls();
    UpdateWindow(window);

    warmUp.Wait();
    // The demo instrument unplugged and plugged in again is announced to the program's
    // windows as the system announces a device that comes or goes.
    WatchDemoPlug([process = GetCurrentProcessId()] {
        EnumWindows(
            [](HWND topLevel, LPARAM owner) -> BOOL {
                DWORD windowProcess = 0;
                GetWindowThreadProcessId(topLevel, &windowProcess);
                if (windowProcess == static_cast<DWORD>(owner))
                    PostMessageW(topLevel, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
                return TRUE;
            },
            static_cast<LPARAM>(process));
    });
    app->InitMidi();
    if (app->CheckDevice(false))
        app->QueryDevice();
    SetTimer(window, kTimerCheckDevice, 3000, nullptr);
    if (settings.UpdateCheck != 0)
        SetTimer(window, kTimerUpdateCheck, 1000, nullptr);

    int exitCode = RunMessageLoop(instance);
    // The ports are closed before the process ends: the driver gets its SysEx buffers
    // back, and the devices are free for other programs at once.
    app->CloseMidi();
    app->FlushSeen();
    settings.Save();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return exitCode;
}
