// The command list's header sort with the comparisons the editor hands it, the platform's
// lstrcmpA and lstrcmpiA, whose order (upper and lower case mixed) no byte comparison gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "command_rows.h"

namespace {

// The record's text that column shows.
char*& TextOf(CommandRecord& record, int column) {
  return column == COLUMN_FILE ? record.file : column == COLUMN_NAME ? record.name : record.key;
}

// The texts of column in the order the list shows after a header click (ascending or not).
std::vector<std::string> SortedColumn(std::vector<std::string> texts, int column,
                                      int ascending) {
  std::vector<CommandRecord> rows;
  for (std::string& text : texts) {
    CommandRecord record = {};
    record.type = CMD_APP;
    TextOf(record, column) = text.data();
    rows.push_back(record);
  }
  RowOrder const order = {ascending, column};
  std::stable_sort(rows.begin(), rows.end(), [&](const CommandRecord& a, const CommandRecord& b) {
    return CompareCommandRecords(&a, &b, order, lstrcmpA, lstrcmpiA) < 0;
  });
  std::vector<std::string> shown;
  for (CommandRecord& row : rows) shown.emplace_back(TextOf(row, column));
  return shown;
}

TEST(CommandRowsSort, KeysAndNamesTakeTheWordOrderWithCaseAsTheLastDifference) {
  // Byte order would give A, B, a, ab, b: every capital before every small letter.
  std::vector<std::string> const texts = {"b", "B", "ab", "A", "a"};
  std::vector<std::string> const ascending = {"a", "A", "ab", "b", "B"};
  for (int column : {COLUMN_KEY, COLUMN_NAME}) {
    EXPECT_EQ(SortedColumn(texts, column, 1), ascending) << "column " << column;
    EXPECT_EQ(SortedColumn(texts, column, 0),
              std::vector<std::string>(ascending.rbegin(), ascending.rend()))
        << "descending, column " << column;
  }
}

TEST(CommandRowsSort, FilesIgnoreCase) {
  // Byte order would give B.txt, C:\x, a.txt; folded to one case, a < B < c.
  EXPECT_EQ(SortedColumn({"c:\\x", "B.txt", "a.txt"}, COLUMN_FILE, 1),
            (std::vector<std::string>{"a.txt", "B.txt", "c:\\x"}));
  // Texts that differ in case only are equal: the sort keeps them in their order.
  EXPECT_EQ(SortedColumn({"X.TXT", "x.txt", "A"}, COLUMN_FILE, 1),
            (std::vector<std::string>{"A", "X.TXT", "x.txt"}));
}

}  // namespace
