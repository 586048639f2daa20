// Field choice for dropped items and the shortcut target rule (see drop_rules.h).
#include "drop_rules.h"

#include <cstring>

#include "commands.h"
#include "platform.h"
#include "shared.h"

namespace {

// Equal ignoring the case of ASCII letters; the second byte of a double-byte character is
// compared as it is, never folded.
bool SameFolded(const char* a, const char* b) {
  while (*a != '\0' || *b != '\0') {
    if (PlatformIsLeadByte(static_cast<unsigned char>(*a)) && a[1] != '\0') {
      if (a[0] != b[0] || a[1] != b[1]) return false;
      a += 2;
      b += 2;
      continue;
    }
    char x = *a;
    char y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
    ++a;
    ++b;
  }
  return true;
}

bool IsProgramExtension(const char* extension) {
  return SameFolded(extension, ".exe") || SameFolded(extension, ".com");
}

// Long form of path into out, or path itself when it has none that fits.
void LongForm(const char* path, char (&out)[PATH_BUFFER_SIZE], LongFormFunction toLongForm,
              void* context) {
  out[0] = '\0';
  if (toLongForm(path, out, sizeof out, context)) return;
  std::size_t const length = std::strlen(path);
  if (length < sizeof out) {
    std::memcpy(out, path, length + 1);
  } else {
    out[0] = '\0';
  }
}

}  // namespace

const char* PathExtension(const char* path) {
  const char* name = FileNamePart(path);
  const char* dot = nullptr;
  for (const char* p = name; *p != '\0'; p = NextChar(p)) {
    if (*p == '.') {
      dot = p;
    } else if (*p == ' ') {
      dot = nullptr;
    }
  }
  return dot ? dot : name + std::strlen(name);
}

DropField ChooseDropField(int type, bool isDirectory, const char* path) {
  if (type != CMD_APP) return DropField::File;
  if (isDirectory) return DropField::FileAskingAlways;
  return IsProgramExtension(PathExtension(path)) ? DropField::Application : DropField::File;
}

bool FileFieldText(int type, bool programGiven, const char* path, char* out,
                   std::size_t size) {
  // No byte of a double-byte character is a blank (0x20), so a plain search finds only blanks.
  bool const quoted = type == CMD_APP && programGiven && std::strchr(path, ' ') != nullptr;
  std::size_t const length = std::strlen(path);
  std::size_t const needed = length + (quoted ? 2 : 0) + 1;
  if (size == 0) return false;
  out[0] = '\0';
  if (needed > size) return false;
  char* end = out;
  if (quoted) *end++ = '"';
  std::memcpy(end, path, length);
  end += length;
  if (quoted) *end++ = '"';
  *end = '\0';
  return true;
}

std::size_t FolderPartLength(const char* path) {
  const char* name = FileNamePart(path);
  return static_cast<std::size_t>(name - path);
}

bool TakeShortcutTarget(const char* target, const char* arguments, const char* workingDirectory,
                        LongFormFunction toLongForm, void* context) {
  if (arguments != nullptr && arguments[0] != '\0') return false;
  if (workingDirectory == nullptr || workingDirectory[0] == '\0') return true;
  std::size_t const folderLength = FolderPartLength(target);
  if (folderLength == 0 || folderLength >= PATH_BUFFER_SIZE) return false;
  char folder[PATH_BUFFER_SIZE];
  std::memcpy(folder, target, folderLength);
  folder[folderLength] = '\0';
  char longFolder[PATH_BUFFER_SIZE];
  char longDirectory[PATH_BUFFER_SIZE];
  LongForm(folder, longFolder, toLongForm, context);
  LongForm(workingDirectory, longDirectory, toLongForm, context);
  return longFolder[0] != '\0' && SameFolded(longFolder, longDirectory);
}
