// The seam between the portable core and the platform it runs on.
//
// Everything in base/, ini/, config/ and in the window-free parts of launcher/ and setting/
// reaches the operating system only through these few routines. platform_win.cpp implements them with
// the Win32 calls the programs use; platform_posix.cpp implements them on Linux so that the
// same core builds, is unit-tested under the sanitizers, fuzzed and benchmarked there.
#pragma once

#include <cstddef>
#include <string>

// Memory for command and candidate records. On Windows the launcher's process heap
// (HeapAlloc, serialized, zero-filled); malloc/calloc on the host. Null on failure.
void* PlatformAlloc(std::size_t size);
// Releases a block from PlatformAlloc; a null block is ignored.
void PlatformFree(void* block);

// Zero-filled scratch memory for one step of loading, given back to the system when released
// (Windows: VirtualAlloc; a heap keeps freed blocks and the launcher's idle memory with them).
// Null on failure; PlatformFreeScratch ignores a null block.
void* PlatformAllocScratch(std::size_t size);
void PlatformFreeScratch(void* block);

// True when byte starts a double-byte character in the ANSI code page (932):
// IsDBCSLeadByte on Windows, the code page 932 lead-byte ranges on the host.
bool PlatformIsLeadByte(unsigned char byte);

// Reads the whole file at path into *out. False (and *out cleared) when the file cannot be
// opened, sized or read.
bool PlatformReadFile(const char* path, std::string* out);

// True when something exists at path (a file that may still be unreadable, locked or denied).
bool PlatformFileExists(const char* path);

// Replaces the file at path with size bytes of data as one step: the data goes to a new file
// beside it, is flushed, and only then takes the place of the old file, which keeps its
// attributes and security (Windows: ReplaceFileA, the old file held under a backup name until
// the new one stands). A refusal such as a reader holding the file for a moment is tried again
// for about a second. On any failure the old file is left byte for byte as it was and no
// temporary file remains; only when the old file has left its place and neither it nor the new
// one can be moved back do both stay beside it under "~pb" names, as either may be the only
// copy. A missing file is created the same way.
// Where the folder takes no new file, an existing file is written in place instead (not as
// one step). A read-only file is never written. True when the new content is in place.
bool PlatformReplaceFile(const char* path, const char* data, std::size_t size);

// Appends to *out the UTF-16 form of length bytes of code page 932 text (code page 932 whatever
// the system's own code page is; bytes that form no character become what the system's
// converter makes of them). False when memory runs out.
bool PlatformCp932ToUtf16(const char* text, std::size_t length, std::u16string* out);

// Appends to *out the code page 932 form of count UTF-16 units when every character has an
// exact one, that is one that converts back to the same character (no "best fit": U+00A5 never
// becomes a backslash); otherwise false with *out as it was.
bool PlatformUtf16ToCp932(const char16_t* units, std::size_t count, std::string* out);
