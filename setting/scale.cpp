// The scale of the monitor a window is on: its dots per inch, and sizes given for 96 dpi
// turned into that scale's pixels. The per-monitor calls are looked up at run time, since
// Windows before 10 (1607) has none: there every window is drawn at the system's scale.
#include <windows.h>

#include <commctrl.h>

#include "editor.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using MetricForDpi = int(WINAPI*)(int, UINT);

// Looked up once; null where user32 lacks the call.
FARPROC User32Call(const char* name) {
  HMODULE const user32 = GetModuleHandleA("user32.dll");
  return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

UINT SystemDpi() {
  HDC const screen = GetDC(nullptr);
  int const dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : BASE_DPI;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static auto const forWindow =
      reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(User32Call("GetDpiForWindow")));
  UINT const dpi = forWindow != nullptr && window != nullptr ? forWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int ScaleToDpi(int pixelsAt96, UINT dpi) {
  return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(BASE_DPI));
}

int SmallIconSize(UINT dpi) {
  static auto const forDpi = reinterpret_cast<MetricForDpi>(
      reinterpret_cast<void*>(User32Call("GetSystemMetricsForDpi")));
  int const size = forDpi != nullptr ? forDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
  return size > 0 ? size : ScaleToDpi(16, dpi);
}

HBITMAP LoadBitmapAtSize(int bitmapId, int width, int height) {
  auto const source = static_cast<HBITMAP>(
      LoadImageA(Instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, 0));
  if (source == nullptr) return nullptr;
  BITMAP drawn = {};
  GetObjectA(source, sizeof drawn, &drawn);
  if (drawn.bmWidth == width && drawn.bmHeight == height) return source;
  // Every pixel of the result is one pixel of the picture (no blending), so the pictures stay
  // sharp and a mask colour stays exactly where it was.
  HBITMAP scaled = nullptr;
  HDC const screen = GetDC(nullptr);
  HDC const from = CreateCompatibleDC(screen);
  HDC const to = CreateCompatibleDC(screen);
  if (from != nullptr && to != nullptr) scaled = CreateCompatibleBitmap(screen, width, height);
  if (scaled != nullptr) {
    HGDIOBJ const oldFrom = SelectObject(from, source);
    HGDIOBJ const oldTo = SelectObject(to, scaled);
    SetStretchBltMode(to, COLORONCOLOR);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, drawn.bmWidth, drawn.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (to != nullptr) DeleteDC(to);
  if (from != nullptr) DeleteDC(from);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  DeleteObject(source);
  return scaled;
}

HIMAGELIST LoadImagesAtSize(int bitmapId, int count, int width, int height, COLORREF mask) {
  HBITMAP const pictures = LoadBitmapAtSize(bitmapId, count * width, height);
  if (pictures == nullptr) return nullptr;
  HIMAGELIST const images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 0);
  if (images != nullptr) ImageList_AddMasked(images, pictures, mask);
  DeleteObject(pictures);
  return images;
}
