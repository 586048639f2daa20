// The rules of filling the command edit dialog from a drop that need no window: which field a
// dropped item goes to, and when a resolved shortcut may be replaced by its target. Builds and
// is tested on the host.
#pragma once

#include <cstddef>

// Where a dropped item goes.
enum class DropField {
  File,               // the file field; asks first when the field holds text
  Application,        // the application field; asks first when the field holds text
  FileAskingAlways,   // a folder on a program command: the file field, always after a question
};

// The field for an item dropped while the type combo shows type: for a program command a
// folder goes to the file field after a question, a program (extension .exe or .com in any
// case, of the last path component) to the application field, anything else to the file field;
// for the other types (only the folder command takes drops) the file field.
DropField ChooseDropField(int type, bool isDirectory, const char* path);

// The text a dropped or chosen path puts into the file field. On a program command whose
// application field holds a program (programGiven) the file field is that program's parameters:
// a path with a blank goes in double quotes, so that it reaches the program as one argument.
// Anywhere else the file field names the document itself and takes the path as it is. False,
// with out empty, when the text does not fit out (size bytes).
bool FileFieldText(int type, bool programGiven, const char* path, char* out, std::size_t size);

// The extension of the last component of path: from its last dot, or empty when it has none
// (a dot before the last backslash, or one followed by a blank later in the name, starts none).
const char* PathExtension(const char* path);

// Length of the folder part of path, up to and including its last backslash (the second byte
// of a double-byte character is never one), or 0 when it has none.
std::size_t FolderPartLength(const char* path);

// Whether a resolved shortcut is replaced by its target. arguments and workingDirectory are
// the link's (null counts as empty); a link that passes arguments stays a shortcut. Without a
// working directory the target is taken. Otherwise the target's folder and the working
// directory (which ends in a backslash), both in long form as toLongForm writes them, must be
// the same ignoring case, so that a shortcut that starts its program elsewhere stays a
// shortcut. toLongForm writes the long form of a path into out (size bytes) and returns false
// when it cannot; then the path is compared as it stands.
using LongFormFunction = bool (*)(const char* path, char* out, std::size_t size, void* context);
bool TakeShortcutTarget(const char* target, const char* arguments, const char* workingDirectory,
                        LongFormFunction toLongForm, void* context);
