// The end-to-end test driver: starts the real programs in throw-away folders under Wine and
// looks at them from outside, the way a user would (windows, message boxes, keys, files).
//
// Typical test:
//
//   e2e::TestFolder folder("defaults");                  // %TEMP%\pimbo-e2e\defaults-<pid>-<n>
//   ASSERT_TRUE(folder.InstallLauncher());               // copies the built pimbo.exe
//   ASSERT_TRUE(folder.WriteFile("pimbo.ini", e2e::IniText({"[settings]", "XPOINT=100"})));
//   e2e::Process launcher = e2e::StartLauncher(folder);  // CreateProcessA, cwd = folder's parent
//   HWND window = e2e::WaitForLauncherWindow(launcher.Id());
//   ASSERT_TRUE(window);
//   ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, '1'));
//   EXPECT_TRUE(e2e::WaitVisible(window, true));
//   EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);        // WM_CLOSE, wait, exit code
//
// Cleanup: Process stops the process it owns when it goes out of scope, and TestFolder stops
// every process whose executable lies inside the folder (a restarted launcher, the stand-in
// editor) before it deletes the folder; so a failed ASSERT leaves nothing running. Declare the
// TestFolder before the Process objects that use it.
//
// Waiting: every wait polls (every 10 ms, pumping the calling thread's messages) until its
// condition holds or its timeout passes; the default timeout is long because CI runs Wine on
// two loaded cores. Only "nothing happens" checks wait for a fixed quiet period.
//
// Texts: test sources are compiled with -fexec-charset=CP932, so a Japanese literal in a test
// is already the code page 932 bytes that the programs show and store.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// Folders and files as every test handles them: ReadBytes, WriteBytes, ListFolder.
#include "test_files.h"

// The programs' own identifiers: control and menu ids, the launcher's window class.
#include "launcher/resource.h"
#include "launcher/texts.h"
#include "setting/resource.h"

namespace e2e {

// Default timeout of every wait, and the quiet period of "nothing happens" checks.
inline constexpr DWORD WAIT_MS = 30000;
inline constexpr DWORD QUIET_MS = 700;

// ---------------------------------------------------------------------------------------------
// Waiting

// Polls condition every 10 ms, pumping this thread's messages, until it is true (returns true)
// or timeoutMs has passed (returns false).
bool WaitUntil(std::function<bool()> const& condition, DWORD timeoutMs = WAIT_MS);
// True when condition stays false for the whole of quietMs.
bool StaysFalse(std::function<bool()> const& condition, DWORD quietMs = QUIET_MS);

// ---------------------------------------------------------------------------------------------
// Paths and files

// The Windows form of a Unix path (Wine maps / to drive Z:): "/a/b" -> "Z:\a\b".
std::string WinePath(std::string const& unixPath);
// The built programs. PIMBO_E2E_LAUNCHER / PIMBO_E2E_EDITOR / PIMBO_E2E_PROBE in the
// environment override them (and PIMBO_E2E_REMOTE_READER the helper DLL of the remote reads).
std::string LauncherExe();
std::string EditorExe();
std::string ProbeExe();
std::string RemoteReaderDll();
// Joins lines with CR LF (and ends the last one), as the settings editor writes pimbo.ini.
std::string IniText(std::initializer_list<std::string> lines);

// A fresh folder under %TEMP%\pimbo-e2e, removed (after stopping every process whose
// executable lies inside it) when the object goes out of scope.
class TestFolder {
 public:
  // tag: a short name for the folder. minPathLength: when nonzero, nested subfolders
  // ("dddd...") are added until the folder's path is at least that many bytes long; the
  // folder is then created with the wide API, which has no 260-byte limit. Check Ok().
  explicit TestFolder(std::string const& tag, size_t minPathLength = 0);
  ~TestFolder();
  TestFolder(TestFolder const&) = delete;
  TestFolder& operator=(TestFolder const&) = delete;

  bool Ok() const { return ok_; }
  // The folder's Windows path, without a trailing backslash.
  std::string const& Path() const { return path_; }
  // Path() + "\" + name.
  std::string PathOf(std::string const& name) const;
  // Writes bytes as they are (no newline conversion) to the file name in the folder.
  bool WriteFile(std::string const& name, std::string const& bytes) const;
  bool Exists(std::string const& name) const;
  // Copies a file into the folder under name.
  bool CopyIn(std::string const& source, std::string const& name) const;
  // Copies the built pimbo.exe in as pimbo.exe.
  bool InstallLauncher() const;
  // Copies the built pimbosetting.exe in as pimbosetting.exe.
  bool InstallEditor() const;
  // Copies the probe in under name: "pimbosetting.exe" stands in for the settings editor,
  // "pimbo.exe" for the launcher that the editor starts.
  bool InstallProbe(std::string const& name = "probe.exe") const;

 private:
  std::string path_;
  std::string removeRoot_;  // the outermost folder this object created
  bool ok_ = false;
};

// ---------------------------------------------------------------------------------------------
// Processes

// Owns one process (and its handles). The destructor stops a process that still runs: WM_CLOSE
// to its top-level windows, a wait, then TerminateProcess.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(Process const&) = delete;
  Process& operator=(Process const&) = delete;

  // CreateProcessA of "exe" args with the given working directory ("" = the caller's). The
  // result is empty (Started() false) when the call fails; Error() tells why.
  static Process Start(std::string const& exe, std::string const& args = "",
                       std::string const& workDir = "");
  // Opens a process that someone else started (a restarted launcher, the editor).
  static Process Attach(DWORD pid);

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return pid_; }
  HANDLE Handle() const { return process_; }
  DWORD Error() const { return error_; }
  bool Running() const;
  // Waits for the process to end; true when it did within the timeout.
  bool WaitExit(DWORD timeoutMs = WAIT_MS) const;
  // Exit code, or STILL_ACTIVE while the process runs.
  DWORD ExitCode() const;
  // Ends the process: WM_CLOSE to each of its top-level windows, up to timeoutMs for it to
  // end, then TerminateProcess. True when it ended by itself.
  bool Stop(DWORD timeoutMs = 5000);

 private:
  void Release();
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD error_ = 0;
};

// Stops every process whose executable lies inside folder (see Process::Stop).
void StopProcessesIn(std::string const& folder);
// Ids of the running processes whose executable is folder\exeName (case-insensitive).
std::vector<DWORD> ProcessesIn(std::string const& folder, std::string const& exeName);
// Number of running processes named exeName in this Wine session (tool-help snapshot).
int CountProcesses(std::string const& exeName);

// ---------------------------------------------------------------------------------------------
// The launcher

// The launcher's window class and title; its menu command identifiers (IDM_) are those of
// launcher/resource.h, included above.
inline constexpr char const* LAUNCHER_CLASS = WINDOW_CLASS_NAME;
inline constexpr char LAUNCHER_TITLE[] = "Pimbo";
// Its private message numbers.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 183;
inline constexpr UINT TRAY_ICON_ID = 32;
inline constexpr char MUTEX_NAME[] = "Pimbo Pirropirro Mutex";

// Starts folder\pimbo.exe (CreateProcessA, or CreateProcessW for a path that Wine's A form
// refuses). Its working directory is the folder's parent, so that a launcher that looked for
// pimbo.ini in the working directory instead of beside itself would fail.
Process StartLauncher(TestFolder const& folder);
// The launcher window (class and title above) of process pid, or null.
HWND FindLauncherWindow(DWORD pid);
// Waits for the window and for its creation to finish (the thread waits in a message loop:
// its own, or that of a message box shown during creation).
HWND WaitForLauncherWindow(DWORD pid, DWORD timeoutMs = WAIT_MS);
// Posts WM_CLOSE to the launcher's window and waits for the process to end. Returns its exit
// code, or STILL_ACTIVE when it did not end (or had no window).
DWORD CloseLauncher(Process const& launcher, DWORD timeoutMs = WAIT_MS);
// A library load order of Wine's for one program
// (HKCU\\Software\\Wine\\AppDefaults\\<program>\\DllOverrides), removed again at the end.
// "native,builtin" makes Wine load a DLL found beside the program, as Windows would.
class ScopedWineOverride {
 public:
  ScopedWineOverride(std::string const& program, const char* library, const char* order);
  ~ScopedWineOverride();
  ScopedWineOverride(ScopedWineOverride const&) = delete;
  ScopedWineOverride& operator=(ScopedWineOverride const&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::string key_;
  bool ok_ = false;
};

// True when the process answers a message sent to its window (it is not stuck).
bool Responds(HWND window, DWORD timeoutMs = 5000);

// ---------------------------------------------------------------------------------------------
// Windows and message boxes

std::string WindowText(HWND window);
std::string ClassOf(HWND window);
DWORD ProcessOf(HWND window);
// Top-level windows of process pid, optionally of one class and/or title (null: any).
std::vector<HWND> TopLevelWindows(DWORD pid, const char* className = nullptr,
                                  const char* title = nullptr, bool visibleOnly = false);
HWND WaitForWindow(DWORD pid, const char* className, const char* title,
                   bool visibleOnly = false, DWORD timeoutMs = WAIT_MS);
// Waits until IsWindowVisible(window) equals visible.
bool WaitVisible(HWND window, bool visible, DWORD timeoutMs = WAIT_MS);
// Waits until the window no longer exists.
bool WaitGone(HWND window, DWORD timeoutMs = WAIT_MS);

// A message box (dialog class "#32770") of process pid with this caption, once it is visible.
HWND WaitForMessageBox(DWORD pid, std::string const& caption, DWORD timeoutMs = WAIT_MS);
// The message of a message box: the texts of its "Static" children that have text, joined by
// "\n" (a message box has one: the icon static has none).
std::string MessageBoxText(HWND box);
// Ends the box as if its button id had been pressed, and waits until it is gone.
bool DismissMessageBox(HWND box, int buttonId = IDOK);

// ---------------------------------------------------------------------------------------------
// Keyboard (SendInput: the keys go to whichever window has the focus, as a user's would)

// Presses the modifiers (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN) and the key, then releases
// all in reverse order.
bool PressHotKey(UINT modifiers, WORD vk);
// Presses and releases one virtual key.
bool PressKey(WORD vk);
// Types printable ASCII text, with Shift where the keyboard layout needs it.
bool TypeText(std::string const& text);

// ---------------------------------------------------------------------------------------------
// Messages

bool Post(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// SendMessageTimeoutA; false when the call failed or timed out.
bool Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr,
          DWORD timeoutMs = 5000);

// ---------------------------------------------------------------------------------------------
// Notification area and menus

// True when the notification area holds the icon (owner, id): a NIM_MODIFY that changes
// nothing succeeds only for an icon that exists.
bool TrayIconExists(HWND owner, UINT id);
// True when the notification area takes icons at all (checked with an icon of a hidden window
// of the caller's own): without it, "no icon" proves nothing.
bool NotificationAreaWorks();
// The visible popup menu window (class "#32768") of process pid.
HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs = WAIT_MS);
// True when process pid shows no popup menu.
bool NoPopupMenu(DWORD pid);

struct MenuItem {
  UINT id;          // command identifier, 0 for a separator
  bool separator;
  std::string text; // as GetMenuStringA gives it, "&" included
};
// Items of the menu shown in popup (MN_GETHMENU, GetMenuItemCount, GetMenuItemInfoA,
// GetMenuStringA). Wine keeps menus per process, so these calls run inside the menu's own
// process: remote_reader.dll is loaded there (through a window hook) and reports through a file.
// Empty, with *error set, when the menu cannot be read.
std::vector<MenuItem> ReadPopupMenu(HWND popup, std::string* error);

// ---------------------------------------------------------------------------------------------
// The probe's log (see tests/probe/probe.cpp)

struct ProbeRecord {
  unsigned seq = 0;
  DWORD pid = 0;
  bool mutexHeld = false;
  std::string module;       // full path of the probe's executable
  std::string workDir;      // its working directory
  std::string commandLine;  // its command line as GetCommandLineA gave it
};
// Records of the log at path (folder.PathOf("probe.log") for a probe in folder).
std::vector<ProbeRecord> ReadProbeLog(std::string const& path);

// Case-insensitive equality of two paths or names (ASCII letters only).
bool SameText(std::string const& a, std::string const& b);


// ---------------------------------------------------------------------------------------------
// Added for the command tests

// Ids of the running processes that process parentPid started (tool-help parent id), e.g. the
// file manager that the shell opened for a folder command of the launcher.
std::vector<DWORD> ChildProcesses(DWORD parentPid);
// The Unix form of a Windows path (Wine's wine_get_unix_file_name), or "" outside Wine or when
// the path cannot be mapped. For settings that Wine reads as Unix paths (XDG_DATA_HOME).
std::string UnixPath(std::string const& windowsPath);


// ---------------------------------------------------------------------------------------------
// The settings editor

// The settings dialog's class and title; its controls (IDC_) are those of setting/resource.h,
// included above.
inline constexpr char EDITOR_CLASS[] = "#32770";
inline constexpr char EDITOR_TITLE[] = "Pimbo 設定";

// Starts folder\pimbosetting.exe with the folder's parent as working directory (as
// StartLauncher does, so that an editor that used the working directory would fail).
Process StartEditor(TestFolder const& folder);
// Starts the folder's program exeName in the folder, with Wine's debug channels set to
// channels (WINEDEBUG) and its trace written to the folder's file logName. Wine writes its
// trace to the Unix standard error, which a Windows program cannot point elsewhere for the
// programs it starts: so a Unix shell starts the program through "wine", in the same Wine
// session. The process once it runs (not Started() if it never did).
Process StartWithWineTrace(TestFolder const& folder, std::string const& exeName,
                           std::string const& channels, std::string const& logName);

// A call of ChangeWindowMessageFilterEx as Wine's "fixme+msg" channel records it (Wine has no
// integrity levels and only reports the call).
struct MessageFilterCall {
  HWND window;
  UINT message;
  DWORD action;
};
std::vector<MessageFilterCall> MessageFilterCalls(std::string const& trace);


// The visible settings dialog of process pid, once its thread answers messages; null when
// none appears within the timeout or the process ends first.
HWND WaitForEditorDialog(DWORD pid, DWORD timeoutMs = WAIT_MS);

// ---------------------------------------------------------------------------------------------
// Reads and changes inside another process (remote_reader.dll, as ReadPopupMenu)

struct ListViewColumn {
  int width = 0;       // LVM_GETCOLUMNA
  std::string title;
  RECT header{};       // the header item's rectangle on the screen (HDM_GETITEMRECT)
};
struct ListViewRow {
  bool selected = false;  // LVIS_SELECTED
  RECT rect{};            // LVM_GETITEMRECT (LVIR_BOUNDS) on the screen
  std::string text[4];    // LVM_GETITEMTEXTA of columns 0 to 3
};
struct ListViewState {
  int rowCount = 0;                     // LVM_GETITEMCOUNT
  std::vector<ListViewColumn> columns;  // by column index
  std::vector<int> order;               // LVM_GETCOLUMNORDERARRAY
  std::vector<ListViewRow> rows;        // the first maxRows rows (all when 0)
};
// Reads the list view; false, with *error set, when it cannot be read in time.
bool ReadListView(HWND list, ListViewState* state, std::string* error, int maxRows = 0,
                  DWORD timeoutMs = 60000);
// Selects exactly these rows of the list view (LVM_SETITEMSTATE), as a user's clicks would.
bool SelectListRows(HWND list, std::vector<int> const& rows, std::string* error);
// The list view's header click on column, as the list view hands it to its parent (sent in the
// program's own process: Wine marshals no WM_NOTIFY between processes).
bool ClickListHeader(HWND list, int column, std::string* error);

struct DialogControl {
  int id = 0;  // GetDlgCtrlID; -1 for an unnamed static
  std::string className;
  std::string text;
  DWORD style = 0;
  // The window rectangle relative to the dialog's client area, in dialog units (rounded, so
  // compare with a tolerance of one unit).
  int x = 0, y = 0, width = 0, height = 0;
  int pixelWidth = 0, pixelHeight = 0;  // the same size in pixels
};
struct DialogLayout {
  int baseX = 0, baseY = 0;                              // MapDialogRect of 4 by 8 units
  std::vector<DialogControl> controls;                   // direct children in template order
  std::map<int, std::vector<std::string>> comboItems;    // entries of each combo box, by id
};
bool ReadDialogLayout(HWND dialog, DialogLayout* layout, std::string* error);

// An extended combo box ("ComboBoxEx32"), whose texts CB_GETLBTEXT cannot read.
struct ComboExState {
  int selection = -1;              // CB_GETCURSEL; -1 (CB_ERR) for none
  std::vector<std::string> items;  // CBEM_GETITEMA texts, by index
};
bool ReadComboEx(HWND combo, ComboExState* state, std::string* error);

// ---------------------------------------------------------------------------------------------
// Mouse (SendInput with absolute coordinates over the virtual desktop, as a user's hand)

POINT CentreOf(RECT const& rect);
// Moves the cursor to the screen point; true once GetCursorPos reports it there.
bool MoveMouseTo(POINT screen);
// Presses or releases the left button where the cursor is.
bool LeftButton(bool down);
// Moves to the point, presses and releases the left button there, each once the cursor stays
// at the point.
bool ClickAt(POINT screen);
// Presses the left button at from, moves to to in steps intermediate moves (pausing between
// them so that the program sees each one), releases it there once the cursor stays there.
// midway, when given, runs at to with the button still held, before the release.
bool DragMouse(POINT from, POINT to, int steps = 8, std::function<void()> const& midway = {});

// ---------------------------------------------------------------------------------------------
// Added for the drop and window-pick tests

// What became of a drop (see REMOTE_POST_DROP in remote_reader.h).
enum class DropOutcome {
  Failed,    // no drop was made; *error says why
  Refused,   // the window takes no dropped files (no WS_EX_ACCEPTFILES), so none was made
  Handled,   // the window took the drop and released it without a question
  Asking,    // the window shows a modal box about the drop
  Pending,   // posted, but neither of the two within 10 s
};
// Drops the files at paths (ANSI, as the shell hands them to an "A" program) on window: the
// drop is built inside the window's process and posted there.
DropOutcome DropFiles(HWND window, std::vector<std::string> const& paths, std::string* error);

// A shortcut (.lnk) made with the shell-link object and saved at path. target empty: a link
// that points nowhere. Empty arguments and workingDirectory are left unset.
struct ShortcutContents {
  std::string target;
  std::string arguments;
  std::string workingDirectory;
};
bool MakeShortcut(std::string const& path, ShortcutContents const& contents, std::string* error);

// The window program that the window pick is tried on (tests/probe/pick_target.cpp).
std::string PickTargetExe();
// Its window's class and title, and the id of the edit control in its panel.
inline constexpr char PICK_TARGET_CLASS[] = "Pimbo Pick Target";
inline constexpr char PICK_TARGET_TITLE[] = "ピック対象 - 表示テスト";
inline constexpr int PICK_TARGET_EDIT_ID = 100;

// ---------------------------------------------------------------------------------------------
// Screenshots for the documentation

// When PIMBO_E2E_SHOT_DIR names a folder (scripts/take-screenshots), tells the script that the
// screen now shows what docs/<name>.png should hold, and waits (at most 60 s) until it has been
// taken. Does nothing otherwise.
void OfferScreenshot(std::string const& name);

}  // namespace e2e
