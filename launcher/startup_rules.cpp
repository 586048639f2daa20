// The launcher's window-free start-up rules: file paths beside the program, setting numbers,
// the window's place on a monitor.
#include "startup_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "setting_number.h"
#include "shared.h"
#include "texts.h"

std::size_t LauncherDirectoryLength(std::size_t modulePathLength) {
  std::size_t const tail = sizeof(LAUNCHER_FILE_TAIL) - 1;
  return modulePathLength > tail ? modulePathLength - tail : 0;
}

bool FormatLauncherPath(const char* modulePath, const char* fileFormat, char* out,
                        std::size_t size) {
  return FormatDirectoryPath(modulePath, LauncherDirectoryLength(std::strlen(modulePath)),
                             fileFormat, out, size);
}

void LauncherPathsFromModule(const char* modulePath, std::size_t length,
                             std::size_t moduleBufferSize, char* iniPath, std::size_t iniSize,
                             char* editorPath, std::size_t editorSize) {
  bool const known = length > 0 && length < moduleBufferSize;
  if (iniSize > 0) iniPath[0] = '\0';
  if (known) FormatLauncherPath(modulePath, INI_FILE_FORMAT, iniPath, iniSize);
  if (editorPath == nullptr) return;
  if (editorSize > 0) editorPath[0] = '\0';
  if (known) FormatLauncherPath(modulePath, EDITOR_FILE_FORMAT, editorPath, editorSize);
}

int SettingNumber(const char* text) { return ProfileSettingNumber(text); }

namespace {

// The origin along one axis that brings [low, high) inside [first, last): the least move, and
// the first edge kept when the span is the longer. 64 bits, because stored places reach the
// ends of int and a span between them does not fit in one.
std::int64_t OriginInside(std::int64_t low, std::int64_t high, std::int64_t first,
                          std::int64_t last) {
  std::int64_t const origin = std::min(low, last - (high - low));
  return std::max(origin, first);
}

bool Meets(ScreenRect const& a, ScreenRect const& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

ScreenRect PlaceOnMonitor(ScreenRect window, ScreenRect monitor, ScreenRect workArea) {
  if (Meets(window, monitor)) return window;
  std::int64_t const width = std::int64_t{window.right} - window.left;
  std::int64_t const height = std::int64_t{window.bottom} - window.top;
  std::int64_t const left = OriginInside(window.left, window.right, workArea.left, workArea.right);
  std::int64_t const top = OriginInside(window.top, window.bottom, workArea.top, workArea.bottom);
  // Inside the work area the origin is an int, and so is the far edge of any window the
  // platform made; a span beyond int (only a hostile rectangle) is clamped rather than wrapped.
  auto const toInt = [](std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
  };
  return {toInt(left), toInt(top), toInt(left + width), toInt(top + height)};
}
