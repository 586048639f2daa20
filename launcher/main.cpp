// The launcher's entry: single instance, settings, window class and window, message loop, and
// the exit sequence that may start the settings editor or a new launcher; also the creation
// and destruction steps of the launcher window.
#include <windows.h>

#include <imm.h>
#include <shellapi.h>

#include <cstdlib>

#include "command_walk.h"
#include "commands.h"
#include "launcher.h"
#include "system_calls.h"
#include "resource.h"
#include "shared.h"
#include "startup_rules.h"
#include "texts.h"

static_assert(IDI_LAUNCHER == IDI_LAUNCHER_ICON, "launcher.rc and the code name one icon");

// Replaces the C++ runtime's default terminate handler, which prints the pending exception to
// the standard error and aborts. The printing pulls in the runtime's name demangler, 45 KB or a
// fifth of pimbo.exe (measured with the linker's map), to write where a GUI program has no
// reader; aborting is all that is left of it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

namespace {

// Size of the heap buffers that hold the path of the next program in the exit sequence.
DWORD const NEXT_PROGRAM_PATH_SIZE = MAX_PATH + 1;

// The class background brush; the class keeps using it until the process ends.
HBRUSH BackgroundBrush = nullptr;

// The settings keys that the launcher reads.
enum LauncherSetting {
  SETTING_HOT_KEY,
  SETTING_FG_COLOR,
  SETTING_BG_COLOR,
  SETTING_HIDE_TIME,
  SETTING_NO_TRAY,
  SETTING_XPOINT,
  SETTING_YPOINT,
  SETTING_COUNT
};

// The texts of the settings keys as pimbo.ini holds them, read with the commands.
char SettingTexts[SETTING_COUNT][SETTING_TEXT_SIZE];
SettingText SettingReads[SETTING_COUNT] = {
    {KEY_HOT_KEY, SettingTexts[SETTING_HOT_KEY], SETTING_TEXT_SIZE, 0, false},
    {KEY_FG_COLOR, SettingTexts[SETTING_FG_COLOR], SETTING_TEXT_SIZE, 0, false},
    {KEY_BG_COLOR, SettingTexts[SETTING_BG_COLOR], SETTING_TEXT_SIZE, 0, false},
    {KEY_HIDE_TIME, SettingTexts[SETTING_HIDE_TIME], SETTING_TEXT_SIZE, 0, false},
    {KEY_NO_TRAY, SettingTexts[SETTING_NO_TRAY], SETTING_TEXT_SIZE, 0, false},
    {KEY_XPOINT, SettingTexts[SETTING_XPOINT], SETTING_TEXT_SIZE, 0, false},
    {KEY_YPOINT, SettingTexts[SETTING_YPOINT], SETTING_TEXT_SIZE, 0, false},
};

// Reads pimbo.ini once, settings and commands in one pass over its text. Neither a profile
// model nor the platform's profile reader: the one would be built only to be thrown away, and
// the other would parse the whole file again for each key and, under Wine, keep its parse for
// the life of the process.
void ReadProfileOnce() {
  LoadLauncherProfile(IniPath[0] != '\0' ? IniPath : nullptr, SettingReads, SETTING_COUNT,
                      &Commands);
}

// One setting as a number, converted as the platform's profile reader converts it; a missing
// or empty key gives the default.
UINT ReadSetting(LauncherSetting setting, int defaultValue) {
  if (SettingReads[setting].length == 0) return static_cast<UINT>(defaultValue);
  return static_cast<UINT>(SettingNumber(SettingTexts[setting]));
}

void ReadLauncherSettings() {
  // Values that do not fit are cut to their low bits, as the file's readers always have.
  HotKey = static_cast<WORD>(ReadSetting(SETTING_HOT_KEY, DEFAULT_HOT_KEY));
  TextColor = ReadSetting(SETTING_FG_COLOR, static_cast<int>(GetSysColor(COLOR_BTNTEXT)));
  BackgroundColor = ReadSetting(SETTING_BG_COLOR, static_cast<int>(GetSysColor(COLOR_WINDOW)));
  HideTime = static_cast<BYTE>(ReadSetting(SETTING_HIDE_TIME, DEFAULT_HIDE_TIME));
  NoTray = static_cast<int>(ReadSetting(SETTING_NO_TRAY, DEFAULT_NO_TRAY));
}

bool RegisterLauncherClass() {
  BackgroundBrush = CreateSolidBrush(BackgroundColor);
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = LauncherWndProc;
  windowClass.hInstance = Instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
  windowClass.hbrBackground = BackgroundBrush;
  windowClass.lpszClassName = WINDOW_CLASS_NAME;
  return RegisterClassA(&windowClass) != 0;
}

// Starts the program at path (a 261-byte heap buffer) in its folder; an empty path (one that
// did not fit) starts nothing. Failures are not the ending launcher's concern.
void StartNextProgram(const char* path) {
  if (path[0] == '\0') return;
  StartProgramInItsFolder(path);
}

void StartProgramOfExitAction() {
  if (ExitAction != EXIT_ACTION_SETTINGS && ExitAction != EXIT_ACTION_RESTART) return;
  char* path = static_cast<char*>(
      HeapAlloc(ProcessHeap, HEAP_ZERO_MEMORY, NEXT_PROGRAM_PATH_SIZE));
  if (path == nullptr) return;
  if (ExitAction == EXIT_ACTION_SETTINGS) {
    BuildLauncherPaths(path);
  } else {
    // A path that filled the buffer was cut short and would name some other file.
    DWORD const length = GetModuleFileNameA(Instance, path, NEXT_PROGRAM_PATH_SIZE);
    if (length == 0 || length >= NEXT_PROGRAM_PATH_SIZE) path[0] = '\0';
  }
  StartNextProgram(path);
  HeapFree(ProcessHeap, 0, path);
}

// Releases what the process holds and ends it. The mutex is closed before the next program
// starts, because that program takes the same mutex and would end at once if it still existed.
[[noreturn]] void RunExitSequence(UINT exitCode) {
  if (InstanceMutex != nullptr) {
    CloseHandle(InstanceMutex);
    InstanceMutex = nullptr;
  }
  if (LauncherFont != nullptr) {
    DeleteObject(LauncherFont);
    LauncherFont = nullptr;
  }
  StartProgramOfExitAction();
  ExitProcess(exitCode);
}

// Creates the window and runs the message loop; returns the exit code the loop ended with,
// or 0 when the class or the window could not be made.
UINT RunLauncherWindow() {
  if (!RegisterLauncherClass()) return 0;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, WINDOW_CLASS_NAME, WINDOW_TITLE,
                                WS_POPUP | WS_BORDER, 0, 0, LauncherWidth(), RowPitch(),
                                nullptr, nullptr, Instance, nullptr);
  if (window == nullptr) return 0;

  MSG message = {};
  // GetMessageA answers -1 on an error; ending there beats spinning on it.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The character messages that TranslateMessage makes are what the window types from.
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<UINT>(message.wParam);
}

}  // namespace

void BuildLauncherPaths(char* editorPath) {
  char modulePath[MAX_PATH] = "";
  DWORD const length = GetModuleFileNameA(Instance, modulePath, MAX_PATH);
  LauncherPathsFromModule(modulePath, length, MAX_PATH, IniPath, sizeof(IniPath), editorPath,
                          NEXT_PROGRAM_PATH_SIZE);
}

void SetUpLauncherWindow(HWND window) {
  SetLauncherHotKey(window, TRUE);  // shows its own message on failure; start-up goes on

  // The font and the size at the scale of the monitor the window was made on.
  ScaleLauncherWindow(window, LauncherWindowDpi(window));

  // The small icon size is 16 pixels at 100 % and 20, 24 or 32 at larger scales; icon 101 is
  // drawn at each of them, so the shell gets the picture of its size rather than a scaled one.
  TrayIcon = static_cast<HICON>(LoadImageA(Instance, MAKEINTRESOURCEA(IDI_LAUNCHER), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  AddTrayIcon(window);

  // Without an input method only single-byte characters reach the window, which is all a
  // launch key may hold.
  SavedImeContext = ImmAssociateContext(window, nullptr);
}

void TearDownLauncherWindow(HWND window) {
  SetLauncherHotKey(window, FALSE);
  KillTimer(window, TRAY_RETRY_TIMER_ID);
  NotifyTrayIcon(window, NIM_DELETE, TRAY_ICON_ID, nullptr, nullptr);
  if (TrayIcon != nullptr) {
    DestroyIcon(TrayIcon);
    TrayIcon = nullptr;
  }
  ImmAssociateContext(window, SavedImeContext);
}

LRESULT LauncherOnCreate(HWND window) {
  int const x = static_cast<int>(ReadSetting(SETTING_XPOINT, DEFAULT_POINT));
  int const y = static_cast<int>(ReadSetting(SETTING_YPOINT, DEFAULT_POINT));
  SetUpLauncherWindow(window);
  // Only both at -1 centre the window; a single -1 is an ordinary coordinate.
  if (x == DEFAULT_POINT && y == DEFAULT_POINT) {
    CenterWindowOnDesktop(window);
  } else {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  GetWindowRect(window, &StoredRect);
  PlaceLauncherWindow();
  ResizeToRows(window, 1);
  TaskbarCreatedMsg = RegisterWindowMessageA(TASKBAR_CREATED);
  // Started as administrator, the launcher would not hear the shell (a lower integrity level)
  // announce that it restarted, and its icon would not come back.
  if (TaskbarCreatedMsg != 0)
    ChangeWindowMessageFilterEx(window, TaskbarCreatedMsg, MSGFLT_ALLOW, nullptr);
  return 0;
}

LRESULT LauncherOnDestroy(HWND window) {
  TearDownLauncherWindow(window);
  PostQuitMessage(0);
  return 0;
}

void LauncherMain() {
  RestrictDllSearch();
  Instance = GetModuleHandleA(nullptr);
  ProcessHeap = GetProcessHeap();

  // Cleared first so that only this call can leave ERROR_ALREADY_EXISTS behind.
  SetLastError(ERROR_SUCCESS);
  InstanceMutex = CreateMutexA(nullptr, TRUE, MUTEX_NAME);
  // Another launcher or the settings editor holds the mutex: leave without a trace.
  if (GetLastError() == ERROR_ALREADY_EXISTS) RunExitSequence(0);

  // Garbled texts are better explained than shown silently; the box waits on a thread of its
  // own, so that a launcher started with Windows has its hot key and icon while no one has
  // read it yet. After the mutex: a second launcher still ends without a trace.
  WarnUnlessCodePage932(CodePageWarning::OnOwnThread);

  BuildLauncherPaths(nullptr);
  TakeSystemScale();
  ReadProfileOnce();
  ReadLauncherSettings();

  UINT const exitCode = RunLauncherWindow();

  // Candidates point into the command list, so they go first.
  if (CandidateList != nullptr) {
    FreeCandidates(CandidateList);
    CandidateList = nullptr;
  }
  FreeCommandList(&Commands);
  if (BackgroundBrush != nullptr) {
    // The window is gone; with it the class's last user of the brush.
    DeleteObject(BackgroundBrush);
    BackgroundBrush = nullptr;
  }
  RunExitSequence(exitCode);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LauncherMain();
}
