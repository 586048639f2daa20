// The system calls that depend on where the program runs: the DLL search, starting programs,
// the COM apartment.
#include "system_calls.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

#include "shared.h"

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using CoInitializeExFunction = HRESULT(WINAPI*)(LPVOID, DWORD);

// The exported function name of module as Function, or null.
template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // FARPROC only stands for "some function"; the detour through void (*)() says so to the
  // compiler's function-cast check.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool ApartmentMade = false;

}  // namespace

void RestrictDllSearch() {
  // kernel32 is loaded in every process; asking for it loads nothing.
  auto setDefault = Find<SetDefaultDllDirectoriesFunction>(GetModuleHandleA("kernel32.dll"),
                                                            "SetDefaultDllDirectories");
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system without the search flags: the full path into the system folder instead.
  char path[PATH_BUFFER_SIZE];
  UINT const folder = GetSystemDirectoryA(path, sizeof path);
  if (folder == 0 || folder >= sizeof path) return nullptr;
  int const written = std::snprintf(path + folder, sizeof path - folder, "\\%s", name);
  if (written <= 0 || static_cast<std::size_t>(written) >= sizeof path - folder) return nullptr;
  return LoadLibraryA(path);
}

bool StartProgramInItsFolder(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  char commandLine[PATH_BUFFER_SIZE + 2];
  int const written = std::snprintf(commandLine, sizeof commandLine, "\"%s\"", path);
  if (written <= 0 || static_cast<std::size_t>(written) >= sizeof commandLine) return false;
  char folder[PATH_BUFFER_SIZE];
  if (!CopyTextWhole(folder, sizeof folder, path)) return false;
  char* name = FileNamePart(folder);
  if (name == folder) return false;  // no folder in the path: no place to start it in
  name[-1] = '\0';
  // "C:" alone names the drive's current folder, not its root.
  if (folder[0] != '\0' && folder[1] == ':' && folder[2] == '\0') {
    folder[2] = '\\';
    folder[3] = '\0';
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  // Suspended until it may take the foreground: it could otherwise open its window first.
  if (!CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      folder, &startup, &process)) {
    return false;
  }
  AllowSetForegroundWindow(process.dwProcessId);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void EnsureComApartment() {
  if (ApartmentMade) return;
  // Kept loaded for the life of the process, as the apartment is.
  HMODULE const ole = LoadSystemLibrary("ole32.dll");
  auto coInitializeEx = Find<CoInitializeExFunction>(ole, "CoInitializeEx");
  if (coInitializeEx == nullptr) return;
  HRESULT const made = coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // S_FALSE: this thread had one already; either way one is there now.
  ApartmentMade = SUCCEEDED(made);
}
