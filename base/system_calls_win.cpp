// The system calls that depend on where the program runs: the DLL search, starting programs,
// the COM apartment, the code page warning.
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

// The activation context of the program's second manifest, active on this thread while the
// object lives; none where the program has no such manifest.
class BoxStyles {
 public:
  BoxStyles() {
    char path[MAX_PATH];
    DWORD const length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    request.lpSource = path;
    request.hModule = GetModuleHandleA(nullptr);
    request.lpResourceName = ISOLATIONAWARE_MANIFEST_RESOURCE_ID;
    context_ = CreateActCtxA(&request);
    if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_)) cookie_ = 0;
  }
  ~BoxStyles() {
    if (cookie_ != 0) DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }
  BoxStyles(const BoxStyles&) = delete;
  BoxStyles& operator=(const BoxStyles&) = delete;

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};

// The code page warning: code page 932 bytes here, as every literal of the programs, shown in
// wide characters converted from code page 932 itself, since the A form of the box would read
// them in the very code page the warning is about. "#" stands for the code page in use.
UINT const WANTED_CODE_PAGE = 932;
char const CODE_PAGE_WARNING_TEXT[] =
    "この Windows の ANSI コード ページは日本語 (932) ではなく # です。Pimbo の文字や "
    "pimbo.ini の日本語のパスが化けることがあります。\r\n\r\n"
    "This Windows uses the ANSI code page #, not Japanese (932): Pimbo's texts and the "
    "Japanese paths in pimbo.ini may be garbled.";
wchar_t const CODE_PAGE_WARNING_CAPTION[] = L"Pimbo";
std::size_t const CODE_PAGE_WARNING_SIZE = 400;
bool CodePageWarned = false;

// Shown at most once in a process, and never on a system of code page 932: made small rather
// than fast.
[[gnu::cold]] void ShowCodePageWarning(UINT codePage) {
  char digits[11];
  char* digit = digits + sizeof digits - 1;
  *digit = '\0';
  do {
    *--digit = static_cast<char>('0' + codePage % 10);
    codePage /= 10;
  } while (codePage != 0 && digit > digits);
  char text[CODE_PAGE_WARNING_SIZE];
  std::size_t length = 0;
  for (char const* from = CODE_PAGE_WARNING_TEXT; *from != '\0'; ++from) {
    // "#" is no second byte of a double-byte character, so it is always the place holder.
    char const* put = from;
    char const* const stop = *from == '#' ? digits + sizeof digits - 1 : from + 1;
    if (*from == '#') put = digit;
    while (put < stop && length + 1 < sizeof text) text[length++] = *put++;
  }
  text[length] = '\0';
  wchar_t wide[CODE_PAGE_WARNING_SIZE];
  // Without code page 932 on the system, the English half still reads right.
  if (MultiByteToWideChar(WANTED_CODE_PAGE, 0, text, -1, wide, CODE_PAGE_WARNING_SIZE) == 0 &&
      MultiByteToWideChar(CP_ACP, 0, text, -1, wide, CODE_PAGE_WARNING_SIZE) == 0) {
    return;
  }
  StyledMessageBoxW(nullptr, wide, CODE_PAGE_WARNING_CAPTION,
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

DWORD WINAPI CodePageWarningThread(void* codePage) {
  ShowCodePageWarning(static_cast<UINT>(reinterpret_cast<UINT_PTR>(codePage)));
  return 0;
}

}  // namespace

int StyledMessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  BoxStyles const styles;
  return MessageBoxA(owner, text, caption, type);
}

int StyledMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  BoxStyles const styles;
  return MessageBoxW(owner, text, caption, type);
}

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

[[gnu::cold]] void WarnUnlessCodePage932(CodePageWarning how) {
  UINT const codePage = GetACP();
  if (codePage == WANTED_CODE_PAGE || CodePageWarned) return;
  CodePageWarned = true;
  if (how == CodePageWarning::OnOwnThread) {
    void* const parameter = reinterpret_cast<void*>(static_cast<UINT_PTR>(codePage));
    HANDLE const thread = CreateThread(nullptr, 0, CodePageWarningThread, parameter, 0, nullptr);
    // The thread ends with its box, or with the process.
    if (thread != nullptr) {
      CloseHandle(thread);
      return;
    }
  }
  ShowCodePageWarning(codePage);
}
