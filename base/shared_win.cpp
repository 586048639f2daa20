// The Windows halves of the shared helpers: environment expansion by the system and centring
// a window on the desktop.
#include "shared.h"

#include <cstring>

int ExpandPath(const char* source, char* destination, std::size_t size) {
  if (destination == nullptr || size == 0) return 0;
  if (source == nullptr) {
    destination[0] = '\0';
    return 0;
  }
  // No buffer of ours is larger than a DWORD can count; a larger one is only offered less.
  DWORD const offered = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
  DWORD const reported = ExpandEnvironmentStringsA(source, destination, offered);
  if (reported >= 1 && reported <= size) {
    // The count is no length to trust: Windows' A form may count more bytes than it wrote, and
    // Wine 8's counts characters, fewer bytes than a Japanese text has (measured: 7 for the
    // 8 bytes of "能力.txt"). The text ends at its terminator, which must lie in the buffer.
    std::size_t const length = strnlen(destination, size);
    if (length < size && length < PATH_BUFFER_SIZE) return 1;
  }
  // Too long (the buffer may hold a part of the text) or failed: nothing cut is handed on.
  destination[0] = '\0';
  return 0;
}

void CenterWindowOnDesktop(HWND window) {
  HWND const desktopWindow = GetDesktopWindow();
  if (desktopWindow == nullptr) return;
  RECT desktop = {};
  RECT own = {};
  GetWindowRect(desktopWindow, &desktop);
  GetWindowRect(window, &own);
  int const x = CenteredOrigin(desktop.right - desktop.left, own.right - own.left);
  int const y = CenteredOrigin(desktop.bottom - desktop.top, own.bottom - own.top);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
