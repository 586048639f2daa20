// Builds the CommandRecord list from the "commands" section of the loaded profile model: in
// one walk over the section's keys, or by a lookup per key when memory for the walk is short.
#include "commands.h"

#include <cstdio>

#include "command_walk_internal.h"
#include "platform.h"
#include "profile.h"

using namespace command_walk;

namespace {

// Reads the text of key stem+index into buffer (limit + 1 bytes and a NUL) as reader keeps it,
// at most limit bytes; returns its length. The byte past the limit tells a text that goes on
// from one that ends there.
int ReadText(const char* stem, int index, char* buffer, int limit, CommandReader reader) {
  char keyName[64];
  std::snprintf(keyName, sizeof keyName, "%s%d", stem, index);
  int const length = ProfileGetString(COMMANDS_SECTION, keyName, "", buffer, limit + 2, nullptr);
  std::size_t const kept =
      CommandTextCut(buffer, static_cast<std::size_t>(length), limit, reader);
  buffer[kept] = '\0';
  return static_cast<int>(kept);
}

// Reads command index into a new record; null when memory runs out.
CommandRecord* ReadCommand(int index, CommandReader reader) {
  const bool launcher = reader == CommandReader::Launcher;
  const int fileLimit = launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR;
  char name[COMMAND_NAME_LIMIT + 2];
  char key[COMMAND_KEY_LIMIT + 2];
  char exe[COMMAND_EXE_LIMIT + 2];
  char file[COMMAND_FILE_LIMIT_EDITOR + 2];
  int nameLength = ReadText(STEM_COMMAND_NAME, index, name, COMMAND_NAME_LIMIT, reader);
  int keyLength = ReadText(STEM_COMMAND_KEY, index, key, COMMAND_KEY_LIMIT, reader);
  int exeLength = ReadText(STEM_COMMAND_EXE, index, exe, COMMAND_EXE_LIMIT, reader);
  int fileLength = ReadText(STEM_COMMAND_FILE, index, file, fileLimit, reader);
  char typeKey[64];
  std::snprintf(typeKey, sizeof typeKey, "%s%d", STEM_COMMAND_TYPE, index);
  int type = ProfileGetInt(COMMANDS_SECTION, typeKey, 0, nullptr);

  // The launcher holds an empty exe or file as null.
  TextSpan exeSpan{launcher && exeLength == 0 ? nullptr : exe,
                   static_cast<std::size_t>(exeLength)};
  TextSpan fileSpan{launcher && fileLength == 0 ? nullptr : file,
                    static_cast<std::size_t>(fileLength)};
  return BuildRecord(TextSpan{name, static_cast<std::size_t>(nameLength)},
                     TextSpan{key, static_cast<std::size_t>(keyLength)}, type, exeSpan, fileSpan);
}

}  // namespace

void LoadCommands(const char* iniPath, CommandList* list, CommandReader reader) {
  if (!list) return;
  ProfileLoad(iniPath);  // a missing file leaves no model: every read gives its default
  LoadCommandsFromProfile(list, reader);
  ProfileFree();
}

void LoadCommandsFromProfile(CommandList* list, CommandReader reader) {
  if (!list) return;
  int count = CappedCount(ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr));
  if (count <= 0) return;
  // One walk over the commands section takes every command's keys; without the memory for
  // that, each key is looked up on its own, which gives the same records.
  std::size_t slots = static_cast<std::size_t>(count) * FIELD_COUNT;
  // Zero-filled: no field seen yet.
  CommandWalk walk{static_cast<FieldValue*>(PlatformAllocScratch(slots * sizeof(FieldValue))),
                   count};
  if (walk.values) {
    ProfileForEachKey(COMMANDS_SECTION, TakeCommandKey, &walk);
    ListFromWalk(walk, count, reader, list);
  } else {
    for (int i = 0; i < count; ++i) {
      CommandRecord* record = ReadCommand(i, reader);
      // Out of memory: keep the commands read so far rather than a half-built record.
      if (!record) break;
      AppendCommandRecord(list, record);
    }
  }
  PlatformFreeScratch(walk.values);
}
