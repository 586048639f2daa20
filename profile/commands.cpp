// Builds the CommandRecord list from the "commands" section of pimbo.ini, makes, links and
// frees single records, and releases the list.
#include "commands.h"

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "profile.h"

namespace {

// A text given by its length; a null text stands for a field that stays null.
struct TextSpan {
  const char* text;
  std::size_t length;
};

TextSpan SpanOf(const char* text) { return TextSpan{text, text ? std::strlen(text) : 0}; }

// A PlatformAlloc copy of span, or null for a null span or when the allocation fails (*failed
// then says so).
char* CopyText(TextSpan span, bool* failed) {
  if (!span.text) return nullptr;
  char* copy = static_cast<char*>(PlatformAlloc(span.length + 1));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  if (span.length != 0) std::memcpy(copy, span.text, span.length);
  copy[span.length] = '\0';
  return copy;
}

CommandRecord* BuildRecord(TextSpan name, TextSpan key, std::int32_t type, TextSpan exe,
                           TextSpan file) {
  auto* record = static_cast<CommandRecord*>(PlatformAlloc(sizeof(CommandRecord)));
  if (!record) return nullptr;
  *record = CommandRecord{};
  bool failed = false;
  record->name = CopyText(name, &failed);
  record->key = CopyText(key, &failed);
  record->type = type;
  record->exe = CopyText(exe, &failed);
  record->file = CopyText(file, &failed);
  if (failed) {
    FreeCommandRecord(record);
    return nullptr;
  }
  return record;
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
}

void FreeCommandList(CommandList* list) {
  if (!list) return;
  CommandRecord* record = list->head;
  while (record) {
    CommandRecord* next = record->next;
    FreeCommandRecord(record);
    record = next;
  }
  list->head = nullptr;
  list->tail = nullptr;
  list->count = 0;
}

CommandRecord* NewCommandRecord(const char* name, const char* key, std::int32_t type,
                                const char* exe, const char* file) {
  return BuildRecord(SpanOf(name), SpanOf(key), type, SpanOf(exe), SpanOf(file));
}

void FreeCommandRecord(CommandRecord* record) {
  if (!record) return;
  PlatformFree(record->name);
  PlatformFree(record->key);
  PlatformFree(record->exe);
  PlatformFree(record->file);
  PlatformFree(record);
}

void LinkCommandRecords(CommandRecord* const* records, int count, CommandList* list) {
  if (!list) return;
  *list = CommandList{};
  for (int i = 0; i < count; ++i) {
    CommandRecord* record = records[i];
    record->prev = list->tail;
    record->next = nullptr;
    if (list->tail)
      list->tail->next = record;
    else
      list->head = record;
    list->tail = record;
  }
  list->count = count > 0 ? count : 0;
}
