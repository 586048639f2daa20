// Builds the CommandRecord list from the "commands" section of pimbo.ini, makes, links and
// frees single records, and releases the list.
#include "commands.h"

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

// A record and its texts in one PlatformAlloc block, texts right behind the record: one heap
// call per command instead of five, which is most of what loading 10,000 commands costs under
// Wine's heap. FreeCommandRecord releases the block; nothing frees a text on its own.
CommandRecord* BuildRecord(TextSpan name, TextSpan key, std::int32_t type, TextSpan exe,
                           TextSpan file) {
  std::size_t size = sizeof(CommandRecord) + BlockBytes(name) + BlockBytes(key) +
                     BlockBytes(exe) + BlockBytes(file);
  auto* record = static_cast<CommandRecord*>(PlatformAlloc(size));
  if (!record) return nullptr;
  *record = CommandRecord{};
  char* at = reinterpret_cast<char*>(record + 1);
  record->name = PlaceText(name, &at);
  record->key = PlaceText(key, &at);
  record->type = type;
  record->exe = PlaceText(exe, &at);
  record->file = PlaceText(file, &at);
  return record;
}

// Writes stem and the decimal index into keyName (64 bytes); stems are short constants, so
// it always fits. Loading names five keys per command, too many for snprintf's parsing.
void KeyName(const char* stem, int index, char* keyName) {
  std::size_t length = std::strlen(stem);
  std::memcpy(keyName, stem, length);
  char digits[12];
  int n = 0;
  unsigned value = static_cast<unsigned>(index);  // indexes are never negative
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) keyName[length++] = digits[--n];
  keyName[length] = '\0';
}

// Reads the text of key stem+index into buffer (limit bytes and a NUL); returns its length.
int ReadText(const char* stem, int index, char* buffer, int limit) {
  char keyName[64];
  KeyName(stem, index, keyName);
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
  KeyName(STEM_COMMAND_TYPE, index, typeKey);
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

// ASCII upper-case letters to lower case, as key names are matched; the stems are lower case.
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

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

// Takes the first key line of each command field; later ones of the same name are shadowed,
// as a lookup would shadow them. Names match ignoring the case of ASCII letters.
void TakeCommandKey(void* context, const char* name, std::size_t nameLength, const char* value,
                    std::size_t valueLength) {
  auto* walk = static_cast<CommandWalk*>(context);
  for (int field = 0; field < FIELD_COUNT; ++field) {
    const char* stem = FIELD_STEMS[field];
    std::size_t stemLength = std::strlen(stem);
    if (nameLength <= stemLength) continue;
    std::size_t i = 0;
    while (i < stemLength && FoldAscii(name[i]) == stem[i]) ++i;
    if (i < stemLength) continue;
    int index = CommandIndex(name + stemLength, nameLength - stemLength, walk->count);
    if (index < 0) return;
    FieldValue& slot = walk->values[static_cast<std::size_t>(index) * FIELD_COUNT + field];
    if (!slot.seen) slot = FieldValue{value, static_cast<std::uint32_t>(valueLength), true};
    return;
  }
}

// The text a lookup with limit would give: the value cut to limit bytes, or empty.
TextSpan FieldText(FieldValue const& value, int limit) {
  if (!value.seen || !value.text) return TextSpan{"", 0};
  std::size_t length = value.length;
  if (length > static_cast<std::size_t>(limit)) length = static_cast<std::size_t>(limit);
  return TextSpan{value.text, length};
}

// Builds command index from what the walk found, as ReadCommand builds it from lookups.
CommandRecord* BuildWalkedCommand(CommandWalk const& walk, int index, CommandReader reader) {
  const bool launcher = reader == CommandReader::Launcher;
  const FieldValue* fields = walk.values + static_cast<std::size_t>(index) * FIELD_COUNT;
  TextSpan name = FieldText(fields[FIELD_NAME], COMMAND_NAME_LIMIT);
  TextSpan key = FieldText(fields[FIELD_KEY], COMMAND_KEY_LIMIT);
  TextSpan exe = FieldText(fields[FIELD_EXE], COMMAND_EXE_LIMIT);
  TextSpan file = FieldText(
      fields[FIELD_FILE], launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR);
  const FieldValue& type = fields[FIELD_TYPE];
  int typeValue = type.seen && type.text ? ProfileParseIntSpan(type.text, type.length) : 0;
  // The launcher holds an empty exe or file as null.
  if (launcher && exe.length == 0) exe.text = nullptr;
  if (launcher && file.length == 0) file.text = nullptr;
  return BuildRecord(name, key, typeValue, exe, file);
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
  for (int i = 0; i < count; ++i) {
    CommandRecord* record =
        walk.values ? BuildWalkedCommand(walk, i, reader) : ReadCommand(i, reader);
    // Out of memory: keep the commands read so far rather than a half-built record.
    if (!record) break;
    AppendRecord(list, record);
  }
  PlatformFreeScratch(walk.values);
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
