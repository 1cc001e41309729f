#pragma once

#include "app/IHost.h"
#include "app/LibraryFiles.h"
#include "app/RestorePlan.h"
#include "app/StatusText.h"
#include "engine/AtomicFile.h"
#include "engine/EditHistory.h"
#include "engine/PatchBank.h"
#include "library/FolderImport.h"
#include "library/PatchLibrary.h"
#include "midi/FirmwareVersion.h"
#include "midi/MessageReader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ControlTips;
class LibraryWindow;
class MidiPort;
class Pro800Engine;
class SimplePanel;

// Identifiers of the main window's timers.
enum AppTimer : UINT_PTR {
    kTimerPollMidi = 1,    // 100 ms while an input port is open
    kTimerCheckDevice = 2, // 3000 ms until the instrument has answered
    kTimerUpdateCheck = 3, // once, 1000 ms after start-up
    kTimerValueTip = 4,    // every 40 ms while a value tip shows
    kTimerCreateTips = 5,  // once, 300 ms after the window is first shown
    kTimerImport = 20,     // while a folder is imported into the library: one slice of files a tick
};

// Sets the check marks of the two option commands from the settings.
constexpr UINT WM_APP_SYNC_OPTIONS = WM_USER + 0x2A;
// Posted from the MIDI library's thread: received messages wait in the input queue.
constexpr UINT WM_APP_MIDI_INPUT = WM_USER + 0x2B;
// Posted when patches seen wait to go into the library.
constexpr UINT WM_APP_LIBRARY_FLUSH = WM_USER + 0x41;

// Sizing states of the main window while the user moves or resizes it.
enum SizingState { kSizingIdle = 0, kSizingEntered = 1, kSizingResizing = 2 };

// The application: owns the main window's contents and is the host that every
// object below it reports to. Exactly one exists, reachable through TheApp(); it
// lives until the process ends, so its owning pointers are never released.
class App : public IHost {
  public:
    explicit App(HINSTANCE instance);
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    virtual ~App() = default;

    // IHost
    HWND GetHwnd() override;
    void ControlChanged(int id, int value) override;
    void ShowStatus(std::string text) override;
    HFONT GetSmallFont() override;
    HFONT GetMediumFont() override;
    HFONT GetLargeFont() override;
    void SelectPatch(int bank, int program) override;
    void SendProgramChange(int bank, int program) override;
    PatchBank* GetPatchBank() override;
    void PatchShown(const std::vector<uint8_t>& dump) override;
    int GetDpi() override;

    // Creates the main window at the stored placement; null when that fails.
    HWND CreateMainWindow(const wchar_t* className, const wchar_t* title);
    void InitMainWindow();
    void OnSize();
    void OnCommand(HWND window, int commandId);
    // Asks the maker's server for the latest build and tells the user: in the status
    // panel always, in a message box too when `interactive`. True when it could read
    // the version document.
    bool CheckForUpdates(bool interactive);
    void StorePlacement();
    void OnTimer(UINT_PTR timerId);

    // The conversation with the instrument (app/AppDeviceLink.cpp).
    // Replaces the MIDI ports with new ones opened on the remembered port names.
    void InitMidi();
    // The system's MIDI ports changed: the menus list them again; a port of the
    // instrument that is gone closes, and the instrument's ports that appear are opened,
    // the instrument identified and its bank loaded.
    void OnDevicesChanged();
    // Closes both ports, catching the library's errors, and deletes them; midiPort is null after.
    void CloseMidi();
    bool CheckDevice(bool requireRecognized);
    // Sends the identification request and takes replies for 0.3 s; then loads the current bank.
    void QueryDevice();
    // Makes `bank` current and requests the patches of it that are not cached yet.
    virtual void LoadBank(int bank);
    // Both MIDI ports are open.
    bool PortsOpen() const;
    // Takes every message waiting in the MIDI input queue and dispatches it.
    void PollMidiInput();
    // Hands one whole received message to the handler of its kind.
    void HandleMidiMessage(std::vector<uint8_t>& message);
    // A patch change from the instrument: C0 p with C0 p and B0 00 bank queued after it.
    bool HandleProgramChange(std::vector<uint8_t>& message);
    // The identification reply: the instrument is recognized and its current patch selected.
    bool HandleDeviceReply(std::vector<uint8_t>& message);
    // A patch dump: cached and shown, or only shown for a patch beyond the 400.
    bool HandlePatchDump(std::vector<uint8_t>& message);

    // The librarian (app/AppLibrarian.cpp): .syx files, audition, restore, firmware.
    // The menu commands wrap these with their dialogs; false: not a librarian command.
    bool OnLibrarianCommand(HWND window, int commandId);
    // Writes the loaded dumps of the current bank (the opened file's, while one is
    // listed) or of the whole cache to `path`; the status line says how many.
    WriteResult SaveBank(const std::filesystem::path& path);
    WriteResult SaveAllPatches(const std::filesystem::path& path);
    // Lists the patches of a .syx file; false, changing nothing, with the reason in
    // `error` when it cannot be read or holds no patch dump.
    bool OpenPatchFile(const std::filesystem::path& path, std::string& error);
    // A bank button pressed while a file is listed: the list shows the cache again.
    void ReturnToBanks(int bank);
    // Sends the patch on the panel as control changes; writes nothing.
    void Audition();
    // Writes dumps to the slots they name once `confirm` agrees to the question, and
    // reads each slot back. Nothing is written unless the instrument is recognized.
    RestoreResult WriteToInstrument(const std::vector<Bytes>& dumps,
                                    const std::function<bool(const std::string& question)>& confirm);
    void RequestFirmwareVersion();
    bool HandleFirmwareReply(const std::vector<uint8_t>& message);
    // Writes the patch on the panel, as the edit would store it, to one .syx file.
    WriteResult SavePatch(const std::filesystem::path& path);

    // The edit (app/AppEditor.cpp): what the panel shows over the patch it came from,
    // undo and redo, compare, rename, store and the settings without a knob. The menu
    // commands wrap these with their dialogs; false: not an edit command.
    bool OnEditCommand(HWND window, int commandId);
    // A new value of one parameter, from the panel or the instrument: a step of the edit.
    void RecordChange(int id, int value, EditHistory::Source source);
    void Undo();
    void Redo();
    // Shows and plays the patch as stored, or the edit again.
    void ToggleCompare();
    // False, changing nothing, for a name the instrument cannot keep.
    bool Rename(const std::string& name);
    // Changed unpacked bytes of the settings without a knob, as one step.
    void ChangeSettings(const std::map<int, int>& bytes);
    // Writes the edit, named `name`, into slot `patch` and reads it back, as Write To
    // Instrument does; verified, it becomes the base of the edit.
    RestoreResult StorePatch(int patch, const std::string& name,
                             const std::function<bool(const std::string& question)>& confirm);
    // The window title ("Tavren - 1:07 Mini Lead *") and the Edit menu follow the edit.
    void UpdateTitle();

    // The keyboard, tooltips and dots per inch (app/AppAccess.cpp).
    // Tab and Shift+Tab: the next or previous control of the panel in reading order,
    // then the patch list, round again.
    void MoveFocus(bool forward);
    // Ctrl+Right and Ctrl+Left: the next or previous patch of the list, shown as a click
    // shows it; with `play` (Shift too) the instrument is switched to it as well.
    void StepPatch(int step, bool play);
    // Made once the window is shown: a control's name when the pointer rests on it, and
    // the status lines whole; the value tip. They follow the two tooltip settings.
    void CreateTips();
    // The value tip beside control `id`, which the user just changed: shown at once, then
    // brought up to date at most once a tick however fast the changes come, and hidden
    // half a second after the last.
    void ShowValueTip(int id);
    void OnValueTipTimer();
    void DrawValueTip();
    // A tooltip asks for the status lines; false for other notifications.
    bool OnTipNotify(const NMHDR& header);
    // The fonts, the strip above the panel, the status lines and the tips at `newDpi`:
    // UseDpi makes them, ApplyDpi lays the window out and draws it again as well.
    void UseDpi(int newDpi);
    void ApplyDpi(int newDpi);
    int TopBarHeight() const;
    // The patch library (app/AppLibrary.cpp): everything received, read, stored or saved
    // goes in; its window; Import Folder. False: not a library command.
    bool OnLibraryCommand(HWND window, int commandId);
    // The library, opened on first use; null when it cannot be used (the status panel
    // has said why, once).
    PatchLibrary* Library();
    // Records dumps seen at `place` ("1:07" or a file's path), when the library can be used:
    // they wait until the window is idle again and go in together (a bank load's hundred in
    // one transaction).
    void RecordSeen(const std::vector<Bytes>& dumps, const std::string& place);
    // Puts what waits into the library now.
    void FlushSeen();
    // Before slots are written: the patch in each is put into the library with a sighting,
    // asked of the instrument first when it is not cached.
    void BackUpSlots(const std::vector<int>& patches);
    // Shows a dump on the panel as the base of the edit, as a file's row is shown.
    void ShowLibraryPatch(const Bytes& dump);
    // Imports every .syx file below `folder`, a slice at a time, with a progress bar and
    // Cancel in the top bar; false when the library cannot be used or an import runs.
    bool StartImport(const std::filesystem::path& folder);
    void ImportSlice();
    void EndImport(bool cancelled);
    void OpenLibraryWindow();

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    MidiPort* midiPort;                 // owned; null until MIDI is first set up
    MidiPort* controllerPort = nullptr; // owned; the controller keyboard's input, null for none
    HMENU controllerMenu = nullptr;
    int buildNumber;
    int sizingState;
    HWND mainWindow;
    HMENU mainMenu;
    HMENU inputDeviceMenu;
    HMENU outputDeviceMenu;
    HINSTANCE instance;
    HFONT smallFont;
    HFONT mediumFont;
    HFONT largeFont;
    int dpi = 96;                // of the main window; the fonts are made for it
    ControlTips* tips = nullptr; // owned; null until the window has been shown
    std::wstring statusTipText;  // what the status panel's tip shows now
    int valueTipId = 0;          // the control the value tip is for
    bool valueTipDirty = false;  // changed since the tip was last drawn
    DWORD valueTipChanged = 0;   // tick count of the last change
    PatchBank patchBank;
    Pro800Engine* engine;     // owned; null until the editor is built
    SimplePanel* topBar;      // owned; the empty strip above the editor
    SimplePanel* editorPanel; // owned; holds the front panel
    bool deviceRecognized;
    bool emptySysExSeen;
    // The librarian's state: the firmware the instrument reported, and the read-back
    // that a restore waits for (patch number, and the dump once it came).
    std::optional<FirmwareVersion> firmware;
    int awaitedReadBack = -1;
    std::optional<Bytes> readBack;
    // The edit: the patch on the panel with the user's changes, its history, and while
    // comparing, the patch as stored that the panel shows instead.
    PatchEdit edit;
    EditHistory history;
    bool comparing = false;
    PatchEdit compared;
    // While a bank load shows every patch it stores, the edit waits for the last one.
    bool bankLoading = false;
    std::optional<Bytes> shownWhileLoading;
    // The patch library, its window (made on first use) and a folder import under way.
    PatchLibrary library;
    bool libraryTried = false;
    std::vector<PatchLibrary::Seen> unrecorded; // seen, waiting for the window to be idle
    bool flushPosted = false;
    LibraryWindow* libraryWindow = nullptr; // owned
    std::unique_ptr<FolderImport> folderImport;
    HWND importProgress = nullptr;
    HWND importCancel = nullptr;

  private:
    void CreateDeviceMenus();
    void SyncOptionChecks();
    void ShowEditorControls(bool show); // the patch list and every parameter's control
    // Hands one MIDI message to the output port (app/AppDeviceLink.cpp). Every byte
    // after the status byte is below 0x80.
    virtual void SendMidi(const std::vector<uint8_t>& message);
    void FillDeviceMenus(int inputCount, int outputCount);
    MessageReader MakeMidiReader();
    void ToggleOption(int& setting, UINT command);
    void ChoosePort(bool input, int index);
    // Channels 1 to 16: the instrument's, both ways; checked in the Channel menu.
    void ChooseChannel(int channel);
    // The controller keyboard's input port: opened on its remembered name; chosen from
    // its menu (the checked one again: none).
    void OpenController();
    void ChooseController(int index);
    void PollControllerInput();
    // What the controller keyboard sends: a control change of a parameter is an edit of
    // it; notes, pitch bend, the modulation wheel, aftertouch and sustain go on to the
    // instrument while Echo MIDI Controller is on; nothing else does.
    void HandleControllerMessage(const std::vector<uint8_t>& message);
    void ReportUpdate(const std::string& text, bool failed, bool interactive);
    std::optional<Bytes> ReadBackPatch(int patch);
    WriteResult SaveSelected(const std::filesystem::path& path, const SaveSelection& selection,
                             const std::string& source);

    MessageReader midiReader; // whole messages out of the input object's queue

    // The edit's own (app/AppEditor.cpp).
    void ApplyEdit(const PatchEdit& target);
    void ShowBase(const Bytes& base);
    void SetPanel(const PatchEdit& shown);
    void SendPanel(const PatchEdit& shown);
    void SendParameter(int id, int value);
    bool settingPanel = false; // the program sets the panel itself: no step of the edit

    // While a handler waits for the instrument, polling the input queue in a tight loop,
    // what arrives does not wake the window (each wake costs a round trip to the window
    // system); at its end the queue is taken once more, which lets the next message wake.
    class PollingWait {
      public:
        explicit PollingWait(App& app);
        ~PollingWait();
        PollingWait(const PollingWait&) = delete;
        PollingWait& operator=(const PollingWait&) = delete;

      private:
        App& app_;
        MidiPort* port_;
    };
    std::wstring shownTitle;
    std::wstring undoText, redoText;
};

// The strip above the front panel at 96 DPI, where the main window's black shows.
constexpr int kTopBarHeightAt96 = 25;

// The whole text of a window or a dialog's field.
std::wstring WindowText(HWND window);

// The standard save or open dialog for a .syx file; the path chosen, or nothing when
// cancelled.
std::optional<std::filesystem::path> AskForFile(HWND owner, bool save, const std::wstring& suggested);

// The program's Arial, `height` pixels high.
HFONT CreateAppFont(int height);
// The dots per inch of `window` (96 at 100 %).
int WindowDpi(HWND window);

// The process-wide application object and instance handle.
App* TheApp();
void SetTheApp(App* app);
HINSTANCE TheInstance();
void SetTheInstance(HINSTANCE instance);

// The process-wide filter that drops a status line equal to the last one.
StatusFilter& TheStatusFilter();

// Registers the main window class: class name, title icon and menu from the resources.
ATOM RegisterMainWindowClass(HINSTANCE instance, const wchar_t* className);

// The main window procedure; it serves TheApp().
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the message loop with the accelerator table until WM_QUIT; answers its code.
int RunMessageLoop(HINSTANCE instance);

// The whole program, from GDI+ start-up to the saved settings: the entry point.
int RunTavren(HINSTANCE instance, int showCommand);
