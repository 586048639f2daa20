// A windowless stand-in program that appends one line describing how it was started to a log.
//
// The line is tab-separated "name=value" fields, the command line last because it may hold
// anything but a line break:
//   seq=<n>  tick=<ms>  pid=<id>  mutex=<held|free>  module=<path>  cwd=<path>  cmd=<line>
// seq counts the lines already in the log (0 for the first), so several starts can be told
// apart. mutex tells whether "Pimbo Pirropirro Mutex" existed when the probe started: a
// launcher that hands over to the editor must close it first.
//
// Log: the file named by PIMBO_PROBE_LOG, or probe.log beside the executable. While a file
// "<executable without .exe>.hold" exists the probe stays running (at most 60 s), so that a
// test can see it alive.
#include <windows.h>

#include <string>

namespace {

std::string ModulePath() {
  char buffer[32768];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string CurrentDirectory() {
  char buffer[32768];
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string LogPath(std::string const& module) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA("PIMBO_PROBE_LOG", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) return std::string(buffer, n);
  return module.substr(0, module.find_last_of('\\') + 1) + "probe.log";
}

// Number of lines the log holds already.
unsigned CountLines(HANDLE file) {
  unsigned lines = 0;
  char chunk[4096];
  DWORD got = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) lines += chunk[i] == '\n';
  }
  return lines;
}

// Appends the line under an exclusive open, retrying while another probe holds the file.
void AppendRecord(std::string const& logPath, std::string const& fields) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(logPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Sleep(25);
      continue;
    }
    std::string line = "seq=" + std::to_string(CountLines(file)) + "\t" + fields + "\r\n";
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string module = ModulePath();
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Pimbo Pirropirro Mutex");
  bool mutexHeld = mutex != nullptr;
  if (mutex) CloseHandle(mutex);

  std::string fields = "tick=" + std::to_string(GetTickCount64()) +
                       "\tpid=" + std::to_string(GetCurrentProcessId()) +
                       "\tmutex=" + (mutexHeld ? "held" : "free") + "\tmodule=" + module +
                       "\tcwd=" + CurrentDirectory() + "\tcmd=" + GetCommandLineA();
  AppendRecord(LogPath(module), fields);

  std::string hold = module.substr(0, module.size() >= 4 ? module.size() - 4 : 0) + ".hold";
  for (int i = 0; i < 1200 && GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(50);
  }
  return 0;
}
