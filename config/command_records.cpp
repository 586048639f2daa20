// The life cycle of command records and lists: making and freeing a record, linking records
// into a list and freeing a list. Apart from commands.cpp, so that the launcher, which reads
// its commands in one pass (command_walk.cpp), links these without the profile model.
#include <cstring>

#include "command_walk_internal.h"
#include "commands.h"
#include "platform.h"

using namespace command_walk;

namespace {

TextSpan SpanOf(const char* text) { return TextSpan{text, text ? std::strlen(text) : 0}; }

}  // namespace

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

void AppendCommandRecord(CommandList* list, CommandRecord* record) {
  record->prev = list->tail;
  record->next = nullptr;
  if (list->tail)
    list->tail->next = record;
  else
    list->head = record;
  list->tail = record;
  ++list->count;
}

void LinkCommandRecords(CommandRecord* const* records, int count, CommandList* list) {
  if (!list) return;
  *list = CommandList{};
  for (int i = 0; i < count; ++i) AppendCommandRecord(list, records[i]);
}
