// Builds the CommandRecord list from the "commands" section of pimbo.ini, makes, links and
// frees single records, and releases the list.
#include "commands.h"

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "profile.h"
#include "profile_model.h"  // ProfileFoldByte: key names match as the model matches them

namespace {

// A text given by its length; a null text stands for a field that stays null.
struct TextSpan {
  const char* text;
  std::size_t length;
};

TextSpan SpanOf(const char* text) { return TextSpan{text, text ? std::strlen(text) : 0}; }

// Bytes that span takes in a record's block: its text and a NUL, or none for a null span.
std::size_t BlockBytes(TextSpan span) { return span.text ? span.length + 1 : 0; }

// Copies span to *at and moves *at past it; null for a null span.
char* PlaceText(TextSpan span, char** at) {
  if (!span.text) return nullptr;
  char* copy = *at;
  if (span.length != 0) std::memcpy(copy, span.text, span.length);
  copy[span.length] = '\0';
  *at += span.length + 1;
  return copy;
}

// Bytes of a record with its texts behind it, rounded up so that the next record placed after
// it in a shared block is aligned.
std::size_t RecordBytes(TextSpan name, TextSpan key, TextSpan exe, TextSpan file) {
  std::size_t size = sizeof(CommandRecord) + BlockBytes(name) + BlockBytes(key) +
                     BlockBytes(exe) + BlockBytes(file);
  return (size + alignof(CommandRecord) - 1) / alignof(CommandRecord) * alignof(CommandRecord);
}

// Fills the record at memory (RecordBytes long) and its texts.
CommandRecord* PlaceRecord(void* memory, TextSpan name, TextSpan key, std::int32_t type,
                           TextSpan exe, TextSpan file) {
  auto* record = static_cast<CommandRecord*>(memory);
  *record = CommandRecord{};
  char* at = reinterpret_cast<char*>(record + 1);
  record->name = PlaceText(name, &at);
  record->key = PlaceText(key, &at);
  record->type = type;
  record->exe = PlaceText(exe, &at);
  record->file = PlaceText(file, &at);
  return record;
}

// A record and its texts in one PlatformAlloc block, texts right behind the record: one heap
// call per command instead of five, which is most of what loading 10,000 commands costs under
// Wine's heap. FreeCommandRecord releases the block; nothing frees a text on its own.
CommandRecord* BuildRecord(TextSpan name, TextSpan key, std::int32_t type, TextSpan exe,
                           TextSpan file) {
  void* memory = PlatformAlloc(RecordBytes(name, key, exe, file));
  return memory ? PlaceRecord(memory, name, key, type, exe, file) : nullptr;
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

// --- Reading every command in one walk over the section ---------------------------------

// The numbered keys of one command, in the order of FIELD_STEMS.
enum CommandField { FIELD_NAME, FIELD_KEY, FIELD_TYPE, FIELD_EXE, FIELD_FILE, FIELD_COUNT };
const char* const FIELD_STEMS[FIELD_COUNT] = {STEM_COMMAND_NAME, STEM_COMMAND_KEY,
                                              STEM_COMMAND_TYPE, STEM_COMMAND_EXE,
                                              STEM_COMMAND_FILE};

// What the first key of one name held: seen false when there is no such key; text null for
// a key without a value. Both read as the key's default, as a lookup gives it.
struct FieldValue {
  const char* text;
  std::uint32_t length;
  bool seen;
};

struct CommandWalk {
  FieldValue* values;  // count * FIELD_COUNT, command by command
  int count;
};

// The command index that the digits stand for, or -1 unless they are the plain decimal form
// that a lookup's key name would have (no sign, no leading zero) and below count.
int CommandIndex(const char* digits, std::size_t length, int count) {
  if (length == 0 || length > 5 || (digits[0] == '0' && length > 1)) return -1;
  int index = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return -1;
    index = index * 10 + (digits[i] - '0');
  }
  return index < count ? index : -1;
}

// The field whose stem name starts with (ignoring the case of ASCII letters; the stems are
// lower case), or FIELD_COUNT;
// *stemLength receives the stem's length. Every stem is "command " and a word whose first
// letter tells it, so one comparison of the shared part and one of the word decide.
int FieldOf(const char* name, std::size_t nameLength, std::size_t* stemLength) {
  static const char SHARED[] = "command ";
  const std::size_t shared = sizeof SHARED - 1;
  if (nameLength <= shared + 1) return FIELD_COUNT;
  for (std::size_t i = 0; i < shared; ++i)
    if (ProfileFoldByte(name[i]) != SHARED[i]) return FIELD_COUNT;
  for (int field = 0; field < FIELD_COUNT; ++field) {
    const char* stem = FIELD_STEMS[field];
    if (ProfileFoldByte(name[shared]) != stem[shared]) continue;
    std::size_t i = shared + 1;
    while (stem[i] != '\0' && i < nameLength && ProfileFoldByte(name[i]) == stem[i]) ++i;
    if (stem[i] != '\0') return FIELD_COUNT;
    *stemLength = i;
    return field;
  }
  return FIELD_COUNT;
}

// Takes the first key line of each command field; later ones of the same name are shadowed,
// as a lookup would shadow them. Names match ignoring the case of ASCII letters.
void TakeCommandKey(void* context, const char* name, std::size_t nameLength, const char* value,
                    std::size_t valueLength) {
  auto* walk = static_cast<CommandWalk*>(context);
  std::size_t stemLength = 0;
  int field = FieldOf(name, nameLength, &stemLength);
  if (field == FIELD_COUNT) return;
  int index = CommandIndex(name + stemLength, nameLength - stemLength, walk->count);
  if (index < 0) return;
  FieldValue& slot = walk->values[static_cast<std::size_t>(index) * FIELD_COUNT + field];
  if (!slot.seen) slot = FieldValue{value, static_cast<std::uint32_t>(valueLength), true};
}

// The text a lookup with limit would give: the value cut to limit bytes, or empty.
TextSpan FieldText(FieldValue const& value, int limit) {
  if (!value.seen || !value.text) return TextSpan{"", 0};
  std::size_t length = value.length;
  if (length > static_cast<std::size_t>(limit)) length = static_cast<std::size_t>(limit);
  return TextSpan{value.text, length};
}

// The texts and type of command index as the walk found them, by ReadCommand's rules.
struct WalkedCommand {
  TextSpan name, key, exe, file;
  int type;
};

WalkedCommand WalkedFields(CommandWalk const& walk, int index, CommandReader reader) {
  const bool launcher = reader == CommandReader::Launcher;
  const FieldValue* fields = walk.values + static_cast<std::size_t>(index) * FIELD_COUNT;
  WalkedCommand command{
      FieldText(fields[FIELD_NAME], COMMAND_NAME_LIMIT),
      FieldText(fields[FIELD_KEY], COMMAND_KEY_LIMIT),
      FieldText(fields[FIELD_EXE], COMMAND_EXE_LIMIT),
      FieldText(fields[FIELD_FILE],
                launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR),
      0};
  const FieldValue& type = fields[FIELD_TYPE];
  if (type.seen && type.text) command.type = ProfileParseIntSpan(type.text, type.length);
  // The launcher holds an empty exe or file as null.
  if (launcher && command.exe.length == 0) command.exe.text = nullptr;
  if (launcher && command.file.length == 0) command.file.text = nullptr;
  return command;
}

void AppendRecord(CommandList* list, CommandRecord* record) {
  record->prev = list->tail;
  if (list->tail)
    list->tail->next = record;
  else
    list->head = record;
  list->tail = record;
  ++list->count;
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
  if (count <= 0) return;
  // One walk over the commands section takes every command's keys; without the memory for
  // that, each key is looked up on its own, which gives the same records.
  std::size_t slots = static_cast<std::size_t>(count) * FIELD_COUNT;
  // Zero-filled: no field seen yet.
  CommandWalk walk{static_cast<FieldValue*>(PlatformAllocScratch(slots * sizeof(FieldValue))),
                   count};
  if (walk.values) ProfileForEachKey(COMMANDS_SECTION, TakeCommandKey, &walk);
  // The launcher never frees a record on its own: all of them go into one block (when the
  // list starts empty, so that the block holds the whole list).
  if (walk.values && reader == CommandReader::Launcher && !list->head && !list->block) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
      WalkedCommand c = WalkedFields(walk, i, reader);
      total += RecordBytes(c.name, c.key, c.exe, c.file);
    }
    list->block = PlatformAlloc(total);
    char* at = static_cast<char*>(list->block);
    for (int i = 0; at && i < count; ++i) {
      WalkedCommand c = WalkedFields(walk, i, reader);
      AppendRecord(list, PlaceRecord(at, c.name, c.key, c.type, c.exe, c.file));
      at += RecordBytes(c.name, c.key, c.exe, c.file);
    }
  }
  // Otherwise (and when no block could be had) a block per record.
  for (int i = list->block ? count : 0; i < count; ++i) {
    CommandRecord* record = nullptr;
    if (walk.values) {
      WalkedCommand c = WalkedFields(walk, i, reader);
      record = BuildRecord(c.name, c.key, c.type, c.exe, c.file);
    } else {
      record = ReadCommand(i, reader);
    }
    // Out of memory: keep the commands read so far rather than a half-built record.
    if (!record) break;
    AppendRecord(list, record);
  }
  PlatformFreeScratch(walk.values);
}

void FreeCommandList(CommandList* list) {
  if (!list) return;
  CommandRecord* record = list->block ? nullptr : list->head;
  PlatformFree(list->block);
  list->block = nullptr;
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
  PlatformFree(record);  // its texts live in the same block
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
