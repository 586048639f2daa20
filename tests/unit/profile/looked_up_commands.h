// The command records as one lookup per key gives them (ProfileGetString and ProfileGetInt by
// key name), to check the records that loading builds in its one walk over the section.
#pragma once

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "command_walk.h"
#include "commands.h"
#include "profile.h"
#include "profile_text.h"
#include "setting_number.h"

// Empty when list holds, head to tail, what per-key lookups on the current model give under
// reader's rules; otherwise the first difference.
inline std::string DifferenceFromLookups(const CommandList& list, CommandReader reader) {
  int count = ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr);
  if (count > COMMAND_COUNT_LIMIT) count = COMMAND_COUNT_LIMIT;
  if (count < 0) count = 0;
  if (list.count != count) {
    return "count " + std::to_string(list.count) + " instead of " + std::to_string(count);
  }
  const bool launcher = reader == CommandReader::Launcher;
  const CommandRecord* record = list.head;
  for (int i = 0; i < count; ++i, record = record->next) {
    if (!record) return "the list ends before command " + std::to_string(i);
    auto keyName = [i](const char* stem) {
      char name[64];
      std::snprintf(name, sizeof name, "%s%d", stem, i);
      return std::string(name);
    };
    // The editor cuts a text past its limit between characters, the launcher at the limit.
    auto lookUp = [&](const char* stem, int limit, bool emptyIsNull) {
      std::string buffer(static_cast<std::size_t>(limit) + 2, '\0');
      int n = ProfileGetString(COMMANDS_SECTION, keyName(stem).c_str(), "", buffer.data(),
                               limit + 2, nullptr);
      std::size_t kept = std::min(static_cast<std::size_t>(n), static_cast<std::size_t>(limit));
      if (!launcher) kept = ProfileTextCut(buffer.data(), static_cast<std::size_t>(n),
                                           static_cast<std::size_t>(limit));
      buffer.resize(kept);
      return emptyIsNull && buffer.empty() ? std::nullopt : std::optional<std::string>(buffer);
    };
    auto held = [](const char* text) {
      return text ? std::optional<std::string>(text) : std::nullopt;
    };
    struct Field {
      const char* stem;
      std::optional<std::string> want, got;
    } const fields[] = {
        {STEM_COMMAND_NAME, lookUp(STEM_COMMAND_NAME, COMMAND_NAME_LIMIT, false),
         held(record->name)},
        {STEM_COMMAND_KEY, lookUp(STEM_COMMAND_KEY, COMMAND_KEY_LIMIT, false), held(record->key)},
        {STEM_COMMAND_EXE, lookUp(STEM_COMMAND_EXE, COMMAND_EXE_LIMIT, launcher),
         held(record->exe)},
        {STEM_COMMAND_FILE,
         lookUp(STEM_COMMAND_FILE,
                launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR, launcher),
         held(record->file)},
    };
    for (const Field& field : fields) {
      if (field.want != field.got) {
        return keyName(field.stem) + ": \"" + field.got.value_or("(null)") + "\" instead of \"" +
               field.want.value_or("(null)") + "\"";
      }
    }
    int type = ProfileGetInt(COMMANDS_SECTION, keyName(STEM_COMMAND_TYPE).c_str(), 0, nullptr);
    if (record->type != type) {
      return keyName(STEM_COMMAND_TYPE) + ": " + std::to_string(record->type) + " instead of " +
             std::to_string(type);
    }
  }
  return record ? "the list goes on after command " + std::to_string(count - 1) : "";
}

// The records both readers build from the current model, each compared with the lookups: the
// first difference, named after its reader, or empty.
inline std::string LoadingDiffersFromLookups() {
  for (CommandReader reader : {CommandReader::Launcher, CommandReader::Editor}) {
    CommandList list;
    LoadCommandsFromProfile(&list, reader);
    std::string difference = DifferenceFromLookups(list, reader);
    FreeCommandList(&list);
    if (!difference.empty()) {
      return (reader == CommandReader::Launcher ? "launcher: " : "editor: ") + difference;
    }
  }
  return "";
}

// Empty when the launcher's one pass over text (the text the current model was loaded from)
// reads what the model's lookups give: each settings key as the number ProfileGetSettingInt
// makes of it, and the records; otherwise the first difference.
inline std::string OnePassDiffersFromLookups(const std::string& text) {
  static const char* const keys[] = {KEY_HOT_KEY,  KEY_FG_COLOR,   KEY_BG_COLOR, KEY_XPOINT,
                                     KEY_YPOINT,   KEY_HIDE_TIME,  KEY_NO_TRAY,  KEY_COMMAND_COUNT,
                                     "Hot Key",    "hidetime"};
  constexpr int count = static_cast<int>(sizeof keys / sizeof keys[0]);
  constexpr int size = 30;  // the launcher's buffer for a setting
  // A default that few values read as, so that a text taken as empty shows.
  constexpr int fallback = -424242;
  char texts[count][size];
  SettingText settings[count];
  for (int i = 0; i < count; ++i) settings[i] = SettingText{keys[i], texts[i], size, -1, true};
  CommandList list;
  LoadLauncherProfileFromText(text, settings, count, &list);
  std::string difference = DifferenceFromLookups(list, CommandReader::Launcher);
  FreeCommandList(&list);
  if (!difference.empty()) return "one pass: " + difference;
  for (int i = 0; i < count; ++i) {
    int const want = ProfileGetSettingInt(SETTINGS_SECTION, keys[i], fallback, nullptr);
    std::size_t const gotLength = static_cast<std::size_t>(std::max(settings[i].length, 0));
    std::string got(texts[i], gotLength);
    int const number = settings[i].length == 0 ? fallback : ProfileSettingNumber(got);
    if (settings[i].length < 0 || settings[i].length >= size || std::string(texts[i]) != got ||
        number != want) {
      return std::string("one pass, setting \"") + keys[i] + "\": \"" + got + "\" (" +
             std::to_string(settings[i].length) + ") reads " + std::to_string(number) +
             " instead of " + std::to_string(want);
    }
  }
  return "";
}
