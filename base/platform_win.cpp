// The platform seam on Windows: the process heap, the ANSI code page's lead bytes, and
// whole-file reading and atomic replacement through the Win32 file calls.
#include <windows.h>

#include <cstdio>
#include <new>

#include "platform.h"
#include "storage_step.h"  // the seam that tests use to make a step fail

namespace {

unsigned TempCounter = 0;  // varies the temporary names of one process

// How long a save waits out a refusal, and the pause between its attempts. An indexer or a
// virus scanner opens a freshly closed file for a moment and so refuses its replacement; only
// a lock that outlasts this reaches the user, who is then offered to try again.
DWORD const RETRY_TOTAL_MS = 1000;
DWORD const RETRY_STEP_MS = 50;

DWORD const MOVE_FLAGS = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

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

unsigned NextSalt() {
  return static_cast<unsigned>(GetCurrentProcessId()) * 2654435761u + GetTickCount() +
         TempCounter++ * 40503u;
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

// Writes into out a temporary name beside path under which nothing exists yet, for the old
// file while it is replaced: ReplaceFileA overwrites whatever stands under the backup name
// (measured under Wine 8, a read-only file included).
bool BuildBackupPath(const char* path, char (&out)[MAX_PATH]) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!BuildTempPath(path, NextSalt(), out)) return false;
    if (GetFileAttributesA(out) == INVALID_FILE_ATTRIBUTES &&
        GetLastError() == ERROR_FILE_NOT_FOUND)
      return true;
  }
  return false;
}

// The attributes that a replaced pimbo.ini keeps (read-only files are never replaced).
DWORD const KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes size bytes of data over the existing file at path, keeping the file itself (its
// attributes, security and links). Not atomic: only for a folder that takes no new file.
bool WriteInPlace(const char* path, const char* data, std::size_t size) {
  if (StorageFaultStrikes(StorageFault::InPlace)) return false;
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

// Refusals that a reader holding the file for a moment causes. ERROR_UNABLE_TO_REMOVE_REPLACED
// is ReplaceFileA's word for an old file that another handle keeps from being renamed;
// ERROR_UNABLE_TO_MOVE_REPLACEMENT, with a backup name, for a new file that a scanner still
// holds (both files then keep their names, so another try is safe).
bool IsPassingRefusal(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

bool IsMissing(const char* path) {
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Moves from onto to, replacing whatever stands there; injected makes the move fail.
bool MoveOnto(const char* from, const char* to, bool injected) {
  if (injected) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return MoveFileExA(from, to, MOVE_FLAGS) != FALSE;
}

// One attempt to put the flushed file temp in the place of the existing file path through
// ReplaceFileA, which keeps the old file's security descriptor and attributes on Windows. The
// old file goes to a backup name, so that its place is known whatever step fails.
Placement ReplaceOnce(const char* temp, const char* path) {
  char backup[MAX_PATH];
  if (!BuildBackupPath(path, backup)) return Placement::Failed;
  StorageFault const injected = PendingStorageFault();
  bool const movedAside = injected == StorageFault::MovedAside ||
                          injected == StorageFault::Stuck || injected == StorageFault::Stranded;
  if (movedAside || injected == StorageFault::Busy) StorageFaultStrikes(injected);

  // Another program holds the file open without delete sharing: it cannot be replaced. Asked
  // first, because Wine 8's ReplaceFileA without a backup name then fails but leaves a file
  // "rf*.tmp" of its own beside it (measured; with a backup name it fails cleanly).
  HANDLE probe = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    DWORD const error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND)
      return IsPassingRefusal(error) ? Placement::Refused : Placement::Failed;
  } else {
    CloseHandle(probe);
  }

  BOOL replaced = FALSE;
  if (injected == StorageFault::Busy) {
    SetLastError(ERROR_SHARING_VIOLATION);
  } else if (movedAside) {
    // What ReplaceFileA leaves when it reports ERROR_UNABLE_TO_MOVE_REPLACEMENT_2.
    MoveFileExA(path, backup, MOVEFILE_WRITE_THROUGH);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
  } else {
    replaced = ReplaceFileA(path, temp, backup, 0, nullptr, nullptr);
  }
  if (replaced) {
    DeleteFileA(backup);  // the old file; one left behind is only clutter
    return Placement::Placed;
  }
  DWORD const error = GetLastError();
  if (!IsMissing(path)) {
    // Both files keep their names, with a backup name also after
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT. Anything under the fresh backup name was left by this
    // attempt.
    DeleteFileA(backup);
    return IsPassingRefusal(error) ? Placement::Refused : Placement::Failed;
  }
  // The old file has left its place: to the backup name after
  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, or removed by another program (ERROR_FILE_NOT_FOUND).
  // The new file goes in; failing that the old one comes back; failing both, both stay where
  // they are, so that the data is never lost.
  if (MoveOnto(temp, path, injected == StorageFault::Stuck || injected == StorageFault::Stranded)) {
    DeleteFileA(backup);
    return Placement::Placed;
  }
  if (MoveOnto(backup, path, injected == StorageFault::Stranded)) return Placement::Failed;
  return Placement::Stranded;
}

// Puts the flushed file temp in the place of path, waiting out a passing refusal.
Placement MoveIntoPlace(const char* temp, const char* path, bool exists) {
  if (!exists) return MoveOnto(temp, path, false) ? Placement::Placed : Placement::Failed;
  DWORD const start = GetTickCount();
  for (;;) {
    Placement placement = ReplaceOnce(temp, path);
    if (placement != Placement::Refused) return placement;
    if (GetTickCount() - start >= RETRY_TOTAL_MS) return Placement::Failed;
    Sleep(RETRY_STEP_MS);
  }
}

}  // namespace

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
    if (!BuildTempPath(path, NextSalt(), temp) ||
        StorageFaultStrikes(StorageFault::Create) ||
        PendingStorageFault() == StorageFault::InPlace) {
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
  bool ok = !StorageFaultStrikes(StorageFault::Write) &&
            WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
            written == size;
  ok = ok && !StorageFaultStrikes(StorageFault::Flush) && FlushFileBuffers(file);
  if (!CloseHandle(file)) ok = false;
  Placement placement = Placement::Failed;
  if (ok && !StorageFaultStrikes(StorageFault::Replace))
    placement = MoveIntoPlace(temp, path, exists);
  // A stranded new file is kept: with path missing it may be the only copy of the data.
  if (placement == Placement::Failed) DeleteFileA(temp);
  return placement == Placement::Placed;
}
