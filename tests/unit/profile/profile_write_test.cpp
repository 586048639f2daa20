// Editing and saving the profile model: the normalised text, set/quote/delete/clear, and the
// configuration saving of the command list.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "commands.h"
#include "configuration.h"
#include "profile.h"
#include "profile_files.h"

namespace {

using namespace std::string_literals;

class ProfileWriteTest : public ::testing::Test {
 protected:
  void TearDown() override { ProfileFree(); }
};

struct NormaliseCase {
  std::string in;
  std::string out;
};

// Each file text is loaded and saved; out is the exact text written.
const NormaliseCase kNormaliseCases[] = {
    /*  0 */ {"", ""},
    /*  1 */ {"[s]\r\n", ""},
    /*  2 */ {"[s]\r\nk=v\r\n", "[s]\r\nk=v\r\n\r\n"},
    /*  3 */ {"k=v\n[s]\nm=w", "k=v\r\n\r\n[s]\r\nm=w\r\n\r\n"},
    /*  4 */ {"[s]\rk = v \r\r\r\n\n", "[s]\r\nk= v \r\n\r\n"},
    /*  5 */ {"[ s ]\r\n\t k\t=\t\"v\" \r\n", "[s]\r\nk=\t\"v\" \r\n\r\n"},
    /*  6 */ {"[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "[s]\r\nk=1\r\n\r\n[S]\r\nk=2\r\n\r\n"},
    /*  7 */ {"[s]\r\na=1\r\n# note \t\r\nb=2\r\n", "[s]\r\na=1\r\n# note\r\nb=2\r\n\r\n"},
    /*  8 */ {"[s]\r\n;k\r\n", "[s]\r\n;k=\r\n\r\n"},
    /*  9 */ {"[s]\r\nk=1\r\nk=2\r\n", "[s]\r\nk=1\r\nk=2\r\n\r\n"},
    // Lines that read as nothing are kept in their place: an unclosed header, empty brackets,
    // "=" first, a header with a blank after its bracket.
    /* 10 */ {"[s]\r\n[open\r\n[]\r\n=v\r\nk=v\r\n", "[s]\r\n[open\r\n[]\r\n=v\r\nk=v\r\n\r\n"},
    /* 11 */ {"[a]\r\n[s] \r\nk=v\r\n", "[a]\r\n[s] \r\nk=v\r\n\r\n"},
    /* 12 */ {"#top\r\n[s]\r\n", "#top\r\n\r\n"},
    /* 13 */ {"[s]\r\nk=a=b\r\n", "[s]\r\nk=a=b\r\n\r\n"},
    /* 14 */ {"[\x95\x5C]\r\n\x83\x5C=\"\x95\x5C\\\"\r\n",
              "[\x95\x5C]\r\n\x83\x5C=\"\x95\x5C\\\"\r\n\r\n"},
    // Lines of blanks only hold no name: nothing is written for them, not even a header.
    /* 15 */ {"  \r\n[s]\r\n \t \r\n", ""},
    /* 16 */ {"  \r\n[s]\r\nk=v\r\n", "[s]\r\nk=v\r\n\r\n"},
    // A key whose name begins with "[" or "#" keeps one leading blank, so it reads back as a key.
    /* 17 */ {"[s]\r\n  [k=v\r\n  #c=1\r\n", "[s]\r\n [k=v\r\n #c=1\r\n\r\n"},
    // A line with a NUL in it is written as it was; what follows a NUL that starts a line stays
    // at the end.
    /* 18 */ {"[s]\r\nk=v\0tail\r\nm\0=w\r\n"s, "[s]\r\nk=v\0tail\r\nm\0=w\r\n\r\n"s},
    /* 19 */ {"[s]\r\nk=v\r\n\0[t]\r\nm=w\r\n"s, "[s]\r\nk=v\r\n\r\n\0[t]\r\nm=w\r\n"s},
    // A header of blanks keeps its keys apart from the section before it, in the file too.
    /* 20 */ {"[a]\r\nk=1\r\n[ \t ]\r\nk=2\r\n", "[a]\r\nk=1\r\n\r\n[ ]\r\nk=2\r\n\r\n"},
    /* 21 */ {"[a]\r\n[\t]\r\n[b]\r\nk=v\r\n", "[b]\r\nk=v\r\n\r\n"},
    // A name of blanks before "=" writes no key: the line is kept as it was.
    /* 22 */ {"  \r\n[s]\r\n \t \r\n = x\r\n", "[s]\r\n = x\r\n\r\n"},
};

TEST_F(ProfileWriteTest, LoadAndSaveNormalisesTheText) {
  int i = 0;
  for (const NormaliseCase& c : kNormaliseCases) {
    SCOPED_TRACE("case " + std::to_string(i++));
    std::string once = Normalise(c.in);
    EXPECT_EQ(once, c.out);
    EXPECT_EQ(Normalise(once), once) << "a second load and save changed the text";
  }
}

TEST_F(ProfileWriteTest, NormalisedTextIsStableForAMessyFile) {
  std::string messy =
      "; top comment as a key\n#real comment\n[settings]\r\nhot key = 305\r\n\r\n\r\n"
      "[ commands ]\rcommand name0 =\"a\"\r\n  command key0=  \"b\"  \r\n[broken\r\n"
      "[commands]\r\ncommand name0=dup\r\n#x\r\n" +
      std::string(300, 'L') + "=" + std::string(1000, 'v') + "\r\n[" + std::string(300, 'S') +
      "]\r\nk\r\n";
  std::string once = Normalise(messy);
  EXPECT_EQ(Normalise(once), once);
  ASSERT_EQ(LoadProfileText(once), 1);
  char buffer[16];
  ProfileGetString("commands", "command key0", "", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "b");
  EXPECT_EQ(ProfileGetInt("settings", "hot key", 0, nullptr), 305);
}

// --- What the reader passes over is written back byte for byte, in its place ---------------

struct KeptCase {
  const char* what;
  std::string in;
  std::string out;  // what a load and save writes
  // A key that reads as the reading rules say, the kept lines notwithstanding ("-": missing).
  std::string section, key, value;
};

const KeptCase kKeptCases[] = {
    {"a header without its closing bracket, whose keys stay in the section before",
     "[s]\r\na=1\r\n[t\r\nb=2\r\n", "[s]\r\na=1\r\n[t\r\nb=2\r\n\r\n", "s", "b", "2"},
    {"a header with text after its bracket", "[s]\r\n[t] x\r\nb=2\r\n",
     "[s]\r\n[t] x\r\nb=2\r\n\r\n", "s", "b", "2"},
    {"empty brackets, before the first header and in a section", "[]\r\n[s]\r\n[]\r\nb=2\r\n",
     "[]\r\n\r\n[s]\r\n[]\r\nb=2\r\n\r\n", "s", "b", "2"},
    {"lines that start with \"=\" or with a name of blanks", "=top\r\n[s]\r\n=b=3\r\n \t=b\r\nb=2\n",
     "=top\r\n\r\n[s]\r\n=b=3\r\n \t=b\r\nb=2\r\n\r\n", "s", "b", "2"},
    {"everything after a NUL that starts a line, its line ends as they were",
     "[s]\r\nb=2\r\n\0[t]\r\nc=3\n\r\0\r"s, "[s]\r\nb=2\r\n\r\n\0[t]\r\nc=3\n\r\0\r"s, "t", "c",
     "-"},
    {"a file that starts with a NUL", "\0[s]\r\nb=2"s, "\0[s]\r\nb=2"s, "s", "b", "-"},
    {"the text after a NUL inside a key line", "[s]\r\nb=\"2\0\"x\r\nc\0d=3\r\n"s,
     "[s]\r\nb=\"2\0\"x\r\nc\0d=3\r\n\r\n"s, "s", "b", "2"},
    {"the text after a NUL inside a header or a comment", "[s\0x]\r\n#c\0d \r\nb=2\r\n"s,
     "[s\0x]\r\n#c\0d \r\nb=2\r\n\r\n"s, "s", "b", "2"},
    {"a section name, key name and comment past 255 bytes",
     "[" + std::string(300, 'S') + "]\r\n" + std::string(300, 'K') + "=v\r\n#" +
         std::string(300, 'c') + " \r\n",
     "[" + std::string(300, 'S') + "]\r\n" + std::string(300, 'K') + "=v\r\n#" +
         std::string(300, 'c') + " \r\n\r\n",
     std::string(255, 'S'), std::string(255, 'K'), "v"},
};

TEST_F(ProfileWriteTest, LinesTheReaderPassesOverAreWrittenBackInTheirPlace) {
  for (const KeptCase& c : kKeptCases) {
    SCOPED_TRACE(c.what);
    std::string once = Normalise(c.in);
    EXPECT_EQ(once, c.out);
    EXPECT_EQ(Normalise(once), once) << "a second load and save changed the text";
    ASSERT_EQ(LoadProfileText(c.in), 1);
    char buffer[16];
    ProfileGetString(c.section.c_str(), c.key.c_str(), "-", buffer, sizeof buffer, nullptr);
    EXPECT_EQ(std::string(buffer), c.value);
    ProfileFree();
  }
}

TEST_F(ProfileWriteTest, AnEditReplacesOnlyTheKeptLinesOfWhatItChanges) {
  ASSERT_EQ(LoadProfileText("[s]\r\nk=\"v\0old\"\r\nd=1\0x\r\nn=2\0y\r\n[open\r\n[t]\r\nz=1\r\n"
                            "\0rest"s),
            1);
  // The same text set again (quoted, as the editor sets every command text) keeps the line.
  EXPECT_EQ(ProfileSetQuotedString("s", "k", "v", nullptr), 1);
  // A new text, or a deletion, takes the place of the line.
  EXPECT_EQ(ProfileSetString("s", "n", "3", nullptr), 1);
  EXPECT_EQ(ProfileSetString("s", "d", nullptr, nullptr), 1);
  // A section an edit adds comes before the text after the NUL, where readers read it.
  EXPECT_EQ(ProfileSetString("new", "a", "1", nullptr), 1);
  char buffer[16];
  ProfileGetString("s", "k", "-", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "v");
  EXPECT_EQ(ProfileGetInt("s", "n", -1, nullptr), 3);
  EXPECT_EQ(ProfileGetInt("s", "d", -1, nullptr), -1);
  EXPECT_EQ(SaveProfileText(),
            "[s]\r\nk=\"v\0old\"\r\nn=3\r\n[open\r\n\r\n[t]\r\nz=1\r\n\r\n[new]\r\na=1\r\n\r\n"
            "\0rest"s);
  // Clearing a section drops the lines kept in it.
  EXPECT_EQ(ProfileSetString("s", nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(SaveProfileText(), "[t]\r\nz=1\r\n\r\n[new]\r\na=1\r\n\r\n\0rest"s);
}

TEST_F(ProfileWriteTest, SetOperationsCreateTheModelAndAppendInOrder) {
  EXPECT_EQ(ProfileSave("/tmp/never-written.ini"), 0);  // no model, nothing to save
  EXPECT_EQ(ProfileSetString("b", "k", "1", nullptr), 1);
  EXPECT_EQ(ProfileSetQuotedString("a", "name", "x y", nullptr), 1);
  EXPECT_EQ(ProfileSetQuotedString("a", "empty", "", nullptr), 1);
  EXPECT_EQ(ProfileSetQuotedString("a", "null", nullptr, nullptr), 1);
  EXPECT_EQ(ProfileSetInt("b", "n", -42, nullptr), 1);
  EXPECT_EQ(ProfileSetInt("B", "K", 2147483647, nullptr), 1);  // replaces "k" in place
  EXPECT_EQ(ProfileSetString(nullptr, "k", "v", nullptr), 0);
  EXPECT_EQ(ProfileSetString("c", "k", nullptr, nullptr), 0);  // nothing to delete, nothing added
  EXPECT_EQ(SaveProfileText(),
            "[b]\r\nk=2147483647\r\nn=-42\r\n\r\n"
            "[a]\r\nname=\"x y\"\r\nempty=\r\nnull=\r\n\r\n");
}

// Values set after a load live apart from the file's text; whatever their sizes, every one
// set earlier must still read back after many more, and the file's own values beside them.
TEST_F(ProfileWriteTest, ManySetsOfMixedSizesAllReadBackAndSurviveASave) {
  ASSERT_EQ(LoadProfileText("[s]\r\nkept=file value\r\nk0=old\r\n"), 1);
  std::vector<std::string> values;
  for (int i = 0; i < 600; ++i) {
    // Empty, short, past a quarter of a shared block, and several blocks long.
    std::size_t const sizes[] = {0, 7, 4097, 40000};
    values.push_back(std::string(sizes[i % 4], static_cast<char>('a' + i % 26)) +
                     std::to_string(i));
    std::string key = "k" + std::to_string(i % 300);  // the second round replaces the first
    ASSERT_EQ(ProfileSetString("s", key.c_str(), values.back().c_str(), nullptr), 1);
  }
  std::vector<char> buffer(50000);
  for (int i = 300; i < 600; ++i) {
    std::string key = "k" + std::to_string(i % 300);
    ProfileGetString("s", key.c_str(), "", buffer.data(), static_cast<int>(buffer.size()), nullptr);
    ASSERT_EQ(std::string(buffer.data()), values[i]) << key;
  }
  ProfileGetString("s", "kept", "", buffer.data(), static_cast<int>(buffer.size()), nullptr);
  EXPECT_STREQ(buffer.data(), "file value");

  std::string saved = SaveProfileText();
  ASSERT_EQ(LoadProfileText(saved), 1);
  EXPECT_EQ(SaveProfileText(), saved);
  ProfileGetString("s", "k299", "", buffer.data(), static_cast<int>(buffer.size()), nullptr);
  EXPECT_EQ(std::string(buffer.data()), values[599]);
}

TEST_F(ProfileWriteTest, NullKeyClearsAndNullValueDeletes) {
  ASSERT_EQ(LoadProfileText("[a]\r\nk=1\r\n#c\r\n[b]\r\nk=1\r\nk=2\r\nm=3\r\n[c]\r\nz=9\r\n"), 1);
  EXPECT_EQ(ProfileSetString("a", nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(ProfileGetInt("a", "k", -1, nullptr), -1);
  EXPECT_EQ(ProfileSetString("b", "k", nullptr, nullptr), 1);
  // The later duplicate now answers, and a set changes it, not the deleted one.
  EXPECT_EQ(ProfileGetInt("b", "k", -1, nullptr), 2);
  EXPECT_EQ(ProfileSetInt("b", "k", 5, nullptr), 1);
  EXPECT_EQ(ProfileSetString("b", "k", nullptr, nullptr), 1);
  EXPECT_EQ(ProfileGetInt("b", "k", -1, nullptr), -1);
  EXPECT_EQ(SaveProfileText(), "[b]\r\nm=3\r\n\r\n[c]\r\nz=9\r\n\r\n");
  // A cleared section keeps its place when it gains keys again.
  EXPECT_EQ(ProfileSetString("a", "new", "1", nullptr), 1);
  EXPECT_EQ(ProfileSetString("b", "k", "again", nullptr), 1);
  EXPECT_EQ(SaveProfileText(),
            "[a]\r\nnew=1\r\n\r\n[b]\r\nm=3\r\nk=again\r\n\r\n[c]\r\nz=9\r\n\r\n");
}

TEST_F(ProfileWriteTest, SaveWithNoEntriesWritesAnEmptyFile) {
  ASSERT_EQ(LoadProfileText("[a]\r\nk=1\r\n"), 1);
  ProfileSetString("a", nullptr, nullptr, nullptr);
  TempFolder folder;
  std::string path = folder.File("pimbo.ini");
  WriteBytes(path, "old");
  EXPECT_EQ(ProfileSave(path.c_str()), 1);
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(ProfileWriteTest, SaveLeavesTheModelAsItWas) {
  ASSERT_EQ(LoadProfileText("[s]\r\nk=v\r\n"), 1);
  std::string first = SaveProfileText();
  EXPECT_EQ(SaveProfileText(), first);
  EXPECT_EQ(ProfileGetInt("s", "missing", 3, nullptr), 3);
  char buffer[8];
  ProfileGetString("s", "k", "", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "v");
}

// Texts the editor takes from its fields or from dropped files may hold line breaks; written as
// they are, they would end the key's line and start lines of their own.
TEST_F(ProfileWriteTest, LineBreaksInValuesBecomeBlanks) {
  ASSERT_EQ(LoadProfileText("[s]\r\nk=old\r\nnext=1\r\n"), 1);
  EXPECT_EQ(ProfileSetQuotedString("s", "k", "a\r\n[t]\r\nx=1\rb\n\x95\x5C\t\x01", nullptr), 1);
  EXPECT_EQ(ProfileSetString("s", "raw", "\r\n#c", nullptr), 1);
  EXPECT_EQ(ProfileSetString("s", "next", nullptr, nullptr), 1);  // deleting is unchanged
  std::string saved = SaveProfileText();
  EXPECT_EQ(saved, "[s]\r\nk=\"a  [t]  x=1 b \x95\x5C\t\x01\"\r\nraw=  #c\r\n\r\n");
  ProfileFree();
  ASSERT_EQ(LoadProfileText(saved), 1);
  char buffer[64];
  ProfileGetString("s", "k", "", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "a  [t]  x=1 b \x95\x5C\t\x01");
  EXPECT_EQ(ProfileGetString("t", "x", "none", buffer, sizeof buffer, nullptr), 4);
  EXPECT_STREQ(buffer, "none");
  EXPECT_EQ(ProfileGetInt("s", "next", -1, nullptr), -1);
  EXPECT_EQ(Normalise(saved), saved);
}

TEST_F(ProfileWriteTest, LineBreaksInNamesBecomeBlanks) {
  ASSERT_EQ(LoadProfileText("[s]\r\nk=1\r\n[after]\r\nm=2\r\n"), 1);
  EXPECT_EQ(ProfileSetString("s", "key\r\nother", "v", nullptr), 1);
  EXPECT_EQ(ProfileSetString("new\r\n[s]", "k\n", "w", nullptr), 1);
  std::string saved = SaveProfileText();
  EXPECT_EQ(saved,
            "[s]\r\nk=1\r\nkey  other=v\r\n\r\n[after]\r\nm=2\r\n\r\n"
            "[new  [s]]\r\nk=w\r\n\r\n");
  ProfileFree();
  ASSERT_EQ(LoadProfileText(saved), 1);
  EXPECT_EQ(ProfileGetInt("s", "k", 0, nullptr), 1);  // no second section "s" took its place
  EXPECT_EQ(ProfileGetInt("after", "m", 0, nullptr), 2);
  char buffer[8];
  ProfileGetString("s", "key  other", "", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "v");
  ProfileGetString("new  [s]", "k", "", buffer, sizeof buffer, nullptr);
  EXPECT_STREQ(buffer, "w");
  // A name of line breaks only is no name once trimmed: no section is made.
  EXPECT_EQ(ProfileSetString("\r\n", "k", "v", nullptr), 0);
}

// Commands held by the test: the texts point at string literals, so nothing is freed.
struct TestCommand {
  const char* name;
  const char* key;
  int type;
  const char* exe;
  const char* file;
};

class SaveCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeCommandList(&loaded_);
    ProfileFree();
  }

  // Saves commands through SaveCommands into pimbo.ini of the test's folder.
  int Save(const std::vector<TestCommand>& commands) {
    records_.assign(commands.size(), CommandRecord{});
    CommandList list;
    for (std::size_t i = 0; i < commands.size(); ++i) {
      CommandRecord& r = records_[i];
      r.name = const_cast<char*>(commands[i].name);
      r.key = const_cast<char*>(commands[i].key);
      r.type = commands[i].type;
      r.exe = const_cast<char*>(commands[i].exe);
      r.file = const_cast<char*>(commands[i].file);
      r.prev = list.tail;
      if (list.tail)
        list.tail->next = &r;
      else
        list.head = &r;
      list.tail = &r;
      ++list.count;
    }
    return SaveCommands(Path().c_str(), list);
  }

  std::string Path() const { return folder_.File("pimbo.ini"); }

  TempFolder folder_;
  std::vector<CommandRecord> records_;
  CommandList loaded_;
};

TEST_F(SaveCommandsTest, WritesQuotedTextsAndCountIntoANewFile) {
  EXPECT_EQ(Save({{"Memo", "m", CMD_APP, "notepad.exe", ""},
                  {"\x95\x5C", nullptr, CMD_CONTROL, "2", nullptr}}),
            1);
  EXPECT_EQ(ReadBytes(Path()),
            "[commands]\r\n"
            "command name0=\"Memo\"\r\ncommand key0=\"m\"\r\ncommand type0=0\r\n"
            "command exe0=\"notepad.exe\"\r\ncommand file0=\r\n"
            "command name1=\"\x95\x5C\"\r\ncommand key1=\r\ncommand type1=4\r\n"
            "command exe1=\"2\"\r\ncommand file1=\r\n\r\n"
            "[settings]\r\ncommand count=2\r\n\r\n");
}

TEST_F(SaveCommandsTest, NullTextsOfNewRecordsAreWrittenEmpty) {
  CommandRecord* record = NewCommandRecord(nullptr, nullptr, CMD_SCREENSAVER, nullptr, nullptr);
  ASSERT_NE(record, nullptr);
  CommandList list;
  LinkCommandRecords(&record, 1, &list);
  EXPECT_EQ(SaveCommands(Path().c_str(), list), 1);
  FreeCommandList(&list);
  EXPECT_EQ(ReadBytes(Path()),
            "[commands]\r\ncommand name0=\r\ncommand key0=\r\ncommand type0=3\r\n"
            "command exe0=\r\ncommand file0=\r\n\r\n[settings]\r\ncommand count=1\r\n\r\n");
}

TEST_F(SaveCommandsTest, CommandTextsWithLineBreaksStayOneKeyEach) {
  ASSERT_EQ(Save({{"two\r\nlines", "k", CMD_APP, "a.exe\n", "\r\ncommand count=9"}}), 1);
  LoadCommands(Path().c_str(), &loaded_, CommandReader::Editor);
  ASSERT_EQ(loaded_.count, 1);
  EXPECT_STREQ(loaded_.head->name, "two  lines");
  EXPECT_STREQ(loaded_.head->key, "k");
  EXPECT_STREQ(loaded_.head->exe, "a.exe ");
  EXPECT_STREQ(loaded_.head->file, "  command count=9");
}

TEST_F(SaveCommandsTest, KeepsOtherContentAndAppendsNewKeysAtTheEnd) {
  WriteBytes(Path(),
             "top=1\r\n[settings]\r\nhot key=305\r\ncommand count=1\r\nNoTray=0\r\n"
             "[commands]\r\n# mine\r\ncommand name0=\"old\"\r\nextra=keep\r\n[other]\r\nx=y\r\n");
  EXPECT_EQ(Save({{"a", "a", 0, "", ""}, {"b", "b", 3, "", ""}}), 1);
  EXPECT_EQ(ReadBytes(Path()),
            "top=1\r\n\r\n"
            "[settings]\r\nhot key=305\r\ncommand count=2\r\nNoTray=0\r\n\r\n"
            "[commands]\r\n# mine\r\ncommand name0=\"a\"\r\nextra=keep\r\n"
            "command key0=\"a\"\r\ncommand type0=0\r\ncommand exe0=\r\ncommand file0=\r\n"
            "command name1=\"b\"\r\ncommand key1=\"b\"\r\ncommand type1=3\r\n"
            "command exe1=\r\ncommand file1=\r\n\r\n"
            "[other]\r\nx=y\r\n\r\n");
}

TEST_F(SaveCommandsTest, ShorterListLeavesHigherIndicesUnread) {
  ASSERT_EQ(Save({{"0", "a", 0, "", ""}, {"1", "b", 0, "", ""}, {"2", "c", 0, "", ""},
                  {"3", "d", 0, "", ""}, {"4", "e", 0, "", ""}}),
            1);
  ASSERT_EQ(Save({{"x", "x", 0, "", ""}, {"y", "y", 0, "", ""}, {"z", "z", 0, "", ""}}), 1);
  std::string text = ReadBytes(Path());
  EXPECT_NE(text.find("command count=3\r\n"), std::string::npos);
  EXPECT_NE(text.find("command name3=\"3\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("command key4=\"e\"\r\n"), std::string::npos);
  LoadCommands(Path().c_str(), &loaded_, CommandReader::Editor);
  ASSERT_EQ(loaded_.count, 3);
  EXPECT_STREQ(loaded_.tail->name, "z");
}

TEST_F(SaveCommandsTest, LongestKeyAndNameSurviveASaveAndReload) {
  std::string name(255, 'n');
  name.replace(0, 2, "\x95\x5C");
  std::string key(32, 'k');
  std::string file(1023, 'f');
  ASSERT_EQ(Save({{name.c_str(), key.c_str(), CMD_APP, "a.exe", file.c_str()}}), 1);
  for (CommandReader reader : {CommandReader::Launcher, CommandReader::Editor}) {
    FreeCommandList(&loaded_);
    LoadCommands(Path().c_str(), &loaded_, reader);
    ASSERT_EQ(loaded_.count, 1);
    EXPECT_EQ(loaded_.head->name, name);
    EXPECT_EQ(loaded_.head->key, key);
    EXPECT_EQ(std::string(loaded_.head->file).size(),
              reader == CommandReader::Editor ? 1023u : 255u);
  }
}

TEST_F(SaveCommandsTest, UnreadableExistingFileIsNotReplaced) {
  // A folder stands where the file should be: it exists but cannot be read as a file.
  std::string path = folder_.File("folder.ini");
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  CommandList empty;
  EXPECT_EQ(SaveCommands(path.c_str(), empty), 0);
  EXPECT_EQ(ProfileGetInt("settings", "command count", -1, nullptr), -1);  // no model left
}

}  // namespace
