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

// --- Paths that may wait on the network, and the icon kept per row -------------------------

// Drives J and Z are network drives in these cases, every other letter is local.
bool JAndZAreRemote(char letter, void* asked) {
  ++*static_cast<int*>(asked);
  return letter == 'J' || letter == 'j' || letter == 'Z' || letter == 'z';
}

TEST(IsNetworkPath, SharesAndNetworkDrivesButNothingElse) {
  struct Case {
    const char* path;
    bool network;
    bool drive_asked;
  };
  const Case cases[] = {
      /*  0 */ {"\\\\192.0.2.1\\share\\x.exe", true, false},
      /*  1 */ {"//server/share/x.exe", true, false},
      /*  2 */ {"\\/server\\share", true, false},
      /*  3 */ {"\\\\?\\UNC\\server\\share\\x.exe", true, false},
      /*  4 */ {"\\\\.\\pipe\\name", true, false},
      /*  5 */ {"\\\\?\\C:\\Windows\\notepad.exe", false, true},
      /*  6 */ {"\\\\?\\Z:\\x.exe", true, true},
      /*  7 */ {"\\\\.\\j:\\x.exe", true, true},
      /*  8 */ {"C:\\Program Files\\app.exe", false, true},
      /*  9 */ {"z:\\tools\\x.exe", true, true},
      /* 10 */ {"J:", true, true},
      /* 11 */ {"notepad.exe", false, false},
      /* 12 */ {"\\Windows\\notepad.exe", false, false},
      /* 13 */ {"..\\x.exe", false, false},
      /* 14 */ {"", false, false},
      /* 15: a double-byte name, not a drive letter */ {"\x95\\:\\x.exe", false, false},
      /* 16: a letter without its colon */ {"Zx\\y", false, false},
  };
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    int asked = 0;
    EXPECT_EQ(IsNetworkPath(cases[i].path, JAndZAreRemote, &asked), cases[i].network)
        << "case " << i << ": " << cases[i].path;
    EXPECT_EQ(asked > 0, cases[i].drive_asked) << "case " << i << ": " << cases[i].path;
  }
  int asked = 0;
  EXPECT_FALSE(IsNetworkPath(nullptr, JAndZAreRemote, &asked));
}

// A lookup that counts its calls per record and answers by the record's type.
struct CountedLookups {
  std::vector<const CommandRecord*> calls;
  static int Lookup(const CommandRecord* record, void* context) {
    static_cast<CountedLookups*>(context)->calls.push_back(record);
    return record->type == CMD_FOLDER ? 7 : NO_ROW_ICON;
  }
  std::size_t Of(const CommandRecord* record) const {
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), record));
  }
};

TEST(RowIconCache, EachRowIsLookedUpOnceWhateverTheRepaints) {
  CommandRecord program = Record("a", "A", CMD_APP, nullptr);
  CommandRecord folder = Record("b", "B", CMD_FOLDER, "C:\\x");
  CountedLookups lookups;
  RowIconCache cache;
  for (int repaint = 0; repaint < 5; ++repaint) {
    EXPECT_EQ(cache.IconOf(&program, CountedLookups::Lookup, &lookups), NO_ROW_ICON);
    EXPECT_EQ(cache.IconOf(&folder, CountedLookups::Lookup, &lookups), 7);
  }
  // A row without an icon is not asked again either.
  EXPECT_EQ(lookups.Of(&program), 1u);
  EXPECT_EQ(lookups.Of(&folder), 1u);
}

TEST(RowIconCache, AForgottenOrClearedRowIsLookedUpAgain) {
  CommandRecord first = Record("a", "A", CMD_FOLDER, "C:\\x");
  CommandRecord second = Record("b", "B", CMD_FOLDER, "C:\\y");
  CountedLookups lookups;
  RowIconCache cache;
  cache.IconOf(&first, CountedLookups::Lookup, &lookups);
  cache.IconOf(&second, CountedLookups::Lookup, &lookups);
  // A changed row: its record goes, and a record at the same address is a new row.
  cache.Forget(&first);
  first.type = CMD_APP;
  EXPECT_EQ(cache.IconOf(&first, CountedLookups::Lookup, &lookups), NO_ROW_ICON);
  EXPECT_EQ(cache.IconOf(&second, CountedLookups::Lookup, &lookups), 7);
  EXPECT_EQ(lookups.Of(&first), 2u);
  EXPECT_EQ(lookups.Of(&second), 1u);
  // Forgetting a record never kept is harmless.
  CommandRecord never = Record("c", "C", CMD_APP, nullptr);
  cache.Forget(&never);
  // A new list of rows.
  cache.Clear();
  cache.IconOf(&second, CountedLookups::Lookup, &lookups);
  EXPECT_EQ(lookups.Of(&second), 2u);
}

}  // namespace
