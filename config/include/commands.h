// The layout of pimbo.ini: section and key names, the settings' defaults, the command types
// and operation codes, and the CommandRecord list that both programs build from the file:
// its loading through the profile model (commands.cpp) and the life cycle of its records
// (command_records.cpp). The launcher's one pass is command_walk.h; saving, configuration.h.
#pragma once

#include <cstdint>

// Sections and keys.
inline constexpr char SETTINGS_SECTION[] = "settings";
inline constexpr char COMMANDS_SECTION[] = "commands";
inline constexpr char KEY_HOT_KEY[] = "hot key";
inline constexpr char KEY_FG_COLOR[] = "FGColor";
inline constexpr char KEY_BG_COLOR[] = "BGColor";
inline constexpr char KEY_XPOINT[] = "XPOINT";
inline constexpr char KEY_YPOINT[] = "YPOINT";
inline constexpr char KEY_HIDE_TIME[] = "HIDE TIME";
inline constexpr char KEY_NO_TRAY[] = "NoTray";
inline constexpr char KEY_COMMAND_COUNT[] = "command count";
// Stems of the numbered command keys ("command name0", "command key0", ...).
inline constexpr char STEM_COMMAND_NAME[] = "command name";
inline constexpr char STEM_COMMAND_KEY[] = "command key";
inline constexpr char STEM_COMMAND_TYPE[] = "command type";
inline constexpr char STEM_COMMAND_EXE[] = "command exe";
inline constexpr char STEM_COMMAND_FILE[] = "command file";

// Defaults of the settings keys (the colours default to system colours, read at run time).
inline constexpr int DEFAULT_HOT_KEY = 305;  // 0x0131: MOD_ALT with the "1" key
inline constexpr int DEFAULT_POINT = -1;     // both -1: centred on the desktop
inline constexpr int DEFAULT_HIDE_TIME = 2;  // HIDE_AFTER_1S
inline constexpr int DEFAULT_NO_TRAY = 0;

// "HIDE TIME" values.
enum HideTime {
  HIDE_BEFORE = 0,
  HIDE_AFTER = 1,
  HIDE_AFTER_1S = 2,
  HIDE_AFTER_2S = 3,
  HIDE_AFTER_3S = 4,
};

// Command types ("command type").
enum CommandType {
  CMD_APP = 0,
  CMD_FOLDER = 1,
  CMD_EXIT_WINDOWS = 2,
  CMD_SCREENSAVER = 3,
  CMD_CONTROL = 4,
  CMD_EMPTY_RECYCLE_BIN = 5,
  CMD_DESKTOP_FOLDER = 6,
};

// Operation codes, stored as one decimal digit in "command exe".
enum FolderOperation { FOLDER_OPEN = 0, FOLDER_EXPLORE = 1 };
enum ExitWindowsOperation {
  EXITWIN_SHUTDOWN = 0,
  EXITWIN_REBOOT = 1,
  EXITWIN_LOGOFF = 2,
  EXITWIN_DIALOG = 3,
};
enum ControlOperation {
  CONTROL_SETTINGS = 0,
  CONTROL_EXIT = 1,
  CONTROL_RESTART = 2,
  CONTROL_FORCED_RESTART = 3,
};

// Longest texts kept when a command is read (bytes, without the terminating NUL).
inline constexpr int COMMAND_NAME_LIMIT = 255;
inline constexpr int COMMAND_KEY_LIMIT = 32;
inline constexpr int COMMAND_EXE_LIMIT = 255;
inline constexpr int COMMAND_FILE_LIMIT_LAUNCHER = 255;
inline constexpr int COMMAND_FILE_LIMIT_EDITOR = 1023;

// A hand-edited "command count" can claim any number; no real list comes near this, and it
// keeps a count of 2147483647 from making the programs loop for hours or exhaust memory.
inline constexpr int COMMAND_COUNT_LIMIT = 65536;

// One configured command. Records form a doubly linked list in file order; each record and
// each of its texts is a PlatformAlloc block (see CommandList for who owns the record). Records
// read from the file hold no null name or key; records the editor makes may hold null in any
// of the four texts, which every routine here takes as the empty text.
struct CommandRecord {
  CommandRecord* next;
  CommandRecord* prev;
  char* name;
  char* key;  // launch key
  std::int32_t type;
  char* exe;   // launcher: null when empty
  char* file;  // launcher: null when empty
};

// The records of a program, head to tail. Who owns them depends on the phase:
//   - Normally the list owns every record it links (FreeCommandList releases them).
//   - While the editor's settings dialog is open, each row of its list view owns the record it
//     shows (a replaced or deleted row frees its record, a new row holds a record the list never
//     saw), so the list's links are stale: nothing may walk or free the list in that time. At OK
//     and at Cancel the list is relinked from the rows (LinkCommandRecords) and owns them again.
//   - The launcher's list, which never changes after loading, may hold all its records in one
//     block (block set): then no record may be freed on its own.
struct CommandList {
  CommandRecord* head = nullptr;
  CommandRecord* tail = nullptr;
  int count = 0;
  void* block = nullptr;  // the one PlatformAlloc block of every record, or null
};

// How a program holds what it reads: the launcher keeps empty exe/file texts as null and cuts
// "command file" to 255 bytes; the editor never holds a null text and keeps 1023 bytes of it.
enum class CommandReader { Launcher, Editor };

// Builds *list (which must be empty) from the "commands" section of the file at iniPath.
// Validates nothing: missing keys give empty texts and type 0. A missing file gives no commands.
void LoadCommands(const char* iniPath, CommandList* list, CommandReader reader);

// The same from the profile model already loaded (ProfileLoad), which stays loaded: for a
// program that reads more of the file than its commands and so reads it only once. Without a
// model there are no commands.
void LoadCommandsFromProfile(CommandList* list, CommandReader reader);

// Releases every record of *list and its texts (its block, or each record from the head);
// leaves *list empty.
void FreeCommandList(CommandList* list);

// A new record with copies of the texts (a null text stays null), links cleared; null when
// memory runs out. The texts live in the record's own block: change a record by making a new
// one, never by writing into or replacing its texts.
CommandRecord* NewCommandRecord(const char* name, const char* key, std::int32_t type,
                                const char* exe, const char* file);

// Frees the record with its texts; null is ignored.
void FreeCommandRecord(CommandRecord* record);

// Links record at the tail of *list (its next link cleared) and counts it; allocates nothing.
void AppendCommandRecord(CommandList* list, CommandRecord* record);

// Makes *list hold records[0..count) in array order: head, tail, prev, next and count set,
// nothing allocated or freed (count 0 gives an empty list).
void LinkCommandRecords(CommandRecord* const* records, int count, CommandList* list);
