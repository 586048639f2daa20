// The launcher's start-up rules that need no window: where the files beside it are, found from
// its own path by its fixed file name, and how a setting's text becomes its number. Builds and
// is tested on the host too.
#pragma once

#include <cstddef>

// Bytes of the module path that form the launcher's directory: the launcher takes its own
// file name to be "pimbo.exe" and drops that many bytes, with the backslash before them, from
// the end. A path shorter than that tail leaves an empty directory rather than running off
// the start of the buffer.
std::size_t LauncherDirectoryLength(std::size_t modulePathLength);

// Writes into out (size bytes) the path that fileFormat makes of the launcher's directory;
// fileFormat holds one "%s" (INI_FILE_FORMAT, EDITOR_FILE_FORMAT). Only a path that fits
// whole with its terminator is written; otherwise out is left empty and the result is false,
// so a shortened path never names some other file (FormatDirectoryPath).
bool FormatLauncherPath(const char* modulePath, const char* fileFormat, char* out,
                        std::size_t size);

// Writes the paths beside the launcher into iniPath (iniSize bytes) and, when it is not null,
// editorPath (editorSize bytes), from what GetModuleFileNameA gave: modulePath and the length
// it returned for a buffer of moduleBufferSize bytes. A length of 0 (a failure) or one that
// filled the buffer (a path cut to fit) leaves no folder to trust: both paths are then left
// empty, so that the launcher runs on its defaults and starts no editor rather than read or
// start a file of some other folder.
void LauncherPathsFromModule(const char* modulePath, std::size_t length,
                             std::size_t moduleBufferSize, char* iniPath, std::size_t iniSize,
                             char* editorPath, std::size_t editorSize);

// Bytes of the launcher's buffer for a setting's text: the platform's profile reader
// (GetPrivateProfileIntA) converts no more than 29 characters (PROFILE_SETTING_TEXT_CHARS).
// A text with double-byte characters may lose its end here, which changes no number: no digit
// is read past a byte above 0x7F.
inline constexpr std::size_t SETTING_TEXT_SIZE = 30;

// The number that the text of a setting stands for (the text that ProfileSettingText gives,
// as LoadLauncherProfile hands it over), as the platform's profile reader converts it: blanks
// and control characters skipped, one "+" or "-", a "0x", "0o" or "0b" for hexadecimal, octal
// or binary, then the digits up to the first other byte, in 32-bit arithmetic that wraps. Text
// without digits gives 0. (An empty text, for a missing key too, takes the setting's default
// before this is asked.)
int SettingNumber(const char* text);

// A rectangle of screen pixels, the platform's RECT without its header.
struct ScreenRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Where the launcher shows a window whose stored place is window, given the rectangle and the
// work area of the monitor nearest to it (MonitorFromRect with MONITOR_DEFAULTTONEAREST). A
// window that meets that monitor, by a single pixel even, stands exactly where it was stored;
// one that meets no monitor (XPOINT and YPOINT saved on a monitor since detached) would take
// the keyboard focus out of sight, so it moves, its size kept, by the least distance that
// brings it inside the work area. One wider or higher than the work area keeps its left or
// top edge on the work area's, where the typed text begins.
ScreenRect PlaceOnMonitor(ScreenRect window, ScreenRect monitor, ScreenRect workArea);
