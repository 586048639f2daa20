// What both readers of the commands and the record life cycle share (command_walk.cpp):
// records built with their texts in one block, and the walk that takes the first key of each
// command field. Private to config/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commands.h"

namespace command_walk {

// A text given by its length; a null text stands for a field that stays null.
struct TextSpan {
  const char* text;
  std::size_t length;
};

// A record and its texts in one PlatformAlloc block, texts right behind the record: one heap
// call per command instead of five, which is most of what loading 10,000 commands costs under
// Wine's heap. FreeCommandRecord releases the block; nothing frees a text on its own.
CommandRecord* BuildRecord(TextSpan name, TextSpan key, std::int32_t type, TextSpan exe,
                           TextSpan file);

// The numbered keys of one command, in the order of FIELD_STEMS.
enum CommandField { FIELD_NAME, FIELD_KEY, FIELD_TYPE, FIELD_EXE, FIELD_FILE, FIELD_COUNT };

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

// How many of the length bytes of a command text past its limit reader keeps: the editor cuts
// between characters, so that a save never writes a lone lead byte back (the launcher keeps
// limit bytes and cuts between characters where it shows them).
std::size_t CommandTextCut(const char* text, std::size_t length, int limit, CommandReader reader);

// The "command count" that a lookup gives, capped, or 0.
int CappedCount(int count);

// Takes the first key line of each command field; later ones of the same name are shadowed,
// as a lookup would shadow them. Names match ignoring the case of ASCII letters.
void TakeCommandKey(void* context, const char* name, std::size_t nameLength, const char* value,
                    std::size_t valueLength);

// Builds the first count commands of walk onto *list, by ReadCommand's rules. The launcher's
// records go into one block (when the list starts empty, so that the block holds the whole
// list), as it never frees a record on its own; otherwise, and when no block could be had,
// each record has a block of its own.
void ListFromWalk(CommandWalk const& walk, int count, CommandReader reader, CommandList* list);

}  // namespace command_walk
