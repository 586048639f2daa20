// Everything the settings editor knows about each command type, in one entry per type: the
// label, the sub-operations, what the edit dialog shows for it, the row's icon and the checks
// on OK. The edit dialog, the command list and the checks all read this table, so a new type
// is one new entry. Window-free: builds and is tested on the host.
#pragma once

#include <cstddef>
#include <span>

#include "commands.h"
#include "texts.h"

// How the edit dialog shows one of its two operand places (the application field 1010 with
// the first label 1020, the file field 1016 with the second label 1017) for a type.
struct OperandPlace {
  const char* label;  // the label's text; empty when the type has no operand there, which
                      // also disables the place's field and chooser button
  bool field;         // the edit field is shown
  bool button;        // its chooser button is shown
};

// What the chooser button of the file field opens.
enum class FileChooser { File, Folder };

// Where a row's icon comes from.
enum class RowIcon {
  Program,   // the program's (or else the document's) icon, from the shell
  Folder,    // the folder's icon, from the shell
  Launcher,  // pimbo.exe's icon
  Picture,   // an image of the type icons (bitmap 110), CommandTypeInfo::picture
};

// The checks of a type's operands on OK, as flags. They run in the order of their values, after
// the name and launch-key checks; a type without any stores no operand.
enum OperandCheck : unsigned {
  CHECK_OPERATION = 1u << 0,         // a sub-operation of the list is chosen; its number is exe
  CHECK_PROGRAM_OR_FILE = 1u << 1,   // application field as exe, file field as file (lengths,
                                     // control characters), at least one of them given
  CHECK_FOLDER_TO_OPEN = 1u << 2,    // file field as file: a folder is given, and it exists
                                     // or the user keeps it anyway
  CHECK_NEW_FOLDER_NAME = 1u << 3,   // application field as file: a folder name is given and
                                     // holds none of the characters a folder name refuses
};

struct CommandTypeInfo {
  int type;                                // the CommandType this entry describes
  const char* label;                       // in the type list and the list's operation column
  std::span<const char* const> operations; // sub-operations by the number stored as exe
  // Switching to the type replaces the sub-operation list by its own (an empty one when it has
  // none); otherwise the list stays as it was, hidden.
  bool replacesOperations;
  OperandPlace first;                      // application field (the sub-operation list, when
                                           // the type has one, shows in its place)
  OperandPlace second;                     // file field
  bool applicationHoldsFile;               // the application field edits the record's file text
  FileChooser fileChooser;                 // what the file field's button opens
  bool acceptsDrops;                       // files may be dropped on the dialog
  RowIcon icon;
  int picture;                             // image of bitmap 110 for RowIcon::Picture, else -1
  unsigned checks;                         // OperandCheck flags
};

inline constexpr CommandTypeInfo COMMAND_TYPES[] = {
    {CMD_APP, APP_TYPE_TEXT, {}, false,
     {APPLICATION_LABEL, true, true}, {OPEN_FILE_LABEL, true, true},
     false, FileChooser::File, true, RowIcon::Program, -1, CHECK_PROGRAM_OR_FILE},
    {CMD_FOLDER, FOLDER_TYPE_TEXT, FOLDER_OPERATION_TEXTS, true,
     {OPEN_TYPE_LABEL, false, false}, {OPEN_FOLDER_LABEL, true, true},
     false, FileChooser::Folder, true, RowIcon::Folder, -1,
     CHECK_OPERATION | CHECK_FOLDER_TO_OPEN},
    {CMD_EXIT_WINDOWS, EXIT_WINDOWS_TYPE_TEXT, EXIT_OPERATION_TEXTS, true,
     {EXIT_METHOD_LABEL, false, false}, {NO_OPERAND_LABEL, false, false},
     false, FileChooser::File, false, RowIcon::Picture, 1, CHECK_OPERATION},
    {CMD_SCREENSAVER, SCREENSAVER_TYPE_TEXT, {}, false,
     {NO_OPERAND_LABEL, false, false}, {NO_OPERAND_LABEL, false, false},
     false, FileChooser::File, false, RowIcon::Picture, 2, 0},
    {CMD_CONTROL, CONTROL_TYPE_TEXT, CONTROL_OPERATION_TEXTS, true,
     {CONTROL_ACTION_LABEL, false, false}, {NO_OPERAND_LABEL, false, false},
     false, FileChooser::File, false, RowIcon::Launcher, -1, CHECK_OPERATION},
    {CMD_EMPTY_RECYCLE_BIN, EMPTY_RECYCLE_BIN_TYPE_TEXT, {}, true,
     {NO_OPERAND_LABEL, false, false}, {NO_OPERAND_LABEL, false, false},
     false, FileChooser::File, false, RowIcon::Picture, 0, 0},
    // The new folder's name is typed in the application field and stored as the file text.
    {CMD_DESKTOP_FOLDER, DESKTOP_FOLDER_TYPE_TEXT, {}, true,
     {FOLDER_NAME_LABEL, true, false}, {NO_OPERAND_LABEL, false, false},
     true, FileChooser::File, false, RowIcon::Picture, 3, CHECK_NEW_FOLDER_NAME},
};

inline constexpr int COMMAND_TYPE_COUNT = static_cast<int>(std::size(COMMAND_TYPES));

// The entry of a stored type number; null for a number no type has (a hand-edited file).
constexpr const CommandTypeInfo* CommandTypeOf(int type) {
  return type >= 0 && type < COMMAND_TYPE_COUNT ? &COMMAND_TYPES[type] : nullptr;
}

// The type combo and the stored numbers index the table by type.
static_assert([] {
  for (int i = 0; i < COMMAND_TYPE_COUNT; ++i) {
    if (COMMAND_TYPES[i].type != i) return false;
  }
  return COMMAND_TYPE_COUNT == CMD_DESKTOP_FOLDER + 1;
}());
