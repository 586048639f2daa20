// The checks that the command edit dialog runs on OK, without a window: it hands in what its
// fields hold, answers the boxes through ValidationPrompts, and gets back the record's values.
#pragma once

#include <cstddef>
#include <span>

#include "command_types.h"
#include "commands.h"

// The text of one edit field: text is what the dialog read (at most the field's limit is used;
// null is empty) and length is the field's whole length (GetWindowTextLengthA), which the
// length checks use, so that a field longer than its buffer is refused rather than cut.
struct FieldText {
  const char* text;
  std::size_t length;
};

// Everything the checks read from the command edit dialog.
struct CommandFields {
  FieldText name;
  FieldText key;
  FieldText application;  // application field: program path, or the desktop folder's name
  FieldText file;         // file field: file or parameters, or the folder to open
  int type;               // type combo selection: a CommandType, -1 when nothing is chosen
  int operation;          // sub-operation combo selection, -1 when nothing is chosen
  bool isModify;          // an existing command is being changed
  const char* oldKey;     // launch key of that command (null or empty for a new one)
};

// Buffer sizes of the values: each limit and a terminating zero.
inline constexpr std::size_t VALID_NAME_SIZE = COMMAND_NAME_LIMIT + 1;
inline constexpr std::size_t VALID_KEY_SIZE = COMMAND_KEY_LIMIT + 1;
inline constexpr std::size_t VALID_OPERAND_SIZE = 256;

// The values of the new command record after every check passed. An empty text is reported
// as empty; the dialog stores null for an empty name, exe or file.
struct ValidatedCommand {
  char name[VALID_NAME_SIZE];
  char key[VALID_KEY_SIZE];
  int type;
  char exe[VALID_OPERAND_SIZE];
  char file[VALID_OPERAND_SIZE];
};

// The box a failed check shows; every one has the single OK button and is owned by the
// command edit dialog.
enum class ValidationBox {
  Error,           // COMMAND_ERROR_CAPTION, MB_ICONWARNING | MB_OK
  CharacterError,  // COMMAND_CHARACTER_ERROR_CAPTION, MB_ICONERROR | MB_OK
};

// What the checks need from the dialog while they run: its message boxes and the file system.
class ValidationPrompts {
 public:
  // Shows a warning (COMMAND_WARNING_CAPTION, MB_ICONWARNING | MB_OKCANCEL); true for IDOK,
  // which lets the checks go on.
  virtual bool Warn(const char* text) = 0;
  // Shows why the checks failed; they end after it.
  virtual void Fail(ValidationBox box, const char* text) = 0;
  // True when path names an existing directory (GetFileAttributesA and
  // FILE_ATTRIBUTE_DIRECTORY on Windows).
  virtual bool FolderExists(const char* path) = 0;

 protected:
  ~ValidationPrompts() = default;
};

// Runs the checks on fields in their fixed order, against listKeys (the launch keys of the
// command list view's rows in list order; a null key is empty), and stops at the first
// failure after prompts has shown it. Changes no field and allocates nothing. True, with
// *out filled, when the command may be stored; false (and *out unspecified) otherwise.
bool ValidateCommand(const CommandFields& fields, std::span<const char* const> listKeys,
                     ValidationPrompts& prompts, ValidatedCommand* out);
// The operand checks of type (its OperandCheck flags, in their order) on fields, with the
// values they store written into out->exe and out->file. ValidateCommand runs them with the
// entry of the chosen type after the name and launch-key checks.
bool CheckOperands(const CommandTypeInfo& type, const CommandFields& fields,
                   ValidationPrompts& prompts, ValidatedCommand* out);
