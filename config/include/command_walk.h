// The launcher's one pass over pimbo.ini (command_walk.cpp): its settings keys and its
// commands read straight from the file's text, without the profile model.
#pragma once

#include <string_view>

#include "commands.h"

// One "settings" key that the launcher reads with its commands: buffer (size bytes) receives
// the text that the platform's profile reader converts to the key's number (ProfileSettingText
// of setting_number.h: blanks and a matched pair of quotes dropped, 29 characters), cut to
// size - 1 bytes, and length its length. Length 0, for an empty text as for a missing key,
// means the key's default applies; found tells a key that is there from a missing one.
struct SettingText {
  const char* key;
  char* buffer;
  int size;
  int length;
  bool found;
};

// The launcher's start-up read: the keys settings[0..settingCount) of section "settings" and
// the commands, as CommandReader::Launcher holds them, onto *list (which must be empty; null
// reads only the keys), in one pass over the text of the file at iniPath, converted to code
// page 932 first when it is UTF-8 or UTF-16. It builds no profile model, yet finds every key
// as ProfileLoad with its lookups and LoadCommandsFromProfile find it; the settings' texts are
// those ProfileGetSettingInt converts. A missing or unreadable file reads as an empty one.
// Without the memory for the walk over the commands, there are no commands.
void LoadLauncherProfile(const char* iniPath, SettingText* settings, int settingCount,
                         CommandList* list);
// The same from the file's bytes.
void LoadLauncherProfileFromText(std::string_view bytes, SettingText* settings, int settingCount,
                                 CommandList* list);
