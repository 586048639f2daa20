// RunCommand: shows the chosen command in the input line, carries out the seven command types
// and hides the window as "HIDE TIME" says.
#include <windows.h>

#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "command_paths.h"
#include "launcher.h"
#include "resource.h"
#include "shared.h"
#include "system_calls.h"
#include "texts.h"

namespace {

// The shell object and its dispatch interface, whose ShutdownWindows shows the system's own
// shut-down dialog. Spelled out here so that no GUID library is needed.
CLSID const SHELL_CLASS = {0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
IID const SHELL_DISPATCH_INTERFACE = {
    0xD8F015C0, 0xC278, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
DWORD const SHELL_CLASS_CONTEXT = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;  // 3

// The path of the next launcher, as the exit sequence sizes it.
DWORD const OWN_PATH_SIZE = MAX_PATH + 1;

using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
using EmptyRecycleBinFunction = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
using UpdateRecycleBinIconFunction = void(WINAPI*)();

// A library loaded for one action and freed when the action ends.
class LoadedLibrary {
 public:
  // From the system folder only, never from the launcher's own.
  explicit LoadedLibrary(const char* name) : module_(LoadSystemLibrary(name)) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }

  // The exported function name as Function, or null.
  template <typename Function>
  Function Find(const char* name) const {
    // FARPROC only stands for "some function"; the detour through void (*)() says so to the
    // compiler's function-cast check.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

UINT HideDelayMilliseconds(BYTE hideTime) {
  switch (hideTime) {
    case HIDE_AFTER_1S:
      return 1000;
    case HIDE_AFTER_2S:
      return 2000;
    default:
      return 3000;
  }
}

// The expanded text, or source unchanged when the expansion fails or would not fit. A source
// that does not fit either gives the empty text, so nothing cut short is ever run.
void ExpandOrKeep(const char* source, char (&out)[PATH_BUFFER_SIZE]) {
  if (!ExpandPath(source, out, sizeof out)) {
    CopyTextWhole(out, sizeof out, source);
  }
}

bool IsEmpty(const char* text) {
  return text == nullptr || text[0] == '\0';
}

void StartApplication(HWND window, const CommandRecord& command) {
  // The program's own folder, backslash included, taken before any expansion; the shell
  // expands it (SEE_MASK_DOENVSUBST).
  char directory[PATH_BUFFER_SIZE] = "";
  if (command.exe != nullptr && CopyTextWhole(directory, sizeof directory, command.exe)) {
    *FileNamePart(directory) = '\0';
  }
  char arguments[PATH_BUFFER_SIZE] = "";
  if (!IsEmpty(command.file)) {
    ExpandOrKeep(command.file, arguments);
  }
  SHELLEXECUTEINFOA request = {};
  request.cbSize = sizeof(request);
  request.fMask = SEE_MASK_DOENVSUBST;
  request.hwnd = window;
  if (command.exe != nullptr) {
    request.lpFile = command.exe;
    request.lpParameters = arguments;
  } else {
    request.lpFile = arguments;  // a document opened with its default program
  }
  request.lpDirectory = directory;
  request.nShow = SW_SHOW;
  EnsureComApartment();
  ShellExecuteExA(&request);
}

void OpenFolder(const CommandRecord& command) {
  if (command.file == nullptr) return;
  char folder[PATH_BUFFER_SIZE];
  ExpandOrKeep(command.file, folder);
  bool const explore = command.exe != nullptr && command.exe[0] == '0' + FOLDER_EXPLORE;
  EnsureComApartment();
  ShellExecuteA(nullptr, explore ? VERB_EXPLORE : VERB_OPEN, folder, nullptr, nullptr, SW_SHOW);
}

void ShowShutDownDialog() {
  LoadedLibrary ole(OLE32_LIBRARY);
  if (!ole.loaded()) return;
  auto coCreateInstance = ole.Find<CoCreateInstanceFunction>(OLE32_CO_CREATE_INSTANCE);
  if (coCreateInstance == nullptr) return;
  // The thread's apartment, kept for the process: the shell's other calls want it too.
  EnsureComApartment();
  // IShellDispatch as shldisp.h declares it: ShutdownWindows is the 21st entry of its table
  // (3 of IUnknown, 4 of IDispatch, 13 before it), called through the compiler's own vtable
  // layout so that it is right in the 64-bit build too.
  IShellDispatch* shell = nullptr;
  HRESULT const created = coCreateInstance(SHELL_CLASS, nullptr, SHELL_CLASS_CONTEXT,
                                           SHELL_DISPATCH_INTERFACE,
                                           reinterpret_cast<void**>(&shell));
  if (SUCCEEDED(created) && shell != nullptr) {
    shell->ShutdownWindows();
    shell->Release();
  }
}

// True when the process holds the shut-down privilege now. AdjustTokenPrivileges succeeds
// also when it enabled nothing; only ERROR_NOT_ALL_ASSIGNED then tells (a user whose account
// may not shut the computer down).
bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  bool held = LookupPrivilegeValueA(nullptr, SHUTDOWN_PRIVILEGE, &privileges.Privileges[0].Luid);
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  TOKEN_PRIVILEGES previous = {};
  DWORD previousSize = sizeof(previous);
  SetLastError(ERROR_SUCCESS);
  held = held && AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(previous), &previous,
                                       &previousSize) &&
         GetLastError() != ERROR_NOT_ALL_ASSIGNED;
  CloseHandle(token);
  return held;
}

// Asks "<label> しますか？" under "Pimbo - <computer name>" and, on OK, ends the session.
void ConfirmAndExitWindows(HWND window, int code) {
  struct Choice {
    UINT flags;
    const char* label;
  };
  static Choice const choices[] = {
      {EWX_SHUTDOWN | EWX_POWEROFF, EXITWIN_LABEL_SHUTDOWN},  // EXITWIN_SHUTDOWN: 9
      {EWX_REBOOT, EXITWIN_LABEL_REBOOT},                     // EXITWIN_REBOOT: 2
      {EWX_LOGOFF, EXITWIN_LABEL_LOGOFF},                     // EXITWIN_LOGOFF: 0
  };
  Choice const& choice = choices[code];

  char caption[128];
  std::size_t const prefixLength = sizeof(EXITWIN_CAPTION_PREFIX) - 1;
  CopyBytes(caption, EXITWIN_CAPTION_PREFIX, prefixLength + 1);
  DWORD nameSize = static_cast<DWORD>(sizeof(caption) - prefixLength);
  if (!GetComputerNameA(caption + prefixLength, &nameSize)) {
    caption[prefixLength] = '\0';
  }
  caption[sizeof(caption) - 1] = '\0';

  char question[64];
  std::snprintf(question, sizeof(question), EXITWIN_QUESTION_FORMAT, choice.label);
  if (StyledMessageBoxA(window, question, caption, MB_ICONQUESTION | MB_OKCANCEL) != IDOK) return;

  // Logging off needs no privilege; shutting down and restarting do, and without it the
  // request would fail unseen.
  if (!EnableShutdownPrivilege() && choice.flags != EWX_LOGOFF) {
    StyledMessageBoxA(window, EXITWIN_DENIED_TEXT, caption, MB_ICONWARNING | MB_OK);
    return;
  }
  ShowWindow(window, SW_HIDE);
  // A planned end of the session, so that the system's shut-down log records no surprise.
  ExitWindowsEx(choice.flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                                  SHTDN_REASON_FLAG_PLANNED);
}

void ExitWindowsSession(HWND window, const CommandRecord& command) {
  if (IsEmpty(command.exe)) return;
  int const code = command.exe[0] - '0';
  if (code == EXITWIN_DIALOG) {
    ShowShutDownDialog();  // the system's dialog asks by itself
  } else if (code >= EXITWIN_SHUTDOWN && code <= EXITWIN_LOGOFF) {
    ConfirmAndExitWindows(window, code);
  }
}

// Starts a new launcher and ends this one at once, without the orderly shutdown: the window
// stays and the old notification-area icon is left for the shell to discard.
void RestartAtOnce(HWND window) {
  auto* path = static_cast<char*>(HeapAlloc(ProcessHeap, 0, OWN_PATH_SIZE));
  if (path == nullptr) return;  // nothing given up yet: the launcher simply stays
  // The new launcher must be able to take the hot key and must not find the mutex.
  SetLauncherHotKey(window, FALSE);
  if (InstanceMutex != nullptr) {
    CloseHandle(InstanceMutex);
    InstanceMutex = nullptr;
  }
  DWORD const length = GetModuleFileNameA(Instance, path, OWN_PATH_SIZE);
  // A path that filled the buffer was cut short and would name some other file.
  if (length != 0 && length < OWN_PATH_SIZE) StartProgramInItsFolder(path);
  HeapFree(ProcessHeap, 0, path);
  SetErrorMode(0);
  ExitProcess(static_cast<UINT>(-1));
}

void ControlLauncher(HWND window, const CommandRecord& command) {
  if (IsEmpty(command.exe)) return;
  switch (command.exe[0] - '0') {
    case CONTROL_SETTINGS:
      SendMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);  // as the menu item does
      break;
    case CONTROL_EXIT:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case CONTROL_RESTART:
      SendMessageA(window, WM_COMMAND, IDM_RESTART, 0);
      break;
    case CONTROL_FORCED_RESTART:
      RestartAtOnce(window);
      break;
    default:
      break;
  }
}

void EmptyRecycleBin(HWND window) {
  LoadedLibrary shell(SHELL32_LIBRARY);
  if (!shell.loaded()) return;
  auto update = shell.Find<UpdateRecycleBinIconFunction>(SHELL32_UPDATE_RECYCLE_BIN_ICON);
  auto empty = shell.Find<EmptyRecycleBinFunction>(SHELL32_EMPTY_RECYCLE_BIN);
  // The shell's confirmation and progress come up in place of the input line.
  ShowWindow(window, SW_HIDE);
  if (empty != nullptr) empty(nullptr, nullptr, 0);
  if (update != nullptr) update();
}

bool PathExists(const char* path, void*) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void CreateDesktopFolder(HWND window, const CommandRecord& command) {
  LPITEMIDLIST desktopItems = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(window, CSIDL_DESKTOP, &desktopItems)) ||
      desktopItems == nullptr) {
    return;
  }
  char desktop[PATH_BUFFER_SIZE] = "";
  char path[PATH_BUFFER_SIZE] = "";
  // The name is used as stored. One with separators or wildcards (only a hand-edited file
  // holds such a name), or a path that would not fit the buffer, creates nothing.
  if (SHGetPathFromIDListA(desktopItems, desktop) &&
      EnsureTrailingBackslash(desktop, sizeof(desktop)) && !IsEmpty(command.file) &&
      ChooseFreeFolderPath(desktop, command.file, path, sizeof(path), PathExists, nullptr)) {
    CreateDirectoryA(path, nullptr);
  }
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(desktopItems);
    allocator->Release();
  }
}

void PerformCommand(HWND window, const CommandRecord& command) {
  switch (command.type) {
    case CMD_APP:
      StartApplication(window, command);
      break;
    case CMD_FOLDER:
      OpenFolder(command);
      break;
    case CMD_EXIT_WINDOWS:
      ExitWindowsSession(window, command);
      break;
    case CMD_SCREENSAVER:
      PostMessageA(GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
      break;
    case CMD_CONTROL:
      ControlLauncher(window, command);
      break;
    case CMD_EMPTY_RECYCLE_BIN:
      EmptyRecycleBin(window);
      break;
    case CMD_DESKTOP_FOLDER:
      CreateDesktopFolder(window, command);
      break;
    default:
      break;  // a type a hand-edited file made up does nothing
  }
}

}  // namespace

void RunCommand(HWND window, UINT_PTR* hideTimerId, char* inputText, CommandRecord* command) {
  WriteDisplayLine(inputText, command->name);
  // The line must be on the screen before anything runs.
  InvalidateRect(window, nullptr, TRUE);
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_NOINTERNALPAINT);
  if (HideTime == HIDE_BEFORE) {
    ShowWindow(window, SW_HIDE);
  }
  PerformCommand(window, *command);
  if (HideTime == HIDE_AFTER) {
    ShowWindow(window, SW_HIDE);
  }
  if (*hideTimerId != 0) {
    KillTimer(window, *hideTimerId);
  }
  if (!IsWindowVisible(window)) {
    return;
  }
  *hideTimerId = SetTimer(window, HIDE_TIMER_ID, HideDelayMilliseconds(HideTime), nullptr);
}
