// The end-to-end driver's implementation: folders, processes, windows, keys and probe logs.
#include "driver.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

std::string EnvOr(const char* name, std::string const& fallback) {
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : fallback;
}

std::string ImagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return "";
  char buffer[32768];
  DWORD size = sizeof buffer;
  std::string path;
  if (QueryFullProcessImageNameA(process, 0, buffer, &size)) path.assign(buffer, size);
  CloseHandle(process);
  return path;
}

template <class Visit>
void ForEachProcess(Visit visit) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID != GetCurrentProcessId()) visit(entry);
  }
  CloseHandle(snapshot);
}

bool StartsWithText(std::string const& text, std::string const& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

void AddKey(std::vector<INPUT>& inputs, WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  inputs.push_back(input);
}

bool SendInputs(std::vector<INPUT>& inputs) {
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Waiting

bool WaitUntil(std::function<bool()> const& condition, DWORD timeoutMs) {
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return condition();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

bool StaysFalse(std::function<bool()> const& condition, DWORD quietMs) {
  return !WaitUntil(condition, quietMs);
}

// ---------------------------------------------------------------------------------------------
// Paths and files

std::string WinePath(std::string const& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string LauncherExe() {
  return EnvOr("PIMBO_E2E_LAUNCHER", WinePath(PIMBO_E2E_LAUNCHER_UNIX_PATH));
}

std::string EditorExe() {
  return EnvOr("PIMBO_E2E_EDITOR", WinePath(PIMBO_E2E_EDITOR_UNIX_PATH));
}

std::string ProbeExe() {
  return EnvOr("PIMBO_E2E_PROBE", WinePath(PIMBO_E2E_PROBE_UNIX_PATH));
}

std::string RemoteReaderDll() {
  return EnvOr("PIMBO_E2E_REMOTE_READER", WinePath(PIMBO_E2E_REMOTE_READER_UNIX_PATH));
}

std::string IniText(std::initializer_list<std::string> lines) {
  std::string text;
  for (std::string const& line : lines) text += line + "\r\n";
  return text;
}

TestFolder::TestFolder(std::string const& tag, size_t minPathLength) {
  static unsigned counter = 0;
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return;
  std::string base = std::string(temp, n);
  if (base.back() == '\\') base.pop_back();
  base += "\\pimbo-e2e";
  CreateDirectoryW(LongPath(base).c_str(), nullptr);

  removeRoot_ = base + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
  RemoveTree(LongPath(removeRoot_));  // left over from a killed run with the same pid
  if (!CreateDirectoryW(LongPath(removeRoot_).c_str(), nullptr)) return;
  path_ = removeRoot_;
  // Nested folders of up to 40 bytes each; the last two share the rest evenly, so that the
  // path ends at exactly minPathLength bytes whenever that is reachable.
  while (path_.size() < minPathLength) {
    size_t need = minPathLength - path_.size();
    size_t segment = need >= 82 ? 40 : need > 41 ? need / 2 : need > 1 ? need - 1 : 1;
    path_ += "\\" + std::string(segment, 'd');
    if (!CreateDirectoryW(LongPath(path_).c_str(), nullptr)) return;
  }
  ok_ = true;
}

TestFolder::~TestFolder() {
  if (removeRoot_.empty()) return;
  StopProcessesIn(removeRoot_);
  // A process that has just ended may still hold its executable open for a moment.
  WaitUntil(
      [&] {
        RemoveTree(LongPath(removeRoot_));
        return GetFileAttributesW(LongPath(removeRoot_).c_str()) == INVALID_FILE_ATTRIBUTES;
      },
      5000);
}

std::string TestFolder::PathOf(std::string const& name) const { return path_ + "\\" + name; }

bool TestFolder::WriteFile(std::string const& name, std::string const& bytes) const {
  return WriteBytes(PathOf(name), bytes);
}

bool TestFolder::Exists(std::string const& name) const { return FileExists(PathOf(name)); }

bool TestFolder::CopyIn(std::string const& source, std::string const& name) const {
  return ok_ && CopyFileW(LongPath(source).c_str(), LongPath(PathOf(name)).c_str(), FALSE);
}

bool TestFolder::InstallLauncher() const { return CopyIn(LauncherExe(), "pimbo.exe"); }

bool TestFolder::InstallEditor() const { return CopyIn(EditorExe(), "pimbosetting.exe"); }

bool TestFolder::InstallProbe(std::string const& name) const { return CopyIn(ProbeExe(), name); }

// ---------------------------------------------------------------------------------------------
// Processes

Process::~Process() {
  if (Running()) Stop();
  Release();
}

Process::Process(Process&& other) noexcept
    : process_(other.process_), pid_(other.pid_), error_(other.error_) {
  other.process_ = nullptr;
  other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (Running()) Stop();
    Release();
    process_ = other.process_;
    pid_ = other.pid_;
    error_ = other.error_;
    other.process_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

void Process::Release() {
  if (process_) CloseHandle(process_);
  process_ = nullptr;
}

Process Process::Start(std::string const& exe, std::string const& args,
                       std::string const& workDir) {
  Process result;
  std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    result.error_ = GetLastError();
    // Wine's CreateProcessA refuses an executable path of 260 bytes or more (error 3); the
    // wide form takes it.
    std::wstring wideLine = LongPath(commandLine).substr(4);
    std::wstring wideDir = workDir.empty() ? L"" : LongPath(workDir).substr(4);
    STARTUPINFOW wideStartup{};
    wideStartup.cb = sizeof wideStartup;
    if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        wideDir.empty() ? nullptr : wideDir.c_str(), &wideStartup, &info)) {
      return result;
    }
    result.error_ = 0;
  }
  CloseHandle(info.hThread);
  result.process_ = info.hProcess;
  result.pid_ = info.dwProcessId;
  return result;
}

Process Process::Attach(DWORD pid) {
  Process result;
  result.process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION,
                                FALSE, pid);
  if (result.process_) {
    result.pid_ = pid;
  } else {
    result.error_ = GetLastError();
  }
  return result;
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs) const {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

bool Process::Stop(DWORD timeoutMs) {
  if (!Running()) return true;
  for (HWND window : TopLevelWindows(pid_)) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitExit(timeoutMs)) return true;
  TerminateProcess(process_, 1);
  WaitExit(5000);
  return false;
}

void StopProcessesIn(std::string const& folder) {
  std::vector<DWORD> pids;
  ForEachProcess([&](PROCESSENTRY32 const& entry) {
    if (StartsWithText(ImagePath(entry.th32ProcessID), folder + "\\")) {
      pids.push_back(entry.th32ProcessID);
    }
  });
  for (DWORD pid : pids) Process::Attach(pid).Stop();
}

std::vector<DWORD> ProcessesIn(std::string const& folder, std::string const& exeName) {
  std::vector<DWORD> pids;
  ForEachProcess([&](PROCESSENTRY32 const& entry) {
    if (SameText(ImagePath(entry.th32ProcessID), folder + "\\" + exeName)) {
      pids.push_back(entry.th32ProcessID);
    }
  });
  return pids;
}

int CountProcesses(std::string const& exeName) {
  int count = 0;
  ForEachProcess([&](PROCESSENTRY32 const& entry) { count += SameText(entry.szExeFile, exeName); });
  return count;
}

// ---------------------------------------------------------------------------------------------
// The launcher

namespace {

Process StartInParent(TestFolder const& folder, std::string const& exeName) {
  std::string const& path = folder.Path();
  std::string parent = path.substr(0, path.find_last_of('\\'));
  return Process::Start(folder.PathOf(exeName), "", parent);
}

}  // namespace

Process StartLauncher(TestFolder const& folder) { return StartInParent(folder, "pimbo.exe"); }

HWND FindLauncherWindow(DWORD pid) {
  std::vector<HWND> windows = TopLevelWindows(pid, LAUNCHER_CLASS, LAUNCHER_TITLE);
  return windows.empty() ? nullptr : windows.front();
}

HWND WaitForLauncherWindow(DWORD pid, DWORD timeoutMs) {
  // The window can be found, and even answer a sent message, while WM_CREATE still runs (its
  // Shell_NotifyIconA call waits on the taskbar and lets sent messages in), before the window
  // is placed. WaitForInputIdle returns only once the thread waits in a message loop (measured
  // under Wine 8 with a creation that sleeps after adding its icon).
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return nullptr;
  HWND window = nullptr;
  // A launcher that ends without a window fails the wait at once, not after the timeout.
  WaitUntil(
      [&] {
        window = FindLauncherWindow(pid);
        return window || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
      },
      timeoutMs);
  if (window) {
    ULONGLONG now = GetTickCount64();
    WaitForInputIdle(process, now < deadline ? static_cast<DWORD>(deadline - now) : 0);
  }
  CloseHandle(process);
  return window && Responds(window) ? window : nullptr;
}

DWORD CloseLauncher(Process const& launcher, DWORD timeoutMs) {
  HWND window = FindLauncherWindow(launcher.Id());
  if (!window || !Post(window, WM_CLOSE)) return STILL_ACTIVE;
  launcher.WaitExit(timeoutMs);
  return launcher.ExitCode();
}

ScopedWineOverride::ScopedWineOverride(std::string const& program, const char* library,
                                       const char* order)
    : key_("Software\\Wine\\AppDefaults\\" + program) {
  HKEY overrides = nullptr;
  ok_ = RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &overrides, nullptr) == ERROR_SUCCESS;
  if (!ok_) return;
  ok_ = RegSetValueExA(overrides, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                       static_cast<DWORD>(std::strlen(order) + 1)) == ERROR_SUCCESS;
  RegCloseKey(overrides);
}

ScopedWineOverride::~ScopedWineOverride() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

bool Responds(HWND window, DWORD timeoutMs) { return Send(window, WM_NULL, 0, 0, nullptr, timeoutMs); }

// ---------------------------------------------------------------------------------------------
// The settings editor

Process StartEditor(TestFolder const& folder) { return StartInParent(folder, "pimbosetting.exe"); }

Process StartWithWineTrace(TestFolder const& folder, std::string const& exeName,
                           std::string const& channels, std::string const& logName) {
  std::string const program = UnixPath(folder.PathOf(exeName));
  std::string const log = UnixPath(folder.PathOf(logName));
  std::string const here = UnixPath(folder.Path());
  if (program.empty() || log.empty() || here.empty()) return Process();
  std::string line = "sh -c \"cd '" + here + "' && WINEDEBUG=" + channels + " exec wine '" +
                     program + "' 2>'" + log + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL const started = CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  if (!started) return Process();
  DWORD pid = 0;
  WaitUntil([&] {
    std::vector<DWORD> pids = ProcessesIn(folder.Path(), exeName);
    pid = pids.empty() ? 0 : pids.front();
    return pid != 0;
  });
  return pid != 0 ? Process::Attach(pid) : Process();
}

std::vector<MessageFilterCall> MessageFilterCalls(std::string const& trace) {
  // "...:fixme:msg:ChangeWindowMessageFilterEx <window> <message, hex> <action> <info>"
  std::vector<MessageFilterCall> calls;
  char const name[] = "ChangeWindowMessageFilterEx ";
  for (size_t at = trace.find(name); at != std::string::npos; at = trace.find(name, at + 1)) {
    unsigned long long window = 0;
    unsigned message = 0;
    unsigned long action = 0;
    if (std::sscanf(trace.c_str() + at + sizeof name - 1, "%llx %x %lu", &window, &message,
                    &action) == 3) {
      calls.push_back({reinterpret_cast<HWND>(static_cast<ULONG_PTR>(window)), message,
                       static_cast<DWORD>(action)});
    }
  }
  return calls;
}

HWND WaitForEditorDialog(DWORD pid, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return nullptr;
  HWND dialog = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> found = TopLevelWindows(pid, EDITOR_CLASS, EDITOR_TITLE, true);
        dialog = found.empty() ? nullptr : found.front();
        return dialog || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
      },
      timeoutMs);
  CloseHandle(process);
  return dialog && Responds(dialog) ? dialog : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Windows and message boxes

std::string WindowText(HWND window) {
  char buffer[4096];
  DWORD_PTR length = 0;
  // WM_GETTEXT reaches the control itself; GetWindowTextA would only read the name the
  // system keeps for a window of another process.
  if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 5000, &length)) {
    return std::string(buffer, length < sizeof buffer ? length : 0);
  }
  int n = GetWindowTextA(window, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

std::string ClassOf(HWND window) {
  char buffer[256];
  int n = GetClassNameA(window, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const char* className, const char* title,
                                  bool visibleOnly) {
  struct Filter {
    DWORD pid;
    const char* className;
    const char* title;
    bool visibleOnly;
    std::vector<HWND> found;
  } filter{pid, className, title, visibleOnly, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Filter& f = *reinterpret_cast<Filter*>(param);
        if (ProcessOf(window) != f.pid) return TRUE;
        if (f.visibleOnly && !IsWindowVisible(window)) return TRUE;
        if (f.className && ClassOf(window) != f.className) return TRUE;
        if (f.title) {
          char text[512];
          int n = GetWindowTextA(window, text, sizeof text);
          if (std::string(text, n > 0 ? n : 0) != f.title) return TRUE;
        }
        f.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&filter));
  return filter.found;
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title, bool visibleOnly,
                   DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> windows = TopLevelWindows(pid, className, title, visibleOnly);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool WaitVisible(HWND window, bool visible, DWORD timeoutMs) {
  return WaitUntil([&] { return IsWindow(window) && (IsWindowVisible(window) != 0) == visible; },
                   timeoutMs);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

HWND WaitForMessageBox(DWORD pid, std::string const& caption, DWORD timeoutMs) {
  return WaitForWindow(pid, "#32770", caption.c_str(), true, timeoutMs);
}

std::string MessageBoxText(HWND box) {
  std::vector<HWND> statics;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        if (ClassOf(child) == "Static") reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&statics));
  std::string text;
  for (HWND child : statics) {
    std::string part = WindowText(child);
    if (part.empty()) continue;
    if (!text.empty()) text += "\n";
    text += part;
  }
  return text;
}

bool DismissMessageBox(HWND box, int buttonId) {
  return Post(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0) && WaitGone(box);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool PressHotKey(UINT modifiers, WORD vk) {
  std::vector<WORD> held;
  if (modifiers & MOD_CONTROL) held.push_back(VK_CONTROL);
  if (modifiers & MOD_SHIFT) held.push_back(VK_SHIFT);
  if (modifiers & MOD_ALT) held.push_back(VK_MENU);
  if (modifiers & MOD_WIN) held.push_back(VK_LWIN);
  std::vector<INPUT> inputs;
  for (WORD key : held) AddKey(inputs, key, false);
  AddKey(inputs, vk, false);
  AddKey(inputs, vk, true);
  for (auto key = held.rbegin(); key != held.rend(); ++key) AddKey(inputs, *key, true);
  return SendInputs(inputs);
}

bool PressKey(WORD vk) { return PressHotKey(0, vk); }

bool TypeText(std::string const& text) {
  for (char ch : text) {
    SHORT scan = VkKeyScanA(ch);
    if (scan == -1) return false;
    UINT modifiers = 0;
    if (HIBYTE(scan) & 1) modifiers |= MOD_SHIFT;
    if (HIBYTE(scan) & 2) modifiers |= MOD_CONTROL;
    if (HIBYTE(scan) & 4) modifiers |= MOD_ALT;
    if (!PressHotKey(modifiers, LOBYTE(scan))) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Mouse

namespace {

// Normalised absolute coordinate (0..65535 over the virtual desktop) that maps to pixel v. The
// system scales back by extent / 65536; rounding up hits the pixel itself, not its left
// neighbour.
LONG Normalise(LONG v, LONG origin, LONG extent) {
  return extent > 0 ? static_cast<LONG>(((static_cast<long long>(v - origin) << 16) + extent - 1) /
                                        extent)
                    : 0;
}

bool SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return SendInput(1, &input, sizeof input) == 1;
}

bool CursorAt(POINT target) {
  POINT now{};
  return GetCursorPos(&now) && now.x == target.x && now.y == target.y;
}

}  // namespace

POINT CentreOf(RECT const& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

namespace {

DWORD const ABSOLUTE_MOVE = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;

// The normalised coordinates that last put the cursor on a point, for a press or release
// made there.
struct LandedMove {
  POINT screen;
  LONG nx, ny;
};
LandedMove LastLanded = {{-1, -1}, 0, 0};

}  // namespace

bool MoveMouseTo(POINT screen) {
  LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  LONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  LONG nx = Normalise(screen.x, left, width), ny = Normalise(screen.y, top, height);
  // Windows and Wine scale the normalised value back with slightly different rounding; where a
  // move lands one pixel off, the value is corrected by the miss and sent again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (!SendMouse(ABSOLUTE_MOVE, nx, ny)) return false;
    if (WaitUntil([&] { return CursorAt(screen); }, 500)) {
      LastLanded = LandedMove{screen, nx, ny};
      return true;
    }
    POINT now{};
    if (!GetCursorPos(&now)) return false;
    nx += (screen.x - now.x) * ((65536 + width - 1) / width);
    ny += (screen.y - now.y) * ((65536 + height - 1) / height);
  }
  return false;
}

bool LeftButton(bool down) { return SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

namespace {

// Presses or releases the left button at screen, which the cursor was last moved to. The
// press carries its point: under Wine an echo (below) may have put the system's cursor back
// where an earlier move had it, while GetCursorPos, asked more than 100 ms after the last
// change, reports the X server's pointer instead, which is where it belongs.
bool LeftButtonAt(POINT screen, bool down) {
  if (LastLanded.screen.x != screen.x || LastLanded.screen.y != screen.y) {
    return LeftButton(down);
  }
  return SendMouse(ABSOLUTE_MOVE | (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP),
                   LastLanded.nx, LastLanded.ny);
}

// Returns once the thread of window has been through its message wait twice: there Wine
// hands the thread the X server's events that reached it, the echoes of earlier moves (below)
// among them. A thread that does not answer within a while is waited for no longer.
void LetProgramCatchUp(HWND window) {
  for (int round = 0; window && round < 2; ++round) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) return;
  }
}

// Under Wine each synthetic move comes back from the X server once more, to the program under
// the pointer, as the pointer's own motion. The program passes it on when its thread next
// waits for messages, which on a loaded machine may be long after: it puts the cursor back
// where an earlier move had it, and a press or release made then lands there. Before either,
// the cursor is put where it belongs, the program under it (and capturer, the one holding the
// mouse capture, which takes the moves wherever the pointer is) has caught up with its
// echoes, and the cursor stays where it belongs.
bool SettleMouseAt(POINT screen, HWND capturer = nullptr) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (!MoveMouseTo(screen)) return false;
    LetProgramCatchUp(capturer);
    LetProgramCatchUp(WindowFromPoint(screen));
    if (StaysFalse([&] { return !CursorAt(screen); }, 200)) return true;
  }
  return false;
}

}  // namespace

bool ClickAt(POINT screen) {
  return SettleMouseAt(screen) && LeftButtonAt(screen, true) && SettleMouseAt(screen) &&
         LeftButtonAt(screen, false);
}

bool DragMouse(POINT from, POINT to, int steps, std::function<void()> const& midway) {
  // Under Wine on a loaded machine a synthetic press is now and then lost on its way to the
  // program: a press that takes no capture is released and made again, a few times.
  bool captured = false;
  HWND source = nullptr;
  for (int attempt = 0; attempt < 3 && !captured; ++attempt) {
    if (!SettleMouseAt(from)) return false;
    source = WindowFromPoint(from);
    DWORD thread = source ? GetWindowThreadProcessId(source, nullptr) : 0;
    if (!thread || !LeftButtonAt(from, true)) return false;
    // The program reads the cursor when it handles the press: move only once it has taken
    // the mouse capture, or the press would be seen away from where it was made.
    captured = WaitUntil([&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      return GetGUIThreadInfo(thread, &info) && info.hwndCapture != nullptr;
    }, 3000);
    if (!captured) {
      LeftButton(false);
      // Past the double-click time, so that the next press is a press of its own.
      StaysFalse([] { return false; }, GetDoubleClickTime() + 100);
    }
  }
  if (!captured) return false;
  if (steps < 1) steps = 1;
  for (int i = 1; i <= steps; ++i) {
    POINT at{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
    if (!MoveMouseTo(at)) {
      LeftButton(false);
      return false;
    }
    // Let the program follow each move (its drag image is drawn on WM_MOUSEMOVE).
    StaysFalse([] { return false; }, 15);
  }
  if (!SettleMouseAt(to, source)) {
    LeftButton(false);
    return false;
  }
  if (midway) midway();
  return LeftButtonAt(to, false);
}

// ---------------------------------------------------------------------------------------------
// Messages

bool Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(window, msg, wParam, lParam) != 0;
}

bool Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result,
          DWORD timeoutMs) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
    return false;
  }
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Notification area and menus

bool TrayIconExists(HWND owner, UINT id) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = owner;
  data.uID = id;
  data.uFlags = 0;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool NotificationAreaWorks() {
  HWND owner = CreateWindowExA(0, "Static", "tray check", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  if (!owner) return false;
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = owner;
  data.uID = 7;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  lstrcpynA(data.szTip, "tray check", sizeof data.szTip);
  bool works = Shell_NotifyIconA(NIM_ADD, &data) && TrayIconExists(owner, 7);
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(owner);
  return works;
}

HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs) {
  return WaitForWindow(pid, "#32768", nullptr, true, timeoutMs);
}

bool NoPopupMenu(DWORD pid) { return TopLevelWindows(pid, "#32768", nullptr, true).empty(); }

// ---------------------------------------------------------------------------------------------
// The probe's log

std::vector<ProbeRecord> ReadProbeLog(std::string const& path) {
  std::vector<ProbeRecord> records;
  std::string bytes = ReadBytes(path);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ProbeRecord record;
    size_t cmd = line.find("\tcmd=");
    if (cmd != std::string::npos) record.commandLine = line.substr(cmd + 5);
    std::string fields = line.substr(0, cmd) + "\t";
    for (size_t at = 0, tab; (tab = fields.find('\t', at)) != std::string::npos; at = tab + 1) {
      std::string field = fields.substr(at, tab - at);
      size_t eq = field.find('=');
      if (eq == std::string::npos) continue;
      std::string name = field.substr(0, eq), value = field.substr(eq + 1);
      if (name == "seq") record.seq = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
      if (name == "pid") record.pid = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
      if (name == "mutex") record.mutexHeld = value == "held";
      if (name == "module") record.module = value;
      if (name == "cwd") record.workDir = value;
    }
    records.push_back(record);
  }
  return records;
}

bool SameText(std::string const& a, std::string const& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Added for the command tests

std::vector<DWORD> ChildProcesses(DWORD parentPid) {
  std::vector<DWORD> pids;
  ForEachProcess([&](PROCESSENTRY32 const& entry) {
    if (entry.th32ParentProcessID == parentPid) pids.push_back(entry.th32ProcessID);
  });
  return pids;
}

std::string UnixPath(std::string const& windowsPath) {
  // char* CDECL wine_get_unix_file_name(const WCHAR*): a process-heap string, or null.
  using UnixNameFunction = char*(CDECL*)(const WCHAR*);
  auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return "";
  std::wstring wide = LongPath(windowsPath).substr(4);
  char* name = unixName(wide.c_str());
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

}  // namespace e2e
