// The launcher's window-free start-up rules: file paths beside the program, centring.
#include "startup_rules.h"

#include <cstring>

#include "texts.h"

std::size_t LauncherDirectoryLength(std::size_t modulePathLength) {
  std::size_t const tail = sizeof(LAUNCHER_FILE_TAIL) - 1;
  return modulePathLength > tail ? modulePathLength - tail : 0;
}

bool FormatLauncherPath(const char* modulePath, const char* fileFormat, char* out,
                        std::size_t size) {
  if (size == 0) return false;
  out[0] = '\0';
  char const* slot = std::strstr(fileFormat, "%s");
  if (slot == nullptr) return false;
  std::size_t const directory = LauncherDirectoryLength(std::strlen(modulePath));
  std::size_t const before = static_cast<std::size_t>(slot - fileFormat);
  std::size_t const after = std::strlen(slot + 2);
  if (before + directory + after >= size) return false;
  char* write = out;
  std::memcpy(write, fileFormat, before);
  write += before;
  std::memcpy(write, modulePath, directory);
  write += directory;
  std::memcpy(write, slot + 2, after + 1);  // with the terminator
  return true;
}

int CenteredOrigin(int desktopExtent, int windowExtent) {
  return desktopExtent / 2 - windowExtent / 2;
}
