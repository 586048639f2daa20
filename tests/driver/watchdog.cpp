// A watchdog for the end-to-end tests: a test that runs far longer than any test should is
// reported with what it was doing, and the programs it started are ended so that the next test
// (and the next run of the suite) does not find them still running.
//
// Without it a hang is cut off only by ctest's timeout, which ends this process and leaves the
// programs under test running in the persistent wineserver: an editor still holding its mutex
// makes every later editor test fail.
//
// Stage one, after PIMBO_E2E_TEST_LIMIT_S seconds (default 150): the report (the test, the
// programs of this run with their windows, where this process's main thread is) and the
// programs ended. A test thread that waited on one of them now fails normally and the suite
// goes on. Stage two, 30 s later: this process ends with exit code 3.
//
// At start-up it also ends what an earlier run, since ended, left running in its folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

DWORD LimitSeconds() {
  char buffer[32];
  DWORD n = GetEnvironmentVariableA("PIMBO_E2E_TEST_LIMIT_S", buffer, sizeof buffer);
  long value = n > 0 && n < sizeof buffer ? std::strtol(buffer, nullptr, 10) : 0;
  return value > 0 ? static_cast<DWORD>(value) : 150;
}

DWORD const GRACE_SECONDS = 30;

std::string ImageOf(DWORD pid) {
  std::string path;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    char buffer[1024];
    DWORD size = sizeof buffer;
    if (QueryFullProcessImageNameA(process, 0, buffer, &size)) path.assign(buffer, size);
    CloseHandle(process);
  }
  return path;
}

// The test folders are %TEMP%\pimbo-e2e\<tag>-<pid of the test run>-<n>: the run that made
// the folder an image lies in, or 0 when it lies in none.
DWORD RunOf(std::string const& image) {
  std::string const marker = "\\pimbo-e2e\\";
  size_t at = image.find(marker);
  if (at == std::string::npos) return 0;
  at += marker.size();
  size_t end = image.find('\\', at);
  if (end == std::string::npos) return 0;
  std::string folder = image.substr(at, end - at);
  size_t last = folder.rfind('-');
  size_t before = last == std::string::npos || last == 0 ? std::string::npos
                                                         : folder.rfind('-', last - 1);
  if (before == std::string::npos) return 0;
  return static_cast<DWORD>(std::strtoul(folder.c_str() + before + 1, nullptr, 10));
}

bool Alive(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

// The processes, other than this one, whose images lie in the test folders of a run that
// keep(run) accepts.
template <class Keep>
std::vector<std::pair<DWORD, std::string>> ProcessesOfRuns(Keep keep) {
  std::vector<std::pair<DWORD, std::string>> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    std::string image = ImageOf(entry.th32ProcessID);
    DWORD run = RunOf(image);
    if (run && keep(run)) found.emplace_back(entry.th32ProcessID, image);
  }
  CloseHandle(snapshot);
  return found;
}

void End(DWORD pid) {
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

// Programs left running by an earlier test run that was cut off (by ctest's timeout, say):
// an editor among them would hold its mutex against every editor this run starts.
void EndLeftovers() {
  for (auto const& [pid, image] : ProcessesOfRuns([](DWORD run) { return !Alive(run); })) {
    std::printf("[ watchdog ] ending %s (process %lu), left running by an earlier run\n",
                image.c_str(), pid);
    End(pid);
  }
  std::fflush(stdout);
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != static_cast<DWORD>(pid)) return TRUE;
  char className[128] = "", title[256] = "";
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, title, sizeof title);
  std::printf("[ watchdog ]     window %p class \"%s\" title \"%s\"%s\n",
              static_cast<void*>(window), className, title,
              IsWindowVisible(window) ? " visible" : "");
  return TRUE;
}

// Where a thread of this process stands: its instruction pointer and the words on its stack
// that point into this executable (candidate return addresses, for addr2line).
void PrintThread(HANDLE thread) {
  HMODULE exe = GetModuleHandleA(nullptr);
  auto* base = reinterpret_cast<BYTE*>(exe);
  auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  DWORD64 low = reinterpret_cast<DWORD64>(base), high = low + headers->OptionalHeader.SizeOfImage;
  if (SuspendThread(thread) == static_cast<DWORD>(-1)) return;
  CONTEXT context{};
  context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
  if (GetThreadContext(thread, &context)) {
    std::printf("[ watchdog ]   main thread at %p (image base %p); return addresses:",
                reinterpret_cast<void*>(context.Rip), static_cast<void*>(base));
    MEMORY_BASIC_INFORMATION region;
    auto* word = reinterpret_cast<DWORD64*>(context.Rsp);
    if (VirtualQuery(word, &region, sizeof region)) {
      auto* end = reinterpret_cast<DWORD64*>(static_cast<BYTE*>(region.BaseAddress) +
                                             region.RegionSize);
      int shown = 0;
      for (; word < end && shown < 40; ++word) {
        if (*word > low && *word < high) {
          std::printf(" +0x%llx", static_cast<unsigned long long>(*word - low));
          ++shown;
        }
      }
    }
    std::printf("\n");
  }
  ResumeThread(thread);
}

class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  Watchdog() {
    EndLeftovers();
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread_,
                    THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, 0);
    InitializeCriticalSection(&lock_);
    CloseHandle(CreateThread(nullptr, 0, Run, this, 0, nullptr));
  }

  void OnTestStart(::testing::TestInfo const& test) override {
    EnterCriticalSection(&lock_);
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    startTick_ = GetTickCount64();
    barked_ = false;
    LeaveCriticalSection(&lock_);
  }

  void OnTestEnd(::testing::TestInfo const&) override {
    EnterCriticalSection(&lock_);
    startTick_ = 0;
    LeaveCriticalSection(&lock_);
  }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<Watchdog*>(self)->Watch();
    return 0;
  }

  void Watch() {
    ULONGLONG const limitMs = LimitSeconds() * 1000ULL;
    for (;;) {
      Sleep(1000);  // a coarse clock is enough for a limit of minutes
      EnterCriticalSection(&lock_);
      ULONGLONG elapsed = startTick_ ? GetTickCount64() - startTick_ : 0;
      std::string name = name_;
      bool barked = barked_;
      if (elapsed >= limitMs) barked_ = true;
      LeaveCriticalSection(&lock_);
      if (elapsed >= limitMs + GRACE_SECONDS * 1000ULL) {
        std::printf("[ watchdog ] %s still runs %lu s after its programs were ended; the run "
                    "ends here\n", name.c_str(), static_cast<unsigned long>(GRACE_SECONDS));
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      } else if (elapsed >= limitMs && !barked) {
        Bark(name, elapsed);
      }
    }
  }

  void Bark(std::string const& name, ULONGLONG elapsedMs) {
    std::printf("[ watchdog ] %s has run for %llu s, longer than any test should; what it "
                "started is ended now\n", name.c_str(), elapsedMs / 1000);
    PrintThread(mainThread_);
    // A desktop or taskbar that no longer answers stalls every program's windows.
    for (auto [what, window] : {std::pair{"desktop", GetDesktopWindow()},
                                std::pair{"taskbar", FindWindowA("Shell_TrayWnd", nullptr)}}) {
      DWORD_PTR answer = 0;
      bool answers = window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000,
                                                   &answer);
      std::printf("[ watchdog ]   the %s %s\n", what, answers ? "answers" : "does not answer");
    }
    auto mine = ProcessesOfRuns([](DWORD run) { return run == GetCurrentProcessId(); });
    for (auto const& [pid, image] : mine) {
      std::printf("[ watchdog ]   process %lu %s\n", pid, image.c_str());
      EnumWindows(PrintWindow, static_cast<LPARAM>(pid));
    }
    std::fflush(stdout);
    for (auto const& process : mine) End(process.first);
  }

  HANDLE mainThread_ = nullptr;
  CRITICAL_SECTION lock_;
  std::string name_;
  ULONGLONG startTick_ = 0;
  bool barked_ = false;
};

// Registered before main runs; gtest owns the listener from here on.
bool const REGISTERED = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  return true;
}();

}  // namespace
