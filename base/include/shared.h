// What both programs need that needs no window of its own: the names they share, stepping
// through code page 932 text, building the paths beside the programs, copying a text whole or
// not at all, the rule for desktop folder names, expanding environment references, and
// centring a window on the desktop.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#endif

// The single-instance mutex that both programs create with initial ownership.
inline constexpr char MUTEX_NAME[] = "Pimbo Pirropirro Mutex";
// The files beside the programs, each made from their folder (no trailing backslash) and one
// "%s"; the backslash is the path separator.
inline constexpr char INI_FILE_FORMAT[] = "%s\\pimbo.ini";
inline constexpr char LAUNCHER_FILE_FORMAT[] = "%s\\pimbo.exe";
inline constexpr char EDITOR_FILE_FORMAT[] = "%s\\pimbosetting.exe";

// Size of every path buffer of both programs (the platform's path limit).
inline constexpr std::size_t PATH_BUFFER_SIZE = 260;

// The position of the next character: two bytes on when the byte at text starts a double-byte
// character, otherwise one. Never steps over the terminating NUL, so a lead byte that ends a
// cut text counts as a character of its own.
const char* NextChar(const char* text);
char* NextChar(char* text);

// The length of the longest start of text that is at most limit bytes and ends on a character
// boundary: a cut there never leaves the lead byte of a double-byte character on its own (nor
// keeps one that already lacks its second byte at the end of text).
std::size_t CharBoundaryLength(const char* text, std::size_t limit);

// Null for a null path; otherwise the position just after the last backslash (the second byte
// of a double-byte character is never taken for one), or the start of a path that has none.
const char* FileNamePart(const char* path);
char* FileNamePart(char* path);

// Writes format (one "%s") filled with directory into out (size bytes) only when it fits whole
// with its terminator; otherwise, or when format has no "%s", out is left empty and the result
// is false, so a shortened path never names some other file.
bool FormatDirectoryPath(const char* directory, const char* format, char* out, std::size_t size);
// The same with the first directoryLength bytes of directory (which need not end there).
bool FormatDirectoryPath(const char* directory, std::size_t directoryLength, const char* format,
                         char* out, std::size_t size);

// Copies source into destination (size bytes) only when all of it fits with its terminator.
// Returns false and leaves destination empty otherwise (or does nothing when size is 0): a cut
// path would name some other file.
bool CopyTextWhole(char* destination, std::size_t size, const char* source);

// The rule for the names of folders created on the desktop: none of \ / : , ; * ? " < > | may
// stand in one (a name such as "..\x" would reach out of the desktop). Double-byte characters
// are stepped over whole, so their second byte (0x5C in many of them) is never one of these.
// Returns the position of the first forbidden character, or null when there is none (or no
// name).
const char* FindForbiddenFolderChar(const char* name);

// The origin along one axis that centres a window on the desktop: each extent is halved by
// integer division before the subtraction.
int CenteredOrigin(int desktopExtent, int windowExtent);

// Expands the environment-variable references (%NAME%) of source into destination (size
// bytes). Returns 1 when destination is non-null and the expanded text with its terminator is
// 1 to PATH_BUFFER_SIZE bytes long and fits size; otherwise 0, and destination (when it has
// room) then holds the empty text rather than a cut one. Callers fall back on the unexpanded
// text. Windows: ExpandEnvironmentStringsA (shared_win.cpp); the host expands from getenv, and
// a name that is not set stays as it stands, "%" signs included, as on Windows.
int ExpandPath(const char* source, char* destination, std::size_t size);

#ifdef _WIN32
// Moves window so that it stands centred on the desktop window's rectangle (each half
// truncated on its own, CenteredOrigin), keeping its size and Z order; does nothing when there
// is no desktop window.
void CenterWindowOnDesktop(HWND window);
#endif
