// The command edit dialog's checks: limits, control characters, launch-key conflicts in list
// order, the values stored per command type, and the boxes shown on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "validation.h"
#include "texts.h"

namespace {

const std::string HYOU = "\x95\x5C";  // a double-byte character whose second byte is 0x5C

// Answers the warnings as the test scripted them (OK once the script runs out) and records
// every box in order: "warn:", "error:" or "char:" and its text.
struct ScriptedPrompts : ValidationPrompts {
  std::vector<bool> answers;
  std::set<std::string> folders;
  std::vector<std::string> shown;
  std::vector<std::string> lookups;
  bool Warn(const char* text) override {
    std::size_t asked = std::count_if(shown.begin(), shown.end(),
                                      [](const std::string& s) { return s.starts_with("warn:"); });
    shown.push_back(std::string("warn:") + text);
    return asked >= answers.size() || answers[asked];
  }
  void Fail(ValidationBox box, const char* text) override {
    shown.push_back((box == ValidationBox::Error ? "error:" : "char:") + std::string(text));
  }
  bool FolderExists(const char* path) override {
    lookups.push_back(path);
    return folders.count(path) != 0;
  }
};

// The dialog's fields as strings; a name, key and type that pass unless a test changes them.
struct Dialog {
  std::string name = "memo", key = "m", application, file;
  int type = CMD_SCREENSAVER;
  int operation = -1;
  bool isModify = false;
  std::string oldKey;
  std::vector<const char*> list;
  ScriptedPrompts prompts;
  ValidatedCommand out{};

  bool Ok() {
    auto field = [](const std::string& s) { return FieldText{s.c_str(), s.size()}; };
    CommandFields fields{field(name), field(key), field(application), field(file),
                         type,        operation,  isModify,           oldKey.c_str()};
    return ValidateCommand(fields, list, prompts, &out);
  }
};

std::string Error(const char* text) { return std::string("error:") + text; }
std::string Warning(const std::string& text) { return "warn:" + text; }
// What a case with one expected box (none when empty) shows.
std::vector<std::string> BoxesOf(const std::string& box) {
  return box.empty() ? std::vector<std::string>{} : std::vector<std::string>{box};
}

TEST(NameAndKey, LimitsFullWidthAndControlCharacters) {
  struct Case {
    std::string name, key;
    std::string box;  // empty: passes
  };
  const Case cases[] = {
      /* 0 */ {std::string(255, 'n'), std::string(32, 'k'), ""},
      /* 1 */ {std::string(256, 'n'), "k", Error(NAME_TOO_LONG_TEXT)},
      /* 2 */ {"", "k", Error(NAME_MISSING_TEXT)},
      /* 3 */ {"n", std::string(33, 'k'), Error(KEY_TOO_LONG_TEXT)},
      /* 4 */ {"n", "", Error(KEY_MISSING_TEXT)},
      /* 5 */ {"n", "a\x82\xA0", Error(KEY_FULL_WIDTH_TEXT)},
      /* 6 */ {"n", "\xB1\xB2", ""},  // single-byte katakana
      /* 7 */ {"a\r\nb", "k", Error(CONTROL_CHARACTER_TEXT)},
      /* 8 */ {"a\tb", "k", Error(CONTROL_CHARACTER_TEXT)},
      /* 9 */ {"n", "k\n", Error(CONTROL_CHARACTER_TEXT)},
      /* 10 */ {"n", "\x1F", Error(CONTROL_CHARACTER_TEXT)},
      /* 11 */ {std::string(255, 'n') + "\n", "k", Error(NAME_TOO_LONG_TEXT)},
      /* 12 */ {"n", std::string(32, 'k') + "\t", Error(KEY_TOO_LONG_TEXT)},
  };
  int i = 0;
  for (const Case& c : cases) {
    Dialog dialog;
    dialog.name = c.name;
    dialog.key = c.key;
    EXPECT_EQ(dialog.Ok(), c.box.empty()) << "case " << i;
    EXPECT_EQ(dialog.prompts.shown, BoxesOf(c.box)) << "case " << i;
    if (c.box.empty()) {
      EXPECT_EQ(dialog.out.name, c.name) << "case " << i;
      EXPECT_EQ(dialog.out.key, c.key) << "case " << i;
    }
    ++i;
  }
}

TEST(NameAndKey, LengthIsTheFieldsNotTheTextRead) {
  Dialog dialog;
  std::string read(255, 'n');  // the dialog's buffer holds 255 of the field's 300 bytes
  CommandFields fields{{read.c_str(), 300}, {"k", 1}, {}, {}, CMD_SCREENSAVER, -1, false, ""};
  EXPECT_FALSE(ValidateCommand(fields, {}, dialog.prompts, &dialog.out));
  EXPECT_EQ(dialog.prompts.shown, std::vector<std::string>{Error(NAME_TOO_LONG_TEXT)});
}

std::string MakesUnusable(const std::string& key) {
  return Warning("この起動キーの登録によって、起動キー「" + key + "」が無効になります。\r\n");
}
std::string UnusableBecause(const std::string& key) {
  return Warning("この起動キーは、起動キー「" + key + "」があるために無効になります。\r\n");
}
std::string Duplicate(const std::string& key) {
  return "error:起動キー \"" + key + "\" は既に登録されています。        \r\n";
}

TEST(KeyConflicts, PrefixesAndDuplicatesInListOrder) {
  struct Case {
    std::vector<const char*> list;
    std::string key;
    bool isModify;
    std::string oldKey;
    std::vector<std::string> shown;
    bool ok;
  };
  const Case cases[] = {
      /* 0 */ {{"ab"}, "abc", false, "", {UnusableBecause("ab")}, true},
      /* 1 */ {{"ab"}, "a", false, "", {MakesUnusable("ab")}, true},
      /* 2 */ {{"ab"}, "ab", false, "", {Duplicate("ab")}, false},
      /* 3 */ {{"x", "ab", "y"}, "ab", true, "ab", {}, true},
      /* 4 */ {{"a", "ab", "abcd"}, "abc", true, "ab",
               {UnusableBecause("a"), MakesUnusable("abcd")}, true},
      /* 5 */ {{"ab", "abd"}, "a", false, "", {MakesUnusable("ab"), MakesUnusable("abd")}, true},
      /* 6 */ {{"abc", "x", "ab"}, "ab", false, "", {MakesUnusable("abc"), Duplicate("ab")}, false},
      /* 7 */ {{"AB", "Abc"}, "ab", false, "", {}, true},
      /* 8 */ {{nullptr, "", "b"}, "a", true, "ab", {}, true},
      // A new command: an old key left over from an earlier edit is no key of its own.
      /* 9 */ {{"ab"}, "ab", false, "ab", {Duplicate("ab")}, false},
  };
  int i = 0;
  for (const Case& c : cases) {
    Dialog dialog;
    dialog.list = c.list;
    dialog.key = c.key;
    dialog.isModify = c.isModify;
    dialog.oldKey = c.oldKey;
    EXPECT_EQ(dialog.Ok(), c.ok) << "case " << i;
    EXPECT_EQ(dialog.prompts.shown, c.shown) << "case " << i;
    ++i;
  }
}

TEST(KeyConflicts, CancelOnAnyWarningFails) {
  for (std::size_t cancelled = 0; cancelled < 2; ++cancelled) {
    Dialog dialog;
    dialog.list = {"ab", "abd"};
    dialog.key = "a";
    dialog.prompts.answers = {cancelled != 0, false};
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(dialog.prompts.shown.size(), cancelled + 1);
  }
}

TEST(Operands, ValuesPerType) {
  struct Case {
    int type, operation;
    std::string application, file;
    std::string box;  // empty: passes with exe and file
    std::string exe = "", stored = "";
  };
  const std::string s255(255, 'p'), s256(256, 'p');
  const Case cases[] = {
      /* 0 */ {CMD_APP, -1, "C:\\a.exe", "x.txt", "", "C:\\a.exe", "x.txt"},
      /* 1 */ {CMD_APP, 2, "", "doc.txt", "", "", "doc.txt"},
      /* 2 */ {CMD_APP, -1, "", "", Error(APPLICATION_OR_FILE_MISSING_TEXT)},
      /* 3 */ {CMD_APP, -1, s255, s255, "", s255, s255},
      /* 4 */ {CMD_APP, -1, s256, "", Error(APPLICATION_TOO_LONG_TEXT)},
      /* 5 */ {CMD_APP, -1, "a", s256, Error(FILE_TOO_LONG_TEXT)},
      /* 6 */ {CMD_APP, -1, "C:\\a\n.exe", "", Error(CONTROL_CHARACTER_TEXT)},
      /* 7 */ {CMD_APP, -1, "a", "-x\t-y", Error(CONTROL_CHARACTER_TEXT)},
      /* 8 */ {CMD_FOLDER, 1, "hidden", "C:\\dir", "", "1", "C:\\dir"},
      /* 9 */ {CMD_FOLDER, -1, "", "C:\\dir", Error(CHOOSE_FROM_LIST_TEXT)},
      /* 10 */ {CMD_FOLDER, 2, "", "C:\\dir", Error(CHOOSE_FROM_LIST_TEXT)},
      /* 11 */ {CMD_FOLDER, 0, "", "", Error(FOLDER_MISSING_TEXT)},
      /* 12 */ {CMD_FOLDER, 0, "", s256, Error(FOLDER_TOO_LONG_TEXT)},
      /* 13 */ {CMD_FOLDER, 0, "", "C:\\d\r\n", Error(CONTROL_CHARACTER_TEXT)},
      /* 14 */ {CMD_EXIT_WINDOWS, 3, "x", "y", "", "3", ""},
      /* 15 */ {CMD_CONTROL, 0, "x", "y", "", "0", ""},
      /* 16 */ {CMD_CONTROL, -1, "", "", Error(CHOOSE_FROM_LIST_TEXT)},
      /* 17 */ {CMD_CONTROL, 4, "", "", Error(CHOOSE_FROM_LIST_TEXT)},
      /* 18 */ {CMD_SCREENSAVER, 1, "x\n", s256, "", "", ""},
      /* 19 */ {CMD_EMPTY_RECYCLE_BIN, 1, s256, "y\t", "", "", ""},
      /* 20 */ {CMD_DESKTOP_FOLDER, 0, "work", "y", "", "", "work"},
      /* 21 */ {CMD_DESKTOP_FOLDER, -1, "", "y", Error(FOLDER_MISSING_TEXT)},
      /* 22 */ {CMD_DESKTOP_FOLDER, -1, s256, "", Error(FOLDER_TOO_LONG_TEXT)},
      /* 23 */ {CMD_DESKTOP_FOLDER, -1, HYOU + "\x83\x5C", "", "", "", HYOU + "\x83\x5C"},
      /* 24 */ {CMD_DESKTOP_FOLDER, -1, "a\tb", "", Error(CONTROL_CHARACTER_TEXT)},
      /* 25 */ {-1, 0, "a", "b", Error(CHOOSE_FROM_LIST_TEXT)},
      /* 26 */ {7, 0, "a", "b", Error(CHOOSE_FROM_LIST_TEXT)},
  };
  int i = 0;
  for (const Case& c : cases) {
    Dialog dialog;
    dialog.type = c.type;
    dialog.operation = c.operation;
    dialog.application = c.application;
    dialog.file = c.file;
    dialog.prompts.folders = {"C:\\dir"};
    EXPECT_EQ(dialog.Ok(), c.box.empty()) << "case " << i;
    EXPECT_EQ(dialog.prompts.shown, BoxesOf(c.box)) << "case " << i;
    if (c.box.empty()) {
      EXPECT_EQ(dialog.out.type, c.type) << "case " << i;
      EXPECT_EQ(dialog.out.exe, c.exe) << "case " << i;
      EXPECT_EQ(dialog.out.file, c.stored) << "case " << i;
    }
    ++i;
  }
}

// The operand checks come from the type's entry: with nothing typed and nothing chosen, each
// type stops at the message of its first check, and a type without checks stores no operand.
TEST(Operands, EachTypeIsCheckedAsItsEntrySays) {
  for (const CommandTypeInfo& info : COMMAND_TYPES) {
    Dialog dialog;
    dialog.type = info.type;
    std::string box;
    if (info.checks & CHECK_OPERATION) {
      box = Error(CHOOSE_FROM_LIST_TEXT);
    } else if (info.checks & CHECK_PROGRAM_OR_FILE) {
      box = Error(APPLICATION_OR_FILE_MISSING_TEXT);
    } else if (info.checks & (CHECK_FOLDER_TO_OPEN | CHECK_NEW_FOLDER_NAME)) {
      box = Error(FOLDER_MISSING_TEXT);
    }
    EXPECT_EQ(dialog.Ok(), box.empty()) << "type " << info.type;
    EXPECT_EQ(dialog.prompts.shown, BoxesOf(box)) << "type " << info.type;
    // The last sub-operation of the list is the last one taken.
    if (info.checks == CHECK_OPERATION) {
      int const count = static_cast<int>(info.operations.size());
      for (int operation : {count - 1, count}) {
        Dialog chosen;
        chosen.type = info.type;
        chosen.operation = operation;
        EXPECT_EQ(chosen.Ok(), operation < count) << "type " << info.type;
        if (operation < count) EXPECT_EQ(chosen.out.exe, std::to_string(operation));
      }
    }
  }
}

// An entry's checks and list are what the checks read, whichever type number it carries.
TEST(Operands, ChecksFollowTheEntryNotTheTypeNumber) {
  const char* const three[] = {"a", "b", "c"};
  CommandTypeInfo entry = COMMAND_TYPES[CMD_SCREENSAVER];
  entry.operations = three;
  entry.checks = CHECK_OPERATION | CHECK_NEW_FOLDER_NAME;
  ScriptedPrompts prompts;
  ValidatedCommand out{};
  CommandFields fields{{"n", 1}, {"k", 1}, {"work", 4}, {"x", 1}, CMD_SCREENSAVER, 2, false, ""};
  EXPECT_TRUE(CheckOperands(entry, fields, prompts, &out));
  EXPECT_STREQ(out.exe, "2");
  EXPECT_STREQ(out.file, "work");
  EXPECT_TRUE(prompts.shown.empty());

  fields.application = {"a|b", 3};
  EXPECT_FALSE(CheckOperands(entry, fields, prompts, &out));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_TRUE(prompts.shown[0].starts_with("char:"));
}

TEST(Operands, FolderIsLookedUpExpandedAndStoredAsTyped) {
  setenv("PIMBO_VALIDATION_DIR", "C:\\Tools", 1);
  setenv("PIMBO_VALIDATION_LONG", std::string(300, 'L').c_str(), 1);
  const std::string missing = Warning("C:\\Tools\\gone はフォルダではありません。");
  struct Case {
    std::string typed;
    std::vector<bool> answers;
    std::string lookup;
    std::vector<std::string> shown;
    bool ok;
  };
  const Case cases[] = {
      /* 0 */ {"%PIMBO_VALIDATION_DIR%", {}, "C:\\Tools", {}, true},
      /* 1 */ {"%PIMBO_VALIDATION_DIR%\\gone", {true}, "C:\\Tools\\gone", {missing}, true},
      /* 2 */ {"%PIMBO_VALIDATION_DIR%\\gone", {false}, "C:\\Tools\\gone", {missing}, false},
      // An expansion longer than a path is not used: the text is looked up as typed.
      /* 3 */ {"%PIMBO_VALIDATION_LONG%", {true}, "%PIMBO_VALIDATION_LONG%",
               {Warning("%PIMBO_VALIDATION_LONG% はフォルダではありません。")}, true},
  };
  int i = 0;
  for (const Case& c : cases) {
    Dialog dialog;
    dialog.type = CMD_FOLDER;
    dialog.operation = 0;
    dialog.file = c.typed;
    dialog.prompts.folders = {"C:\\Tools"};
    dialog.prompts.answers = c.answers;
    EXPECT_EQ(dialog.Ok(), c.ok) << "case " << i;
    EXPECT_EQ(dialog.prompts.lookups, std::vector<std::string>{c.lookup}) << "case " << i;
    EXPECT_EQ(dialog.prompts.shown, c.shown) << "case " << i;
    if (c.ok) {
      EXPECT_EQ(dialog.out.file, c.typed) << "case " << i;
    }
    ++i;
  }
}

TEST(Operands, ForbiddenCharactersInADesktopFolderName) {
  const std::string refused =
      "char:フォルダ名には次の文字は使えません。\r\n            \\ : , ; * ? \" < > |";
  for (const char* name : {"a/b", "..\\x", "a:b", "a|b", "\"a\"", "a?"}) {
    Dialog dialog;
    dialog.type = CMD_DESKTOP_FOLDER;
    dialog.application = name;
    EXPECT_FALSE(dialog.Ok()) << name;
    EXPECT_EQ(dialog.prompts.shown, std::vector<std::string>{refused}) << name;
  }
}

}  // namespace
