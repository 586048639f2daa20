// Writes the editor's command list and "command count" into pimbo.ini through the profile
// library, keeping every other section, key and comment of the file in its place.
#include <cstdio>

#include "commands.h"
#include "platform.h"
#include "profile.h"

namespace {

void SetNumberedText(const char* stem, int index, const char* text, const char* iniPath) {
  char keyName[64];
  std::snprintf(keyName, sizeof keyName, "%s%d", stem, index);
  // A null text (a record fresh from the edit dialog) is written as an empty one.
  ProfileSetQuotedString(COMMANDS_SECTION, keyName, text ? text : "", iniPath);
}

}  // namespace

int SaveCommands(const char* iniPath, const CommandList& list) {
  if (!iniPath) return 0;
  if (!ProfileLoad(iniPath) && PlatformFileExists(iniPath)) {
    // The file is there but could not be read (locked, denied, out of memory): writing the
    // commands into an empty model would replace the settings and everything else it holds.
    return 0;
  }
  int index = 0;
  for (const CommandRecord* record = list.head; record; record = record->next, ++index) {
    SetNumberedText(STEM_COMMAND_NAME, index, record->name, iniPath);
    SetNumberedText(STEM_COMMAND_KEY, index, record->key, iniPath);
    char keyName[64];
    std::snprintf(keyName, sizeof keyName, "%s%d", STEM_COMMAND_TYPE, index);
    ProfileSetInt(COMMANDS_SECTION, keyName, record->type, iniPath);
    SetNumberedText(STEM_COMMAND_EXE, index, record->exe, iniPath);
    SetNumberedText(STEM_COMMAND_FILE, index, record->file, iniPath);
  }
  ProfileSetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, index, iniPath);
  int saved = ProfileSave(iniPath);
  ProfileFree();
  return saved;
}
