// Window-free path helpers of the command runner: a trailing backslash, byte copies, and the
// choice of a free folder name (whole-text copies are CopyTextWhole of shared.h).
#pragma once

#include <cstddef>

#include "shared.h"

// Highest "_%d" suffix tried for a desktop folder before giving up.
inline constexpr int FOLDER_SUFFIX_LIMIT = 99999;

// Appends a backslash to a path whose last character is not one. Returns 0 and changes
// nothing for an empty path or when size bytes leave no room for it; otherwise 1.
int EnsureTrailingBackslash(char* path, std::size_t size);

// Copies exactly n bytes and adds no terminator.
void CopyBytes(char* destination, const char* source, std::size_t n);

// Tells whether a path names something that exists; context is passed through.
using PathExistsFunction = bool (*)(const char* path, void* context);

// Writes into out (size bytes) the first free folder path for name in folder (which ends in a
// backslash): folder + name, or when that exists folder + name + "_1", "_2", ... The first
// candidate that exists() denies wins. Returns false, with out empty, when name breaks the
// folder name rule (FindForbiddenFolderChar; only a hand-edited file holds such a name), when
// a candidate does not fit in size bytes or no suffix up to FOLDER_SUFFIX_LIMIT is free: then
// nothing is to be created, rather than a shortened or wrong name.
bool ChooseFreeFolderPath(const char* folder, const char* name, char* out, std::size_t size,
                          PathExistsFunction exists, void* context);
