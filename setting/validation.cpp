// The command edit dialog's checks on OK: name and launch key, launch-key conflicts with the
// list, and the operands that each command type stores (its checks in command_types.h).
#include "validation.h"

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "shared.h"
#include "texts.h"

namespace {

// Longest application, file or folder text the edit dialog stores.
constexpr std::size_t OPERAND_LIMIT = VALID_OPERAND_SIZE - 1;

// A message with one text put in. The text is cut on a character boundary to the longest
// path, so that every message fits whole with its line end.
constexpr std::size_t MESSAGE_SIZE = 512;
constexpr std::size_t INSERT_LIMIT = PATH_BUFFER_SIZE - 1;
static_assert(sizeof KEY_MAKES_OTHER_UNUSABLE_FORMAT + INSERT_LIMIT <= MESSAGE_SIZE);
static_assert(sizeof KEY_UNUSABLE_BECAUSE_FORMAT + INSERT_LIMIT <= MESSAGE_SIZE);
static_assert(sizeof KEY_DUPLICATE_FORMAT + INSERT_LIMIT <= MESSAGE_SIZE);
static_assert(sizeof NOT_A_FOLDER_FORMAT + INSERT_LIMIT <= MESSAGE_SIZE);

bool Refuse(ValidationPrompts& prompts, const char* text,
            ValidationBox box = ValidationBox::Error) {
  prompts.Fail(box, text);
  return false;
}

void FormatWithText(char (&message)[MESSAGE_SIZE], const char* format, const char* value) {
  char inserted[INSERT_LIMIT + 1];
  std::size_t length = CharBoundaryLength(value, INSERT_LIMIT);
  std::memcpy(inserted, value, length);
  inserted[length] = '\0';
  std::snprintf(message, sizeof message, format, inserted);
}

// Copies at most limit bytes of what the dialog read from field into out (limit + 1 bytes).
void ReadField(const FieldText& field, char* out, std::size_t limit) {
  std::size_t length = 0;
  if (field.text != nullptr) {
    while (length < limit && field.text[length] != '\0') {
      ++length;
    }
    std::memcpy(out, field.text, length);
  }
  out[length] = '\0';
}

// True when text holds a byte below 0x20. No byte of a double-byte character is that low, so
// a byte scan finds exactly the control characters.
bool HasControlCharacter(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) < 0x20) {
      return true;
    }
  }
  return false;
}

// The length check of a field, then its text into out, then the control-character check.
// A CR or LF would split the line of pimbo.ini that stores the text, and no field of the
// dialog shows a TAB or another control byte; checked here, right after the length, a field
// that is too long keeps its own message and no later check ever sees such a text.
bool ReadCheckedField(const FieldText& field, std::size_t limit, const char* tooLongText,
                      char* out, ValidationPrompts& prompts) {
  if (field.length > limit) {
    return Refuse(prompts, tooLongText);
  }
  ReadField(field, out, limit);
  if (HasControlCharacter(out)) {
    return Refuse(prompts, CONTROL_CHARACTER_TEXT);
  }
  return true;
}

// How a stored launch key stands to the new one.
enum class KeyRelation {
  Unrelated,
  Equal,
  StoredLonger,   // the new key is a proper prefix of the stored one
  StoredShorter,  // the stored key is a proper prefix of the new one
};

// One pass over the common start, never further than the new key's end.
KeyRelation RelateKeys(const char* key, const char* stored) {
  std::size_t i = 0;
  while (key[i] != '\0' && key[i] == stored[i]) {
    ++i;
  }
  if (key[i] == '\0') {
    return stored[i] == '\0' ? KeyRelation::Equal : KeyRelation::StoredLonger;
  }
  return stored[i] == '\0' ? KeyRelation::StoredShorter : KeyRelation::Unrelated;
}

// The launcher runs a command as soon as the typed text equals its key, so of two keys one
// of which begins the other, the longer one can never be typed to its end: warn about each
// such pair and refuse an equal key. oldKey is the changed command's own key (empty for a new
// command), which neither collides nor warns. One pass over the list, nothing allocated.
bool CheckKeyConflicts(const char* key, const char* oldKey,
                       std::span<const char* const> listKeys, ValidationPrompts& prompts) {
  char message[MESSAGE_SIZE];
  for (const char* stored : listKeys) {
    // An empty key (only a hand-edited file has one) never equals typed text, so it makes
    // no key unusable and no key makes it so.
    if (stored == nullptr || stored[0] == '\0') {
      continue;
    }
    KeyRelation relation = RelateKeys(key, stored);
    if (relation == KeyRelation::Unrelated) {
      continue;
    }
    bool ownKey = std::strcmp(stored, oldKey) == 0;
    if (relation == KeyRelation::Equal) {
      if (ownKey) {
        continue;
      }
      FormatWithText(message, KEY_DUPLICATE_FORMAT, key);
      return Refuse(prompts, message);
    }
    if (ownKey) {
      continue;
    }
    FormatWithText(message,
                  relation == KeyRelation::StoredLonger ? KEY_MAKES_OTHER_UNUSABLE_FORMAT
                                                        : KEY_UNUSABLE_BECAUSE_FORMAT,
                  stored);
    if (!prompts.Warn(message)) {
      return false;
    }
  }
  return true;
}

// The chosen sub-operation as the exe value. An index outside the type's list would store a
// code that the launcher ignores, so it counts as no choice.
bool WriteOperation(const CommandTypeInfo& type, const CommandFields& fields,
                    ValidationPrompts& prompts, ValidatedCommand* out) {
  if (fields.operation < 0 ||
      static_cast<std::size_t>(fields.operation) >= type.operations.size()) {
    return Refuse(prompts, CHOOSE_FROM_LIST_TEXT);
  }
  std::snprintf(out->exe, sizeof out->exe, OPERATION_CODE_FORMAT, fields.operation);
  return true;
}

// Folder length, control characters and presence, for the folder to open and the desktop
// folder's name alike.
bool ReadFolderField(const FieldText& field, ValidationPrompts& prompts, char* out) {
  if (!ReadCheckedField(field, OPERAND_LIMIT, FOLDER_TOO_LONG_TEXT, out, prompts)) {
    return false;
  }
  return out[0] != '\0' || Refuse(prompts, FOLDER_MISSING_TEXT);
}

// Looks the folder up in its expanded form (as typed when the expansion fails) and lets the
// user keep a folder that is not there now.
bool CheckFolderExists(const char* folder, ValidationPrompts& prompts) {
  char expanded[PATH_BUFFER_SIZE];
  const char* path = ExpandPath(folder, expanded, sizeof expanded) ? expanded : folder;
  if (prompts.FolderExists(path)) {
    return true;
  }
  char message[MESSAGE_SIZE];
  FormatWithText(message, NOT_A_FOLDER_FORMAT, path);
  return prompts.Warn(message);
}

// CHECK_PROGRAM_OR_FILE: the program and the file or parameters, one of them at least.
bool ReadProgramOrFile(const CommandFields& fields, ValidationPrompts& prompts,
                       ValidatedCommand* out) {
  return ReadCheckedField(fields.application, OPERAND_LIMIT, APPLICATION_TOO_LONG_TEXT,
                          out->exe, prompts) &&
         ReadCheckedField(fields.file, OPERAND_LIMIT, FILE_TOO_LONG_TEXT, out->file, prompts) &&
         (out->exe[0] != '\0' || out->file[0] != '\0' ||
          Refuse(prompts, APPLICATION_OR_FILE_MISSING_TEXT));
}

// CHECK_FOLDER_TO_OPEN: the folder in the file field.
bool ReadFolderToOpen(const CommandFields& fields, ValidationPrompts& prompts,
                      ValidatedCommand* out) {
  return ReadFolderField(fields.file, prompts, out->file) &&
         CheckFolderExists(out->file, prompts);
}

// CHECK_NEW_FOLDER_NAME: the desktop folder's name, edited in the application field and stored
// as the file.
bool ReadNewFolderName(const CommandFields& fields, ValidationPrompts& prompts,
                       ValidatedCommand* out) {
  if (!ReadFolderField(fields.application, prompts, out->file)) {
    return false;
  }
  if (FindForbiddenFolderChar(out->file) != nullptr) {
    return Refuse(prompts, FOLDER_NAME_CHARACTERS_TEXT, ValidationBox::CharacterError);
  }
  return true;
}

}  // namespace

// Only the fields that the type's checks name are checked and read: the others are hidden and
// whatever they hold is dropped.
bool CheckOperands(const CommandTypeInfo& type, const CommandFields& fields,
                   ValidationPrompts& prompts, ValidatedCommand* out) {
  unsigned const checks = type.checks;
  return (!(checks & CHECK_OPERATION) || WriteOperation(type, fields, prompts, out)) &&
         (!(checks & CHECK_PROGRAM_OR_FILE) || ReadProgramOrFile(fields, prompts, out)) &&
         (!(checks & CHECK_FOLDER_TO_OPEN) || ReadFolderToOpen(fields, prompts, out)) &&
         (!(checks & CHECK_NEW_FOLDER_NAME) || ReadNewFolderName(fields, prompts, out));
}

bool ValidateCommand(const CommandFields& fields, std::span<const char* const> listKeys,
                     ValidationPrompts& prompts, ValidatedCommand* out) {
  out->exe[0] = '\0';
  out->file[0] = '\0';
  out->type = fields.type;
  if (!ReadCheckedField(fields.name, COMMAND_NAME_LIMIT, NAME_TOO_LONG_TEXT, out->name,
                        prompts)) {
    return false;
  }
  if (out->name[0] == '\0') {
    return Refuse(prompts, NAME_MISSING_TEXT);
  }
  if (!ReadCheckedField(fields.key, COMMAND_KEY_LIMIT, KEY_TOO_LONG_TEXT, out->key, prompts)) {
    return false;
  }
  if (out->key[0] == '\0') {
    return Refuse(prompts, KEY_MISSING_TEXT);
  }
  // The launcher matches typed single-byte characters; single-byte katakana pass.
  for (const char* p = out->key; *p != '\0'; ++p) {
    if (PlatformIsLeadByte(static_cast<unsigned char>(*p))) {
      return Refuse(prompts, KEY_FULL_WIDTH_TEXT);
    }
  }
  // Only a command being changed has an old key of its own.
  const char* oldKey = fields.isModify && fields.oldKey != nullptr ? fields.oldKey : "";
  if (!CheckKeyConflicts(out->key, oldKey, listKeys, prompts)) {
    return false;
  }
  const CommandTypeInfo* type = CommandTypeOf(fields.type);
  if (type == nullptr) {
    // No type chosen: a record of it would do nothing when run.
    return Refuse(prompts, CHOOSE_FROM_LIST_TEXT);
  }
  return CheckOperands(*type, fields, prompts, out);
}
