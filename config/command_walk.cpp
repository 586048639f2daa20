// The command records with their texts in one block each, the walk over a section's keys
// that both readers of the commands build on, and the launcher's one pass over the file's text.
// Nothing here needs the profile model, so the launcher carries none.
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "command_walk.h"
#include "command_walk_internal.h"
#include "commands.h"
#include "platform.h"
#include "profile_text.h"  // the model's rules for lines, names and values
#include "setting_number.h"
#include "text_encoding.h"

using namespace command_walk;

namespace {

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

const char* const FIELD_STEMS[FIELD_COUNT] = {STEM_COMMAND_NAME, STEM_COMMAND_KEY,
                                              STEM_COMMAND_TYPE, STEM_COMMAND_EXE,
                                              STEM_COMMAND_FILE};

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
// lower case), or FIELD_COUNT; name is a stored name, which holds no NUL.
// *stemLength receives the stem's length. Every stem is "command " and a word whose first
// letter tells it, so one comparison of the shared part and one of the word decide.
int FieldOf(const char* name, std::size_t nameLength, std::size_t* stemLength) {
  static const char SHARED[] = "command ";
  const std::size_t shared = sizeof SHARED - 1;
  static_assert(sizeof SHARED - 1 == sizeof(std::uint64_t));
  if (nameLength <= shared + 1) return FIELD_COUNT;
  // The eight bytes at once, each with bit 0x20 set: that folds the letters, and of the other
  // bytes only NUL, which a stored name never holds, would pass for the blank.
  std::uint64_t word = 0;
  std::uint64_t sharedWord = 0;
  std::memcpy(&word, name, shared);
  std::memcpy(&sharedWord, SHARED, shared);
  if ((word | 0x2020202020202020u) != sharedWord) return FIELD_COUNT;
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

// The text a lookup with limit would give: the value cut to limit bytes, or empty.
TextSpan FieldText(FieldValue const& value, int limit, CommandReader reader) {
  if (!value.seen || !value.text) return TextSpan{"", 0};
  return TextSpan{value.text, CommandTextCut(value.text, value.length, limit, reader)};
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
      FieldText(fields[FIELD_NAME], COMMAND_NAME_LIMIT, reader),
      FieldText(fields[FIELD_KEY], COMMAND_KEY_LIMIT, reader),
      FieldText(fields[FIELD_EXE], COMMAND_EXE_LIMIT, reader),
      FieldText(fields[FIELD_FILE],
                launcher ? COMMAND_FILE_LIMIT_LAUNCHER : COMMAND_FILE_LIMIT_EDITOR, reader),
      0};
  const FieldValue& type = fields[FIELD_TYPE];
  if (type.seen && type.text) command.type = ProfileIntOf(type.text, type.length);
  // The launcher holds an empty exe or file as null.
  if (launcher && command.exe.length == 0) command.exe.text = nullptr;
  if (launcher && command.file.length == 0) command.file.text = nullptr;
  return command;
}

// --- The launcher's one pass over the file's text ----------------------------------------


// Takes from the lines of the file what the launcher looks up: the wanted keys of the first
// "settings" section and the command keys of the first "commands" section, each key's first
// line only, with the model's names, cuts and value treatment (the wanted settings keys' texts
// as the platform's profile reader treats them, as those are read as its numbers). A later section of the same
// name, like every other section, is one that no lookup reaches.
class LauncherSink {
 public:
  LauncherSink(SettingText* settings, int settingCount)
      : settings_(settings), settingCount_(settingCount) {}
  ~LauncherSink() { PlatformFreeScratch(walk_.values); }
  LauncherSink(LauncherSink const&) = delete;
  LauncherSink& operator=(LauncherSink const&) = delete;

  void Line(std::size_t) {}
  void Comment(const char*, std::size_t) {}
  // Lines that read as nothing, and the text after a NUL that starts a line: the launcher only
  // reads.
  void Unread(const char*, std::size_t) {}
  void Rest(const char*, std::size_t) {}

  void Header(const char* inside, std::size_t length) {
    // Blanks open a section that no lookup finds.
    current_ = Section::Other;
    std::string_view name = ProfileStoredName(inside, length);
    if (name.empty()) return;
    if (!settingsSeen_ && Is(name, SETTINGS_SECTION)) {
      settingsSeen_ = true;
      current_ = Section::Settings;
    } else if (!commandsSeen_ && Is(name, COMMANDS_SECTION)) {
      commandsSeen_ = true;
      current_ = Section::Commands;
    }
  }

  void Key(const char* name, std::size_t nameLength, const char* value, std::size_t valueLength,
           bool hasNul) {
    if (current_ == Section::Other) return;
    // Texts are cut at a NUL; most lines have none, and need no second look at their bytes.
    if (hasNul) {
      nameLength = ProfileFieldLength(name, nameLength);
      valueLength = ProfileFieldLength(value, valueLength);
    }
    std::string_view stored = ProfileTrimmedName(name, nameLength);
    if (stored.empty()) return;
    std::string_view const whole(value, valueLength);
    if (current_ == Section::Settings)
      TakeSetting(stored, whole);
    else
      TakeCommand(stored, ProfileTreatedValue(whole));
  }

  // Builds the commands found onto *list (empty) once every line has been seen.
  void Finish(CommandList* list) {
    int const count = CappedCount(count_);
    if (count <= 0) return;
    // Not one command key in the file: every command reads as empty.
    if (!walk_.values && !walkFailed_) Allocate(count);
    if (walk_.values) ListFromWalk(walk_, count, CommandReader::Launcher, list);
  }

 private:
  enum class Section { Other, Settings, Commands };

  static bool Is(std::string_view name, const char* wanted) {
    return ProfileNamesMatch(name, wanted, std::strlen(wanted));
  }

  // value: the key's value as it stands after "=", cut at a NUL.
  void TakeSetting(std::string_view name, std::string_view value) {
    if (!countSeen_ && Is(name, KEY_COMMAND_COUNT)) {
      countSeen_ = true;
      std::string_view const text = ProfileTreatedValue(value);
      count_ = ProfileIntOf(text.data(), text.size());
    }
    for (int i = 0; i < settingCount_; ++i) {
      SettingText& setting = settings_[i];
      if (setting.found || !setting.key || !Is(name, setting.key)) continue;
      setting.found = true;
      // The text the platform's profile reader would convert, so that the launcher's numbers
      // are the editor's (which reads them with the platform's reader).
      std::string_view const text = ProfileSettingText(value);
      setting.length = ProfileCopyOut(text.data(), text.size(), setting.buffer, setting.size);
    }
  }

  void TakeCommand(std::string_view name, std::string_view text) {
    if (!walk_.values) {
      if (walkFailed_) return;
      // A count read already is final (a lookup takes the first such key), so it bounds the
      // walk; before it is known, any command number under the cap may turn out to be wanted.
      // Scratch pages that no command reaches are never touched.
      int const bound = countSeen_ ? CappedCount(count_) : COMMAND_COUNT_LIMIT;
      if (bound <= 0) return;
      Allocate(bound);
      if (!walk_.values) return;
    }
    TakeCommandKey(&walk_, name.data(), name.size(), text.data(), text.size());
  }

  void Allocate(int count) {
    std::size_t const slots = static_cast<std::size_t>(count) * FIELD_COUNT;
    walk_.values = static_cast<FieldValue*>(PlatformAllocScratch(slots * sizeof(FieldValue)));
    walk_.count = walk_.values ? count : 0;
    walkFailed_ = !walk_.values;
  }

  SettingText* settings_;
  int settingCount_;
  Section current_ = Section::Other;
  bool settingsSeen_ = false;
  bool commandsSeen_ = false;
  bool countSeen_ = false;
  int count_ = 0;
  CommandWalk walk_{nullptr, 0};
  bool walkFailed_ = false;  // no memory for the walk: the launcher starts without commands
};

}  // namespace

CommandRecord* command_walk::BuildRecord(TextSpan name, TextSpan key, std::int32_t type,
                                         TextSpan exe, TextSpan file) {
  void* memory = PlatformAlloc(RecordBytes(name, key, exe, file));
  return memory ? PlaceRecord(memory, name, key, type, exe, file) : nullptr;
}

std::size_t command_walk::CommandTextCut(const char* text, std::size_t length, int limit,
                                        CommandReader reader) {
  std::size_t const most = static_cast<std::size_t>(limit);
  if (reader == CommandReader::Launcher) return length > most ? most : length;
  return ProfileTextCut(text, length, most);
}

int command_walk::CappedCount(int count) {
  return count > COMMAND_COUNT_LIMIT ? COMMAND_COUNT_LIMIT : count;
}

void command_walk::TakeCommandKey(void* context, const char* name, std::size_t nameLength, const char* value,
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

void command_walk::ListFromWalk(CommandWalk const& walk, int count, CommandReader reader,
                                CommandList* list) {
  if (reader == CommandReader::Launcher && !list->head && !list->block) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
      WalkedCommand c = WalkedFields(walk, i, reader);
      total += RecordBytes(c.name, c.key, c.exe, c.file);
    }
    list->block = PlatformAlloc(total);
    char* at = static_cast<char*>(list->block);
    for (int i = 0; at && i < count; ++i) {
      WalkedCommand c = WalkedFields(walk, i, reader);
      AppendCommandRecord(list, PlaceRecord(at, c.name, c.key, c.type, c.exe, c.file));
      at += RecordBytes(c.name, c.key, c.exe, c.file);
    }
  }
  for (int i = list->block ? count : 0; i < count; ++i) {
    WalkedCommand c = WalkedFields(walk, i, reader);
    CommandRecord* record = BuildRecord(c.name, c.key, c.type, c.exe, c.file);
    // Out of memory: keep the commands read so far rather than a half-built record.
    if (!record) break;
    AppendCommandRecord(list, record);
  }
}

void LoadLauncherProfileFromText(std::string_view bytes, SettingText* settings, int settingCount,
                                 CommandList* list) {
  for (int i = 0; i < settingCount; ++i) {
    settings[i].found = false;
    settings[i].length = 0;
    if (settings[i].buffer && settings[i].size > 0) settings[i].buffer[0] = '\0';
  }
  // A code page 932 file is read where it lies; any other is converted once, and the walk's
  // values point into the converted text, which lives until the records are built.
  ProfileFileText decoded;
  std::string_view text = bytes;
  ProfileEncoding const encoding = DetectProfileEncoding(bytes);
  if (encoding != ProfileEncoding::Cp932) {
    try {
      DecodeUnicodeFile(bytes, encoding, &decoded);
    } catch (const std::bad_alloc&) {
      return;  // no memory to convert the file: it reads as an empty one
    }
    text = decoded.text;
  }
  LauncherSink sink(settings, settingCount);
  ProfileScanLines(text.data(), text.size(), sink);
  if (list) sink.Finish(list);
}

void LoadLauncherProfile(const char* iniPath, SettingText* settings, int settingCount,
                         CommandList* list) {
  std::string text;
  // A missing or unreadable file reads as an empty one; so does one without the memory.
  if (iniPath) PlatformReadFile(iniPath, &text);
  LoadLauncherProfileFromText(text, settings, settingCount, list);
}
