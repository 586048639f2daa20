// The launcher's window-free start-up rule: file paths beside the program.
#include "startup_rules.h"

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
