// Window-free path helpers of the command runner, aware of code page 932 double-byte text.
#include "command_paths.h"

#include <cstdio>
#include <cstring>

#include "platform.h"

const char* NextChar(const char* text) {
  if (PlatformIsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0') {
    return text + 2;
  }
  // A lone lead byte before the terminator (a text cut in the middle of a character) moves
  // one byte on; stepping two would walk past the end of the text.
  return text + 1;
}

char* NextChar(char* text) {
  return const_cast<char*>(NextChar(static_cast<const char*>(text)));
}

const char* FileNamePart(const char* path) {
  if (path == nullptr) {
    return nullptr;
  }
  const char* part = path;
  for (const char* p = path; *p != '\0'; p = NextChar(p)) {
    if (*p == '\\') {
      part = p + 1;
    }
  }
  return part;
}

char* FileNamePart(char* path) {
  return const_cast<char*>(FileNamePart(static_cast<const char*>(path)));
}

int EnsureTrailingBackslash(char* path, std::size_t size) {
  if (path == nullptr || path[0] == '\0') {
    return 0;
  }
  const char* last = path;
  const char* p = path;
  while (*p != '\0') {
    last = p;
    p = NextChar(p);
  }
  if (*last == '\\') {
    return 1;
  }
  std::size_t length = static_cast<std::size_t>(p - path);
  if (length + 2 > size) {
    return 0;
  }
  path[length] = '\\';
  path[length + 1] = '\0';
  return 1;
}

void CopyBytes(char* destination, const char* source, std::size_t n) {
  if (n != 0) {
    std::memcpy(destination, source, n);
  }
}

bool CopyTextWhole(char* destination, std::size_t size, const char* source) {
  if (size == 0) {
    return false;
  }
  std::size_t length = std::strlen(source);
  if (length + 1 > size) {
    destination[0] = '\0';
    return false;
  }
  std::memcpy(destination, source, length + 1);
  return true;
}

namespace {

// True when name holds a character that the settings editor never lets into a folder name.
bool HasForbiddenFolderCharacter(const char* name) {
  for (const char* p = name; *p != '\0'; p = NextChar(p)) {
    if (std::strchr("\\/:,;*?\"<>|", *p) != nullptr) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool ChooseFreeFolderPath(const char* folder, const char* name, char* out, std::size_t size,
                          PathExistsFunction exists, void* context) {
  if (size == 0) {
    return false;
  }
  out[0] = '\0';
  if (HasForbiddenFolderCharacter(name)) {
    return false;
  }
  std::size_t folderLength = std::strlen(folder);
  std::size_t nameLength = std::strlen(name);
  std::size_t baseLength = folderLength + nameLength;
  if (baseLength + 1 > size) {
    return false;
  }
  CopyBytes(out, folder, folderLength);
  CopyBytes(out + folderLength, name, nameLength);
  out[baseLength] = '\0';
  if (!exists(out, context)) {
    return true;
  }
  for (int n = 1; n <= FOLDER_SUFFIX_LIMIT; ++n) {
    char suffix[16];
    int suffixLength = std::snprintf(suffix, sizeof suffix, "_%d", n);
    if (suffixLength < 0 || baseLength + static_cast<std::size_t>(suffixLength) + 1 > size) {
      break;
    }
    CopyBytes(out + baseLength, suffix, static_cast<std::size_t>(suffixLength) + 1);
    if (!exists(out, context)) {
      return true;
    }
  }
  out[0] = '\0';
  return false;
}

std::size_t CharBoundaryLength(const char* text, std::size_t limit) {
  const char* p = text;
  while (*p != '\0') {
    const char* next = NextChar(p);
    // A lead byte without its second byte (a text already cut short) is no character either.
    bool lonelyLead = next == p + 1 && PlatformIsLeadByte(static_cast<unsigned char>(*p));
    if (lonelyLead || static_cast<std::size_t>(next - text) > limit) {
      break;
    }
    p = next;
  }
  return static_cast<std::size_t>(p - text);
}
