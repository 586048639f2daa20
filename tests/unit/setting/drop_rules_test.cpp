// Which field a dropped item fills, and when a dropped shortcut gives way to its target.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "commands.h"
#include "drop_rules.h"

namespace {

const std::string HYOU = "\x95\x5C";  // a double-byte character whose second byte is 0x5C

TEST(ChooseDropField, ByTypeKindAndExtension) {
  struct Case {
    int type;
    bool directory;
    std::string path;
    DropField field;
  };
  const Case cases[] = {
      /* 0 */ {CMD_APP, false, "C:\\Tools\\edit.exe", DropField::Application},
      /* 1 */ {CMD_APP, false, "C:\\Tools\\EDIT.EXE", DropField::Application},
      /* 2 */ {CMD_APP, false, "C:\\old\\run.Com", DropField::Application},
      /* 3 */ {CMD_APP, false, "C:\\Docs\\notes.txt", DropField::File},
      /* 4 */ {CMD_APP, false, "C:\\Docs\\README", DropField::File},
      /* 5 */ {CMD_APP, false, "C:\\Docs\\tool.lnk", DropField::File},
      /* 6 */ {CMD_APP, false, "C:\\v1.exe\\notes", DropField::File},   // dot in a folder
      /* 7 */ {CMD_APP, false, "C:\\Docs\\a.exe b", DropField::File},   // blank after the dot
      /* 8 */ {CMD_APP, false, "C:\\Docs\\archive.exe.txt", DropField::File},
      /* 9 */ {CMD_APP, true, "C:\\Tools", DropField::FileAskingAlways},
      /* 10 */ {CMD_APP, true, "C:\\Tools.exe", DropField::FileAskingAlways},
      /* 11 */ {CMD_FOLDER, false, "C:\\Tools\\edit.exe", DropField::File},
      /* 12 */ {CMD_FOLDER, true, "C:\\Tools", DropField::File},
      /* 13 */ {CMD_APP, false, "C:\\" + HYOU + "\\" + HYOU + ".exe", DropField::Application},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDropField(c.type, c.directory, c.path.c_str()), c.field) << "case " << i;
    ++i;
  }
}

TEST(FolderPartLength, StopsAtTheLastRealBackslash) {
  EXPECT_EQ(FolderPartLength("C:\\Tools\\edit.exe"), 9u);
  EXPECT_EQ(FolderPartLength("edit.exe"), 0u);
  const std::string trail = "C:\\" + HYOU + "x";  // the 0x5C inside the character is no separator
  EXPECT_EQ(FolderPartLength(trail.c_str()), 3u);
}

// Long forms as a table; paths without an entry have none.
bool TableLongForm(const char* path, char* out, std::size_t size, void* context) {
  const auto& table = *static_cast<const std::map<std::string, std::string>*>(context);
  auto found = table.find(path);
  if (found == table.end() || found->second.size() >= size) return false;
  std::memcpy(out, found->second.c_str(), found->second.size() + 1);
  return true;
}

TEST(TakeShortcutTarget, ArgumentsAndWorkingDirectoryDecide) {
  std::map<std::string, std::string> longForms = {
      {"C:\\PROGRA~1\\Tool\\", "C:\\Program Files\\Tool\\"},
      {"C:\\Program Files\\Tool\\", "C:\\Program Files\\Tool\\"},
      {"C:\\Work\\", "C:\\Work\\"},
  };
  const char* target = "C:\\Program Files\\Tool\\tool.exe";
  struct Case {
    const char* arguments;
    const char* directory;
    bool take;
  };
  const Case cases[] = {
      /* 0 nothing set */ {nullptr, nullptr, true},
      /* 1 */ {"", "", true},
      /* 2 arguments keep the shortcut */ {"-x", nullptr, false},
      /* 3 */ {"-x", "C:\\Program Files\\Tool\\", false},
      /* 4 its own folder */ {"", "C:\\Program Files\\Tool\\", true},
      /* 5 the same folder in short form */ {"", "C:\\PROGRA~1\\Tool\\", true},
      /* 6 the same folder in other case */ {"", "c:\\program files\\TOOL\\", true},
      /* 7 another folder */ {"", "C:\\Work\\", false},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(TakeShortcutTarget(target, c.arguments, c.directory, TableLongForm, &longForms),
              c.take)
        << "case " << i;
    ++i;
  }
  // A target without a folder cannot be compared: the shortcut stays.
  EXPECT_FALSE(TakeShortcutTarget("tool.exe", "", "C:\\Work\\", TableLongForm, &longForms));
  // Case folding never touches the second byte of a double-byte character: 0x83 0x41 and
  // 0x83 0x61 are two different characters.
  std::map<std::string, std::string> none;
  EXPECT_FALSE(TakeShortcutTarget("C:\\\x83\x41\\t.exe", "", "C:\\\x83\x61\\", TableLongForm,
                                  &none));
  EXPECT_TRUE(TakeShortcutTarget("C:\\\x83\x41\\t.exe", "", "c:\\\x83\x41\\", TableLongForm,
                                 &none));
}

// A path with a blank is quoted only as a program's parameters.
TEST(FileFieldText, QuotesAPathWithABlankOnlyAsAProgramsParameters) {
  struct Case {
    int type;
    bool program;
    std::string path;
    std::string text;
  };
  const std::string blankInName = "C:\\" + HYOU + " " + HYOU + ".txt";
  const Case cases[] = {
      /* 0 */ {CMD_APP, true, "C:\\My Docs\\a b.txt", "\"C:\\My Docs\\a b.txt\""},
      /* 1 */ {CMD_APP, true, "C:\\Docs\\notes.txt", "C:\\Docs\\notes.txt"},  // no blank
      /* 2 */ {CMD_APP, false, "C:\\My Docs\\a b.txt", "C:\\My Docs\\a b.txt"},  // the document
      /* 3 */ {CMD_FOLDER, true, "C:\\My Docs", "C:\\My Docs"},  // a folder to open, no program
      /* 4 */ {CMD_APP, true, "C:\\My Docs", "\"C:\\My Docs\""},  // a folder as the parameter
      /* 5 */ {CMD_APP, true, blankInName, "\"" + blankInName + "\""},
      /* 6 */ {CMD_APP, true, HYOU + HYOU, HYOU + HYOU},  // 0x5C trail bytes, no blank
      /* 7 */ {CMD_APP, true, "", ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    char out[64] = "x";
    EXPECT_TRUE(FileFieldText(c.type, c.program, c.path.c_str(), out, sizeof out)) << "case " << i;
    EXPECT_EQ(std::string(out), c.text) << "case " << i;
    ++i;
  }
}

TEST(FileFieldText, ATextThatDoesNotFitIsNoneNotOneCutShort) {
  char out[8] = "x";
  EXPECT_TRUE(FileFieldText(CMD_APP, true, "a b c", out, sizeof out));  // 5 + 2 quotes + 1
  EXPECT_STREQ(out, "\"a b c\"");
  EXPECT_FALSE(FileFieldText(CMD_APP, true, "a b cd", out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_TRUE(FileFieldText(CMD_APP, false, "a b cde", out, sizeof out));  // unquoted, fits
  EXPECT_FALSE(FileFieldText(CMD_APP, true, "x", out, 0));
}

}  // namespace
