// Builds the CommandRecord list from the "commands" section of pimbo.ini and releases it.
#include "commands.h"

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "profile.h"

namespace {

// A PlatformAlloc copy of text, or null when it is empty and emptyAsNull is set, or when the
// allocation fails (*failed then says so).
char* CopyText(const char* text, int length, bool emptyAsNull, bool* failed) {
  if (length == 0 && emptyAsNull) return nullptr;
  char* copy = static_cast<char*>(PlatformAlloc(static_cast<std::size_t>(length) + 1));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  std::memcpy(copy, text, static_cast<std::size_t>(length));
  copy[length] = '\0';
  return copy;
}

void FreeRecord(CommandRecord* record) {
  PlatformFree(record->name);
  PlatformFree(record->key);
  PlatformFree(record->exe);
  PlatformFree(record->file);
  PlatformFree(record);
}

// Reads the text of key stem+index into buffer (limit bytes and a NUL); returns its length.
int ReadText(const char* stem, int index, char* buffer, int limit) {
  char keyName[64];
  std::snprintf(keyName, sizeof keyName, "%s%d", stem, index);
  return ProfileGetString(COMMANDS_SECTION, keyName, "", buffer, limit + 1, nullptr);
}

// Reads command index into a new record; null when memory runs out.
CommandRecord* ReadCommand(int index, CommandReader reader) {
  const bool launcher = reader == CommandReader::Launcher;
  const int fileLimit = launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR;
  char name[COMMAND_NAME_LIMIT + 1];
  char key[COMMAND_KEY_LIMIT + 1];
  char exe[COMMAND_EXE_LIMIT + 1];
  char file[COMMAND_FILE_LIMIT_EDITOR + 1];
  int nameLength = ReadText(STEM_COMMAND_NAME, index, name, COMMAND_NAME_LIMIT);
  int keyLength = ReadText(STEM_COMMAND_KEY, index, key, COMMAND_KEY_LIMIT);
  int exeLength = ReadText(STEM_COMMAND_EXE, index, exe, COMMAND_EXE_LIMIT);
  int fileLength = ReadText(STEM_COMMAND_FILE, index, file, fileLimit);
  char typeKey[64];
  std::snprintf(typeKey, sizeof typeKey, "%s%d", STEM_COMMAND_TYPE, index);
  int type = ProfileGetInt(COMMANDS_SECTION, typeKey, 0, nullptr);

  auto* record = static_cast<CommandRecord*>(PlatformAlloc(sizeof(CommandRecord)));
  if (!record) return nullptr;
  *record = CommandRecord{};
  bool failed = false;
  record->name = CopyText(name, nameLength, false, &failed);
  record->key = CopyText(key, keyLength, false, &failed);
  record->type = type;
  record->exe = CopyText(exe, exeLength, launcher, &failed);
  record->file = CopyText(file, fileLength, launcher, &failed);
  if (failed) {
    FreeRecord(record);
    return nullptr;
  }
  return record;
}

}  // namespace

void LoadCommands(const char* iniPath, CommandList* list, CommandReader reader) {
  if (!list) return;
  ProfileLoad(iniPath);  // a missing file leaves no model: every read gives its default
  int count = ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr);
  if (count > COMMAND_COUNT_LIMIT) count = COMMAND_COUNT_LIMIT;
  for (int i = 0; i < count; ++i) {
    CommandRecord* record = ReadCommand(i, reader);
    // Out of memory: keep the commands read so far rather than a half-built record.
    if (!record) break;
    record->prev = list->tail;
    if (list->tail)
      list->tail->next = record;
    else
      list->head = record;
    list->tail = record;
    ++list->count;
  }
  ProfileFree();
}

void FreeCommandList(CommandList* list) {
  if (!list) return;
  CommandRecord* record = list->head;
  while (record) {
    CommandRecord* next = record->next;
    FreeRecord(record);
    record = next;
  }
  list->head = nullptr;
  list->tail = nullptr;
  list->count = 0;
}
