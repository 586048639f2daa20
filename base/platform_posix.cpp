// The platform seam on Linux (host builds): calloc/free, the code page 932 lead-byte ranges,
// and whole-file reading and atomic replacement through POSIX file calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#include "platform.h"
#include "storage_step.h"  // the seam that tests use to make a step fail

namespace {

unsigned TempCounter = 0;  // varies the temporary names of one process

// How long a save waits out a refusal, and the pause between its attempts: the rule of the
// Windows side, where a reader holding the file for a moment refuses its replacement. Linux
// refuses no rename for an open file, so here only injected refusals are waited out.
constexpr std::chrono::milliseconds RETRY_TOTAL{1000};
constexpr std::chrono::milliseconds RETRY_STEP{50};

// Bounded size of a temporary path: the target's folder, one separator and a 9-byte name.
constexpr std::size_t TEMP_PATH_SIZE = 4096;

unsigned NextSalt() {
  return static_cast<unsigned>(getpid()) * 2654435761u + TempCounter++ * 40503u;
}

// Writes into out the path of a new file beside path, named "~pb" and six hex digits: as long
// as "pimbo.ini", so that the temporary name fits wherever the target's name fits.
bool BuildTempPath(const char* path, unsigned salt, char* out, std::size_t size) {
  const char* slash = std::strrchr(path, '/');
  std::size_t folderLength = slash ? static_cast<std::size_t>(slash - path) + 1 : 0;
  int written = std::snprintf(out, size, "%.*s~pb%06x", static_cast<int>(folderLength), path,
                              salt & 0xFFFFFFu);
  return written > 0 && static_cast<std::size_t>(written) < size;
}

bool IsMissing(const char* path) {
  struct stat info;
  return lstat(path, &info) != 0 && errno == ENOENT;
}

// Writes into out (TEMP_PATH_SIZE bytes) a temporary name beside path under which nothing
// exists yet, for the old file while it is moved aside.
bool BuildBackupPath(const char* path, char* out) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!BuildTempPath(path, NextSalt(), out, TEMP_PATH_SIZE)) return false;
    if (IsMissing(out)) return true;
  }
  return false;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Writes size bytes of data over the existing file at path, keeping the file itself (its mode,
// owner and links). Not atomic: only for a folder that takes no new file.
bool WriteInPlace(const char* path, const char* data, std::size_t size) {
  if (StorageFaultStrikes(StorageFault::InPlace)) return false;
  int fd = open(path, O_WRONLY | O_CLOEXEC);  // no O_CREAT: the fallback never creates a file
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 &&
            fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  return ok;
}

// One attempt to rename the flushed file temp onto the existing file path. rename replaces in
// one step; the faults of the Windows side's ReplaceFileA are injected with the same outcome,
// so that the rules that follow them are checked here under the sanitizers.
Placement ReplaceOnce(const char* temp, const char* path) {
  StorageFault const injected = PendingStorageFault();
  bool const movedAside = injected == StorageFault::MovedAside ||
                          injected == StorageFault::Stuck || injected == StorageFault::Stranded;
  if (injected == StorageFault::Busy && StorageFaultStrikes(injected)) return Placement::Refused;
  if (!movedAside) return rename(temp, path) == 0 ? Placement::Placed : Placement::Failed;

  StorageFaultStrikes(injected);
  char backup[TEMP_PATH_SIZE];
  if (!BuildBackupPath(path, backup)) return Placement::Failed;
  // What ReplaceFileA leaves when it reports ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the old file
  // under the backup name, the new one under its temporary name, nothing at path.
  if (rename(path, backup) != 0) return Placement::Failed;
  // The new file goes in; failing that the old one comes back; failing both, both stay where
  // they are, so that the data is never lost.
  bool const stuck = injected == StorageFault::Stuck || injected == StorageFault::Stranded;
  if (!stuck && rename(temp, path) == 0) {
    unlink(backup);
    return Placement::Placed;
  }
  if (injected != StorageFault::Stranded && rename(backup, path) == 0) return Placement::Failed;
  return Placement::Stranded;
}

// Puts the flushed file temp in the place of path, waiting out a passing refusal.
Placement MoveIntoPlace(const char* temp, const char* path, bool exists) {
  if (!exists) return rename(temp, path) == 0 ? Placement::Placed : Placement::Failed;
  auto const start = std::chrono::steady_clock::now();
  for (;;) {
    Placement placement = ReplaceOnce(temp, path);
    if (placement != Placement::Refused) return placement;
    if (std::chrono::steady_clock::now() - start >= RETRY_TOTAL) return Placement::Failed;
    std::this_thread::sleep_for(RETRY_STEP);
  }
}

}  // namespace

void* PlatformAlloc(std::size_t size) { return std::calloc(1, size ? size : 1); }

void PlatformFree(void* block) { std::free(block); }

void* PlatformAllocScratch(std::size_t size) { return std::calloc(1, size ? size : 1); }

void PlatformFreeScratch(void* block) { std::free(block); }

bool PlatformIsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool PlatformReadFile(const char* path, std::string* out) {
  if (!out) return false;
  out->clear();
  if (!path) return false;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = false;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    try {
      out->resize(static_cast<std::size_t>(info.st_size));
      std::size_t done = 0;
      ok = true;
      while (done < out->size()) {
        ssize_t n = read(fd, out->data() + done, out->size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          ok = false;
          break;
        }
        if (n == 0) break;  // the file shrank while being read: keep what was there
        done += static_cast<std::size_t>(n);
      }
      out->resize(done);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  close(fd);
  if (!ok) out->clear();
  return ok;
}

bool PlatformFileExists(const char* path) {
  struct stat info;
  return path && stat(path, &info) == 0;
}

bool PlatformReplaceFile(const char* path, const char* data, std::size_t size) {
  if (!path || (!data && size > 0)) return false;
  // A target without write permission stays as it is, as a read-only file does on Windows.
  mode_t mode = 0644;
  bool exists = false;
  struct stat info;
  if (stat(path, &info) == 0) {
    exists = true;
    if (!S_ISREG(info.st_mode) || !(info.st_mode & S_IWUSR)) return false;
    mode = info.st_mode & 07777;
  }

  char temp[TEMP_PATH_SIZE];
  int fd = -1;
  bool noTemporary = false;  // the folder takes no new file: denied, full, or the name too long
  for (int attempt = 0; attempt < 100 && fd < 0 && !noTemporary; ++attempt) {
    if (!BuildTempPath(path, NextSalt(), temp, sizeof temp) ||
        StorageFaultStrikes(StorageFault::Create) ||
        PendingStorageFault() == StorageFault::InPlace) {
      noTemporary = true;
      break;
    }
    fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) noTemporary = true;
  }
  // The settings may already stand in the file: write it in place rather than half a save.
  if (fd < 0) return noTemporary && exists && WriteInPlace(path, data, size);

  bool ok = !StorageFaultStrikes(StorageFault::Write) && WriteAll(fd, data, size);
  ok = ok && fchmod(fd, mode) == 0;
  ok = ok && !StorageFaultStrikes(StorageFault::Flush) && fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  Placement placement = Placement::Failed;
  if (ok && !StorageFaultStrikes(StorageFault::Replace))
    placement = MoveIntoPlace(temp, path, exists);
  // A stranded new file is kept: with path missing it may be the only copy of the data.
  if (placement == Placement::Failed) unlink(temp);
  return placement == Placement::Placed;
}
