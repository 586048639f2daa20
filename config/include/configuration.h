// The editor's whole-file reading and saving of pimbo.ini (config_save.cpp): the settings
// keys and the command list through one profile model, and a save that replaces the file in
// one step.
#pragma once

#include <cstddef>

#include "commands.h"
#include "settings.h"
#include "text_encoding.h"

// What the editor must tell its user about the file it read.
struct ConfigurationFile {
  ProfileEncoding encoding = ProfileEncoding::Cp932;
  // Distinct characters of the file that code page 932 cannot hold: they show as stand-ins in
  // the editor and are written back as they were.
  std::size_t keptCharacters = 0;
  // false: more such characters than stand-ins; a save would lose some, so none is made.
  bool complete = true;
};

// Reads the seven settings keys (missing ones take defaults' values) and the commands (as the
// editor holds them, onto *list, which must be empty) from one load of the file at iniPath.
// A missing or unreadable file gives the defaults and no commands. *file may be null.
void LoadConfiguration(const char* iniPath, const Settings& defaults, Settings* settings,
                       CommandList* list, ConfigurationFile* file);

enum ConfigurationSave {
  CONFIGURATION_NOT_SAVED = 0,  // the file could not be read or written: it is as it was
  CONFIGURATION_SAVED = 1,      // the new file is in place
  CONFIGURATION_WOULD_LOSE = 2,  // the file holds characters a save would lose: not written
};

// Loads the file at iniPath again, sets the seven settings keys (when settings is not null),
// then the commands of list with "command count", and replaces the file once, in its own
// encoding. A failure anywhere leaves the old file byte for byte.
ConfigurationSave SaveConfiguration(const char* iniPath, const Settings* settings,
                                    const CommandList& list);

// Editor: writes the list, head to tail, and "command count" into the file at iniPath,
// keeping everything else the file holds. Null texts are written as empty ones. Returns the
// result of the save (callers may ignore it).
int SaveCommands(const char* iniPath, const CommandList& list);
