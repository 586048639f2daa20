// Window-free path helpers of the command runner: stepping through code page 932 text, the
// file-name part of a path, a trailing backslash, and the choice of a free folder name.
#pragma once

#include <cstddef>

// Size of every path buffer of the command runner (the platform's path limit).
inline constexpr std::size_t PATH_BUFFER_SIZE = 260;

// Highest "_%d" suffix tried for a desktop folder before giving up.
inline constexpr int FOLDER_SUFFIX_LIMIT = 99999;

// The position of the next character: two bytes on when the byte at text starts a double-byte
// character, otherwise one. Never steps over the terminating NUL, so a lead byte that ends a
// cut text counts as a character of its own.
const char* NextChar(const char* text);
char* NextChar(char* text);

// Null for a null path; otherwise the position just after the last backslash (the second byte
// of a double-byte character is never taken for one), or the start of a path that has none.
const char* FileNamePart(const char* path);
char* FileNamePart(char* path);

// Appends a backslash to a path whose last character is not one. Returns 0 and changes
// nothing for an empty path or when size bytes leave no room for it; otherwise 1.
int EnsureTrailingBackslash(char* path, std::size_t size);

// Copies exactly n bytes and adds no terminator.
void CopyBytes(char* destination, const char* source, std::size_t n);

// Copies source into destination (size bytes) only when all of it fits with its terminator.
// Returns false and leaves destination empty otherwise (or does nothing when size is 0).
bool CopyTextWhole(char* destination, std::size_t size, const char* source);

// Tells whether a path names something that exists; context is passed through.
using PathExistsFunction = bool (*)(const char* path, void* context);

// Writes into out (size bytes) the first free folder path for name in folder (which ends in a
// backslash): folder + name, or when that exists folder + name + "_1", "_2", ... The first
// candidate that exists() denies wins. Returns false, with out empty, when name holds one of
// the characters \ / : , ; * ? " < > | (a hand-edited name such as "..\x" would reach out of
// the folder; the second byte of a double-byte character is no such character), when a
// candidate does not fit in size bytes or no suffix up to FOLDER_SUFFIX_LIMIT is free: then
// nothing is to be created, rather than a shortened or wrong name.
bool ChooseFreeFolderPath(const char* folder, const char* name, char* out, std::size_t size,
                          PathExistsFunction exists, void* context);

// The length of the longest start of text that is at most limit bytes and ends on a character
// boundary: a cut there never leaves the lead byte of a double-byte character on its own (nor
// keeps one that already lacks its second byte at the end of text).
std::size_t CharBoundaryLength(const char* text, std::size_t limit);
