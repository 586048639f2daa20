// The launcher's start-up rule that needs no window: where the files beside it are, found from
// its own path by its fixed file name. Builds and is tested on the host too.
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
