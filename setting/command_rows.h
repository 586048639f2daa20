// The command list's rules that need no window: how two rows compare under a header sort and
// how a text too wide for its column is shortened with "...". Builds and is tested on the host.
#pragma once

#include <cstddef>

#include "commands.h"

// Columns of the command list, by column index.
enum CommandColumn {
  COLUMN_KEY = 0,
  COLUMN_NAME = 1,
  COLUMN_OPERATION = 2,
  COLUMN_FILE = 3,
  COLUMN_COUNT = 4,
};

// Width of each column in percent of the list view's width, by column index.
inline constexpr int COLUMN_SHARES[COLUMN_COUNT] = {15, 20, 30, 35};

// Text comparison of the platform (lstrcmpA, lstrcmpiA on Windows): negative, zero, positive.
using TextCompare = int (*)(const char* a, const char* b);

// How one header sort compares: the direction and the clicked column.
struct RowOrder {
  int ascending;  // nonzero: a before b when a is smaller
  int column;     // a CommandColumn; any other value compares every row equal
};

// Compares two records for a sort by order.column: launch keys and names with
// caseSensitive, type numbers numerically, file texts with caseInsensitive. A null text is
// smaller than any other, two null texts are equal. A descending order compares b with a.
int CompareCommandRecords(const CommandRecord* a, const CommandRecord* b, RowOrder order,
                          TextCompare caseSensitive, TextCompare caseInsensitive);

// Packs an order into the sort parameter of the list view's sort and back.
long long PackRowOrder(RowOrder order);
RowOrder UnpackRowOrder(long long parameter);

// Width in pixels of the first length bytes of text, as the row is drawn.
using TextWidth = int (*)(const char* text, std::size_t length, void* context);

// Writes into out (size bytes) the text to draw in a column width pixels wide: text itself
// when it is empty or fits; otherwise its longest start that fits together with "..." (at
// least its first character), then "...". A cut never separates the two bytes of a
// double-byte character. Returns the length written.
std::size_t ShortenToWidth(const char* text, int width, TextWidth measure, void* context,
                           char* out, std::size_t size);
