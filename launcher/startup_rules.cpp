// The launcher's window-free start-up rules: file paths beside the program, setting numbers.
#include "startup_rules.h"

#include <cstdint>
#include <cstring>

#include "shared.h"
#include "texts.h"

std::size_t LauncherDirectoryLength(std::size_t modulePathLength) {
  std::size_t const tail = sizeof(LAUNCHER_FILE_TAIL) - 1;
  return modulePathLength > tail ? modulePathLength - tail : 0;
}

bool FormatLauncherPath(const char* modulePath, const char* fileFormat, char* out,
                        std::size_t size) {
  return FormatDirectoryPath(modulePath, LauncherDirectoryLength(std::strlen(modulePath)),
                             fileFormat, out, size);
}

void LauncherPathsFromModule(const char* modulePath, std::size_t length,
                             std::size_t moduleBufferSize, char* iniPath, std::size_t iniSize,
                             char* editorPath, std::size_t editorSize) {
  bool const known = length > 0 && length < moduleBufferSize;
  if (iniSize > 0) iniPath[0] = '\0';
  if (known) FormatLauncherPath(modulePath, INI_FILE_FORMAT, iniPath, iniSize);
  if (editorPath == nullptr) return;
  if (editorSize > 0) editorPath[0] = '\0';
  if (known) FormatLauncherPath(modulePath, EDITOR_FILE_FORMAT, editorPath, editorSize);
}

int SettingNumber(const char* text) {
  std::size_t i = 0;
  while (text[i] != '\0' && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(static_cast<std::int32_t>(value));
}
