// Reads and writes pimbo.ini for the editor through one profile model: the settings keys and
// the command list together, so that a save replaces the file once and a failure leaves it
// whole, keeping every other section, key and comment in its place.
#include <cstdio>

#include "commands.h"
#include "configuration.h"
#include "platform.h"
#include "profile.h"

namespace {

void SetNumberedText(const char* stem, int index, const char* text) {
  char keyName[64];
  std::snprintf(keyName, sizeof keyName, "%s%d", stem, index);
  // A null text (a record fresh from the edit dialog) is written as an empty one.
  ProfileSetQuotedString(COMMANDS_SECTION, keyName, text ? text : "", nullptr);
}

// Sets the commands of list and "command count" into the current model.
void SetCommands(const CommandList& list) {
  int index = 0;
  for (const CommandRecord* record = list.head; record; record = record->next, ++index) {
    SetNumberedText(STEM_COMMAND_NAME, index, record->name);
    SetNumberedText(STEM_COMMAND_KEY, index, record->key);
    char keyName[64];
    std::snprintf(keyName, sizeof keyName, "%s%d", STEM_COMMAND_TYPE, index);
    ProfileSetInt(COMMANDS_SECTION, keyName, record->type, nullptr);
    SetNumberedText(STEM_COMMAND_EXE, index, record->exe);
    SetNumberedText(STEM_COMMAND_FILE, index, record->file);
  }
  ProfileSetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, index, nullptr);
}

// Loads the file for a save. False when it is there but could not be read (locked, denied,
// out of memory): saving an empty model would replace the settings and all else it holds.
bool LoadForSaving(const char* iniPath) {
  return ProfileLoad(iniPath) || !PlatformFileExists(iniPath);
}

}  // namespace

void LoadConfiguration(const char* iniPath, const Settings& defaults, Settings* settings,
                       CommandList* list, ConfigurationFile* file) {
  ProfileLoad(iniPath);  // a missing file leaves no model: every read gives its default
  ReadSettingsFromProfile(defaults, settings);
  if (list) LoadCommandsFromProfile(list, CommandReader::Editor);
  if (file) {
    *file = ConfigurationFile{};
    ProfileGetFileForm(&file->encoding, &file->keptCharacters, &file->complete);
  }
  ProfileFree();
}

ConfigurationSave SaveConfiguration(const char* iniPath, const Settings* settings,
                                    const CommandList& list) {
  if (!iniPath || !LoadForSaving(iniPath)) return CONFIGURATION_NOT_SAVED;
  bool complete = true;
  ProfileGetFileForm(nullptr, nullptr, &complete);
  if (!complete) {
    ProfileFree();
    return CONFIGURATION_WOULD_LOSE;
  }
  // The settings first: in a file made from nothing, "settings" is the first section.
  if (settings) SetSettingsInProfile(*settings);
  SetCommands(list);
  int const saved = ProfileSave(iniPath);
  ProfileFree();
  return saved ? CONFIGURATION_SAVED : CONFIGURATION_NOT_SAVED;
}

int SaveCommands(const char* iniPath, const CommandList& list) {
  return SaveConfiguration(iniPath, nullptr, list) == CONFIGURATION_SAVED ? 1 : 0;
}
