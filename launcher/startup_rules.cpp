// The launcher's window-free start-up rules: file paths beside the program, setting numbers.
#include "startup_rules.h"

#include <cstring>

#include "setting_number.h"
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

int SettingNumber(const char* text) { return ProfileSettingNumber(text); }
