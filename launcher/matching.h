// Launch-key matching, completion and the texts the input window shows. Needs no window:
// it builds and is unit-tested on the host too.
#pragma once

#include <cstddef>

#include "commands.h"

// Size of InputText: at most 63 bytes of text and the terminating NUL.
inline constexpr int INPUT_TEXT_SIZE = 64;

// One command listed under the input line; records come from PlatformAlloc and are owned by
// the list; the command is not.
struct Candidate {
  Candidate* next;
  CommandRecord* command;
};

// True when key begins with text (an empty text is a prefix of every key).
bool KeyHasPrefix(const char* key, const char* text);
// True when some command's launch key begins with text.
bool AnyKeyHasPrefix(const CommandRecord* head, const char* text);
// The first command whose launch key equals text exactly (case-sensitive), or null.
CommandRecord* FindCommandByKey(CommandRecord* head, const char* text);
// With *list empty: appends a Candidate for every command whose key begins with text, in
// list order, adding 1 to *counter for each.
void BuildCandidates(CommandRecord* head, const char* text, Candidate** list, int* counter);
// Releases every record of list; the caller sets its head to null.
void FreeCandidates(Candidate* list);
