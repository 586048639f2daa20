// The platform seam on Windows: the process heap, the ANSI code page's lead bytes, and
// whole-file reading and atomic replacement through the Win32 file calls.
#include <windows.h>

#include <cstdio>
#include <new>

#include "platform.h"
#include "storage_fault.h"

namespace {

StorageFault InjectedFault = StorageFault::None;  // step that tests make fail
unsigned TempCounter = 0;                         // varies the temporary names of one process

// Length of the folder part of path, separator included (0 when path names no folder).
// Steps over double-byte characters, whose second byte may be 0x5C.
std::size_t FolderLength(const char* path) {
  std::size_t folder = 0;
  for (std::size_t i = 0; path[i];) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1]) {
      i += 2;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') folder = i + 1;
    ++i;
  }
  return folder;
}

// Writes into out (MAX_PATH bytes) the path of a new file beside path, named "~pb" and six hex
// digits: as long as "pimbo.ini", so the temporary name fits wherever the target's name fits.
bool BuildTempPath(const char* path, unsigned salt, char (&out)[MAX_PATH]) {
  std::size_t folder = FolderLength(path);
  if (folder >= MAX_PATH) return false;
  int written = std::snprintf(out, sizeof out, "%.*s~pb%06x", static_cast<int>(folder), path,
                              salt & 0xFFFFFFu);
  return written > 0 && static_cast<std::size_t>(written) < sizeof out;
}

// The attributes that a replaced pimbo.ini keeps (read-only files are never replaced).
DWORD const KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes size bytes of data over the existing file at path, keeping the file itself (its
// attributes, security and links). Not atomic: only for a folder that takes no new file.
bool WriteInPlace(const char* path, const char* data, std::size_t size) {
  if (InjectedFault == StorageFault::InPlace) return false;
  // OPEN_EXISTING: the fallback never creates a file, which that folder would refuse anyway.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
            written == size && SetEndOfFile(file) && FlushFileBuffers(file);
  if (!CloseHandle(file)) ok = false;
  return ok;
}

// Puts the flushed file temp in the place of path. An existing file is replaced through
// ReplaceFileA, which keeps its security descriptor and attributes on Windows.
bool MoveIntoPlace(const char* temp, const char* path, bool exists) {
  DWORD const move = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (!exists) return MoveFileExA(temp, path, move) != FALSE;
  // Another program holds the file open without delete sharing: it cannot be replaced. Asked
  // first, because Wine 8's ReplaceFileA then fails but leaves a file "rf*.tmp" of its own
  // beside it (measured).
  HANDLE probe = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  if (ReplaceFileA(path, temp, nullptr, 0, nullptr, nullptr)) return true;
  DWORD const error = GetLastError();
  // Without a backup name, ERROR_UNABLE_TO_MOVE_REPLACEMENT means the old file is already
  // gone and the new one still has its temporary name; ERROR_FILE_NOT_FOUND, that the old
  // file was removed meanwhile. Either way only the move is left to do.
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_FILE_NOT_FOUND)
    return MoveFileExA(temp, path, move) != FALSE;
  // Another program holds the file open without delete sharing (ERROR_SHARING_VIOLATION,
  // ERROR_UNABLE_TO_REMOVE_REPLACED): the old file stays as it was.
  return false;
}

}  // namespace

void SetStorageFault(StorageFault fault) { InjectedFault = fault; }

// Serialized like every other user of the process heap: the shell and COM calls of both
// programs start threads of their own that allocate from it, and an unlocked call racing
// with one of them corrupts the heap.
void* PlatformAlloc(std::size_t size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void PlatformFree(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

void* PlatformAllocScratch(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void PlatformFreeScratch(void* block) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

bool PlatformIsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool PlatformReadFile(const char* path, std::string* out) {
  if (!out) return false;
  out->clear();
  if (!path) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  // A file of 4 GB or more is no configuration file.
  if (!(size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) && high == 0) {
    try {
      out->resize(size);
      DWORD read = 0;
      if (ReadFile(file, out->data(), size, &read, nullptr)) {
        out->resize(read);
        ok = true;
      }
    } catch (const std::bad_alloc&) {
    }
  }
  CloseHandle(file);
  if (!ok) out->clear();
  return ok;
}

bool PlatformFileExists(const char* path) {
  return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool PlatformReplaceFile(const char* path, const char* data, std::size_t size) {
  if (!path || (!data && size > 0) || size > MAXDWORD) return false;
  // A read-only file is left alone, as CreateFileA would refuse to overwrite it. Measured under
  // Wine 8: MoveFileExA and ReplaceFileA both replace a read-only target, so ask first.
  DWORD const attributes = GetFileAttributesA(path);
  bool const exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
  // The new file starts with the old one's attributes: ReplaceFileA carries them over on
  // Windows, and so they stay also where a replacement only renames the new file into place.
  DWORD const kept = exists ? attributes & KEPT_ATTRIBUTES : 0;

  char temp[MAX_PATH];
  HANDLE file = INVALID_HANDLE_VALUE;
  bool noTemporary = false;  // the folder takes no new file: denied, full, or the name too long
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE && !noTemporary;
       ++attempt) {
    unsigned salt = static_cast<unsigned>(GetCurrentProcessId()) * 2654435761u +
                    GetTickCount() + TempCounter++ * 40503u;
    if (!BuildTempPath(path, salt, temp) || InjectedFault == StorageFault::Create ||
        InjectedFault == StorageFault::InPlace) {
      noTemporary = true;
      break;
    }
    // CREATE_NEW: never take over a file that someone else left under the same name.
    file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      noTemporary = true;
  }
  if (file == INVALID_HANDLE_VALUE) {
    // A user may write pimbo.ini in a folder where he may create nothing; the settings have
    // then already been written in place, so the commands are too rather than half a save.
    return noTemporary && exists && WriteInPlace(path, data, size);
  }

  DWORD written = 0;
  bool ok = InjectedFault != StorageFault::Write &&
            WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
            written == size;
  ok = ok && InjectedFault != StorageFault::Flush && FlushFileBuffers(file);
  if (!CloseHandle(file)) ok = false;
  ok = ok && InjectedFault != StorageFault::Replace && MoveIntoPlace(temp, path, exists);
  if (!ok) DeleteFileA(temp);
  return ok;
}
