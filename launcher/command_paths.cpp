// Window-free path helpers of the command runner, aware of code page 932 double-byte text.
#include "command_paths.h"

#include <cstdio>
#include <cstring>

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

bool ChooseFreeFolderPath(const char* folder, const char* name, char* out, std::size_t size,
                          PathExistsFunction exists, void* context) {
  if (size == 0) {
    return false;
  }
  out[0] = '\0';
  if (FindForbiddenFolderChar(name) != nullptr) {
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
