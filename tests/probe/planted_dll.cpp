// A DLL that stands in for one planted beside a program: copied in under a system library's
// name (ole32.dll), it records being loaded by creating "<its name without .dll>.loaded" next
// to itself, and then refuses the load, so that no caller ever uses it for the real library.
#include <windows.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 8];
  DWORD const length = GetModuleFileNameA(instance, path, MAX_PATH);
  char* dot = length != 0 && length < MAX_PATH ? std::strrchr(path, '.') : nullptr;
  if (dot != nullptr) {
    std::memcpy(dot, ".loaded", sizeof ".loaded");
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  }
  return FALSE;
}
