// The command list's sort comparison and its "..." shortening of texts wider than a column.
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "command_rows.h"

namespace {

// A record whose texts point at the strings given (null stays null).
CommandRecord Record(const char* key, const char* name, int type, const char* file) {
  CommandRecord record = {};
  record.key = const_cast<char*>(key);
  record.name = const_cast<char*>(name);
  record.type = type;
  record.file = const_cast<char*>(file);
  return record;
}

int Compare(const CommandRecord& a, const CommandRecord& b, int ascending, int column) {
  return CompareCommandRecords(&a, &b, RowOrder{ascending, column}, std::strcmp, strcasecmp);
}

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareCommandRecords, EachColumnByItsOwnRuleInBothDirections) {
  CommandRecord a = Record("ab", "Zed", CMD_CONTROL, "c:\\B.txt");
  CommandRecord b = Record("aB", "alpha", CMD_FOLDER, "C:\\a.TXT");
  struct Case {
    int column;
    int ascending;  // sign of compare(a, b) when ascending
  };
  const Case cases[] = {
      /* 0 key: case-sensitive, 'B' < 'b' */ {COLUMN_KEY, 1},
      /* 1 name: case-sensitive, 'Z' < 'a' */ {COLUMN_NAME, -1},
      /* 2 operation: type 4 after type 1 */ {COLUMN_OPERATION, 1},
      /* 3 file: case-insensitive, "b.txt" after "a.txt" */ {COLUMN_FILE, 1},
      /* 4 other columns compare equal */ {7, 0},
      /* 5 */ {-1, 0},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(Compare(a, b, 1, c.column)), c.ascending) << "case " << i;
    EXPECT_EQ(Sign(Compare(a, b, 0, c.column)), -c.ascending) << "descending, case " << i;
    ++i;
  }
  CommandRecord same = Record("x", "y", CMD_APP, "Q");
  CommandRecord sameFolded = Record("x", "y", CMD_APP, "q");
  EXPECT_EQ(Compare(same, sameFolded, 1, COLUMN_FILE), 0);
}

TEST(CompareCommandRecords, NullTextsComeFirstAndEqualEachOther) {
  CommandRecord none = Record("k", nullptr, CMD_APP, nullptr);
  CommandRecord alsoNone = Record("k", nullptr, CMD_APP, nullptr);
  CommandRecord empty = Record("k", "", CMD_APP, "");
  for (int column : {COLUMN_NAME, COLUMN_FILE}) {
    EXPECT_LT(Compare(none, empty, 1, column), 0) << "column " << column;
    EXPECT_GT(Compare(empty, none, 1, column), 0) << "column " << column;
    EXPECT_GT(Compare(none, empty, 0, column), 0) << "descending, column " << column;
    EXPECT_EQ(Compare(none, alsoNone, 1, column), 0) << "column " << column;
  }
}

TEST(CompareCommandRecords, OperationColumnOrdersByTypeNumberNotByText) {
  std::vector<CommandRecord> rows;
  for (int type : {int{CMD_DESKTOP_FOLDER}, int{CMD_APP}, 99, int{CMD_EXIT_WINDOWS}, -3, int{CMD_FOLDER}}) {
    rows.push_back(Record("k", "n", type, "f"));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const CommandRecord& a, const CommandRecord& b) {
    return Compare(a, b, 1, COLUMN_OPERATION) < 0;
  });
  std::vector<int> types;
  for (const CommandRecord& row : rows) types.push_back(row.type);
  EXPECT_EQ(types, (std::vector<int>{-3, CMD_APP, CMD_FOLDER, CMD_EXIT_WINDOWS,
                                     CMD_DESKTOP_FOLDER, 99}));
}

TEST(RowOrder, SurvivesThePackedSortParameter) {
  for (int ascending : {0, 1}) {
    for (int column : {0, 1, 2, 3, 4, -1, 300}) {
      RowOrder order = UnpackRowOrder(PackRowOrder(RowOrder{ascending, column}));
      EXPECT_EQ(order.ascending, ascending);
      EXPECT_EQ(order.column, column);
    }
  }
}

// Every byte is 10 pixels wide, so a width of 10 * n holds n bytes.
int TenPerByte(const char*, std::size_t length, void*) { return static_cast<int>(length) * 10; }

std::string Shorten(const std::string& text, int width, std::size_t size = 1024) {
  std::vector<char> out(size, 'X');
  std::size_t n = ShortenToWidth(text.c_str(), width, TenPerByte, nullptr, out.data(), size);
  EXPECT_EQ(std::strlen(out.data()), n);
  return std::string(out.data());
}

TEST(ShortenToWidth, KeepsTheLongestStartThatFitsWithTheEllipsis) {
  EXPECT_EQ(Shorten("", 0), "");
  EXPECT_EQ(Shorten("abcdef", 60), "abcdef");     // fits exactly: drawn as it is
  EXPECT_EQ(Shorten("abcdefg", 60), "abc...");    // 3 bytes + "..." = 60 pixels
  EXPECT_EQ(Shorten("abcdefg", 69), "abc...");
  EXPECT_EQ(Shorten("abcdefgh", 70), "abcd...");
  // Too narrow for even one byte and the ellipsis: the first byte stays.
  EXPECT_EQ(Shorten("abcdefg", 5), "a...");
  EXPECT_EQ(Shorten("ab", 0), "a...");
  EXPECT_EQ(Shorten("a", 5), "a...");
}

TEST(ShortenToWidth, NeverSplitsADoubleByteCharacter) {
  const std::string hyou = "\x95\x5C";   // trail byte 0x5C
  const std::string kanji = "\x8A\xBF";  // another double-byte character
  // Four bytes of room before the ellipsis would cut the second character in half.
  EXPECT_EQ(Shorten("a" + hyou + kanji + "bcdef", 70), "a" + hyou + "...");
  EXPECT_EQ(Shorten("a" + hyou + kanji + "bcdef", 80), "a" + hyou + kanji + "...");
  // A first character of two bytes stays whole however narrow the column.
  EXPECT_EQ(Shorten(kanji + "abc", 5), kanji + "...");
}

TEST(ShortenToWidth, SmallOutputBuffersHoldWholeCharactersOnly) {
  const std::string hyou = "\x95\x5C";
  EXPECT_EQ(Shorten("ab" + hyou + "cdefgh", 1000, 4), "ab");
  EXPECT_EQ(Shorten("ab" + hyou + "cdefgh", 60, 6), "ab...");
  EXPECT_EQ(Shorten("ab" + hyou + "cdefgh", 60, 5), "a...");
  EXPECT_EQ(Shorten("abcdefgh", 60, 1), "");
}

}  // namespace
