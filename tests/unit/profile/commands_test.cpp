// Loading the command list from pimbo.ini: counts, missing keys, limits of each reader, and
// hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "command_walk.h"
#include "commands.h"
#include "configuration.h"
#include "looked_up_commands.h"
#include "profile.h"
#include "profile_files.h"

namespace {

class LoadCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeCommandList(&list_); }

  // Loads text as pimbo.ini with the given reader; returns the records head to tail.
  std::vector<CommandRecord*> Load(const std::string& text,
                                   CommandReader reader = CommandReader::Editor) {
    FreeCommandList(&list_);
    WriteBytes(folder_.File("pimbo.ini"), text);
    LoadCommands(folder_.File("pimbo.ini").c_str(), &list_, reader);
    std::vector<CommandRecord*> records;
    const CommandRecord* prev = nullptr;
    for (CommandRecord* r = list_.head; r; r = r->next) {
      EXPECT_EQ(r->prev, prev);
      prev = r;
      records.push_back(r);
    }
    EXPECT_EQ(list_.tail, prev);
    EXPECT_EQ(list_.count, static_cast<int>(records.size()));
    return records;
  }

  TempFolder folder_;
  CommandList list_;
};

std::string Command(int i, const std::string& name, const std::string& key, const std::string& type,
                    const std::string& exe, const std::string& file) {
  std::string n = std::to_string(i);
  return "command name" + n + "=" + name + "\r\ncommand key" + n + "=" + key +
         "\r\ncommand type" + n + "=" + type + "\r\ncommand exe" + n + "=" + exe +
         "\r\ncommand file" + n + "=" + file + "\r\n";
}

const char kTwoCommands[] =
    "[settings]\r\ncommand count=2\r\n\r\n[commands]\r\n"
    "command name0=\"\x83\x81\x83\x82\x92\xA0\"\r\ncommand key0=\"m\"\r\ncommand type0=0\r\n"
    "command exe0=\"%WINDIR%\\notepad.exe\"\r\ncommand file0=\r\n"
    "command name1=\"Folder\"\r\ncommand key1=\"f\"\r\ncommand type1=1\r\n"
    "command exe1=\"1\"\r\ncommand file1=\"C:\\\x95\x5C\\\"\r\n";

TEST_F(LoadCommandsTest, ReadsRecordsInIndexOrderWithQuotesStripped) {
  auto records = Load(kTwoCommands);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0]->name, "\x83\x81\x83\x82\x92\xA0");
  EXPECT_STREQ(records[0]->key, "m");
  EXPECT_EQ(records[0]->type, CMD_APP);
  EXPECT_STREQ(records[0]->exe, "%WINDIR%\\notepad.exe");
  EXPECT_STREQ(records[0]->file, "");
  EXPECT_STREQ(records[1]->name, "Folder");
  EXPECT_EQ(records[1]->type, CMD_FOLDER);
  EXPECT_STREQ(records[1]->exe, "1");
  EXPECT_STREQ(records[1]->file, "C:\\\x95\x5C\\");
}

TEST_F(LoadCommandsTest, LauncherHoldsEmptyExeAndFileAsNull) {
  auto records = Load(kTwoCommands, CommandReader::Launcher);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0]->exe, "%WINDIR%\\notepad.exe");
  EXPECT_EQ(records[0]->file, nullptr);
  EXPECT_STREQ(records[1]->file, "C:\\\x95\x5C\\");
  records = Load("[settings]\r\ncommand count=1\r\n", CommandReader::Launcher);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0]->name, "");  // name and key are never null
  EXPECT_STREQ(records[0]->key, "");
  EXPECT_EQ(records[0]->exe, nullptr);
  EXPECT_EQ(records[0]->file, nullptr);
}

TEST_F(LoadCommandsTest, CountDecidesHowManyRecordsAreBuilt) {
  struct {
    const char* count;  // null: no "command count" key
    std::size_t expected;
  } cases[] = {
      {nullptr, 0}, {"0", 0}, {"-3", 0}, {"two", 0}, {"2x", 0}, {"\"1\"", 1},
      {" 2 ", 2},   {"3", 3},
  };
  for (const auto& c : cases) {
    std::string text = "[settings]\r\n";
    if (c.count) text += "command count=" + std::string(c.count) + "\r\n";
    text += "[commands]\r\n" + Command(0, "\"a\"", "\"a\"", "0", "", "") +
            Command(1, "\"b\"", "\"b\"", "0", "", "");
    EXPECT_EQ(Load(text).size(), c.expected) << "command count=" << (c.count ? c.count : "(none)");
  }
}

TEST_F(LoadCommandsTest, MissingKeysGiveEmptyTextsAndTypeZero) {
  auto records = Load("[settings]\r\ncommand count=3\r\n[commands]\r\ncommand name1=\"only\"\r\n"
                      "command type2=x\r\n");
  ASSERT_EQ(records.size(), 3u);
  for (CommandRecord* r : records) {
    EXPECT_STREQ(r->key, "");
    EXPECT_EQ(r->type, 0);
    EXPECT_STREQ(r->exe, "");
    EXPECT_STREQ(r->file, "");
  }
  EXPECT_STREQ(records[0]->name, "");
  EXPECT_STREQ(records[1]->name, "only");
}

TEST_F(LoadCommandsTest, TypesOutsideTheTableAreKept) {
  auto records = Load("[settings]\r\ncommand count=3\r\n[commands]\r\ncommand type0=7\r\n"
                      "command type1=-1\r\ncommand type2=2147483647\r\n");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0]->type, 7);
  EXPECT_EQ(records[1]->type, -1);
  EXPECT_EQ(records[2]->type, 2147483647);
}

TEST_F(LoadCommandsTest, TextsAreCutToEachReadersLimits) {
  std::string text = "[settings]\r\ncommand count=1\r\n[commands]\r\n" +
                     Command(0, "\"" + std::string(300, 'n') + "\"",
                             "\"" + std::string(40, 'k') + "\"",
                             "6", "\"" + std::string(300, 'e') + "\"",
                             "\"" + std::string(1100, 'f') + "\"");
  for (CommandReader reader : {CommandReader::Launcher, CommandReader::Editor}) {
    auto records = Load(text, reader);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::string(records[0]->name), std::string(255, 'n'));
    EXPECT_EQ(std::string(records[0]->key), std::string(32, 'k'));
    EXPECT_EQ(std::string(records[0]->exe), std::string(255, 'e'));
    std::size_t fileLimit = reader == CommandReader::Launcher ? 255 : 1023;
    EXPECT_EQ(std::string(records[0]->file), std::string(fileLimit, 'f'));
  }
}

// The editor cuts a text past its limit between characters (a save would write a lone lead
// byte back otherwise); the launcher keeps the limit's bytes and cuts where it shows them.
TEST_F(LoadCommandsTest, EditorCutsTextsPastTheirLimitsBetweenCharacters) {
  auto times = [](const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
  };
  const std::string a = "\x82\xA0";   // あ
  const std::string table = "\x95\x5C";  // 表, whose second byte is a backslash
  std::string text = "[settings]\r\ncommand count=2\r\n[commands]\r\n" +
                     Command(0, "\"" + times(a, 200) + "\"", times(a, 20), "0",
                             "x" + times(table, 200), "\"" + times(a, 600) + "\"") +
                     // One byte short of each limit, then a character across it.
                     Command(1, std::string(254, 'n') + table, std::string(31, 'k') + a, "0",
                             std::string(254, 'e') + a, std::string(1022, 'f') + table);
  struct Expected {
    std::string name, key, exe, file;
  };
  const Expected editor[] = {
      {times(a, 127), times(a, 16), "x" + times(table, 127), times(a, 511)},
      {std::string(254, 'n'), std::string(31, 'k'), std::string(254, 'e'),
       std::string(1022, 'f')},
  };
  const Expected launcher[] = {
      {times(a, 127) + "\x82", times(a, 16), "x" + times(table, 127),
       times(a, 127) + "\x82"},
      {std::string(254, 'n') + "\x95", std::string(31, 'k') + "\x82",
       std::string(254, 'e') + "\x82", std::string(255, 'f')},
  };
  for (CommandReader reader : {CommandReader::Editor, CommandReader::Launcher}) {
    SCOPED_TRACE(reader == CommandReader::Editor ? "editor" : "launcher");
    auto records = Load(text, reader);
    ASSERT_EQ(records.size(), 2u);
    for (int i = 0; i < 2; ++i) {
      const Expected& want = reader == CommandReader::Editor ? editor[i] : launcher[i];
      EXPECT_EQ(std::string(records[i]->name), want.name) << "command " << i;
      EXPECT_EQ(std::string(records[i]->key), want.key) << "command " << i;
      EXPECT_EQ(std::string(records[i]->exe), want.exe) << "command " << i;
      EXPECT_EQ(std::string(records[i]->file), want.file) << "command " << i;
    }
  }
  // The per-key lookups, which loading falls back on without memory for its walk, cut alike.
  ASSERT_EQ(LoadProfileText(text), 1);
  EXPECT_EQ(LoadingDiffersFromLookups(), "");
  ProfileFree();

  // An OK in the editor writes the cut name back whole: 127 characters, no lone lead byte.
  Load(text, CommandReader::Editor);
  ASSERT_EQ(SaveCommands(folder_.File("pimbo.ini").c_str(), list_), 1);
  std::string const saved = ReadBytes(folder_.File("pimbo.ini"));
  EXPECT_NE(saved.find("command name0=\"" + times(a, 127) + "\"\r\n"), std::string::npos);
  EXPECT_NE(saved.find("command name1=\"" + std::string(254, 'n') + "\"\r\n"),
            std::string::npos);
}

TEST_F(LoadCommandsTest, MissingOrEmptyFileGivesNoCommands) {
  LoadCommands(folder_.File("absent.ini").c_str(), &list_, CommandReader::Launcher);
  EXPECT_EQ(list_.head, nullptr);
  EXPECT_EQ(list_.count, 0);
  EXPECT_TRUE(Load("").empty());
  // The model is released after loading: later lookups see nothing.
  EXPECT_EQ(ProfileGetInt("settings", "command count", -1, nullptr), -1);
}

TEST_F(LoadCommandsTest, FromTheLoadedModelTheModelStaysForTheSettings) {
  WriteBytes(folder_.File("pimbo.ini"), kTwoCommands);
  ASSERT_EQ(ProfileLoad(folder_.File("pimbo.ini").c_str()), 1);
  LoadCommandsFromProfile(&list_, CommandReader::Launcher);
  ASSERT_EQ(list_.count, 2);
  EXPECT_STREQ(list_.tail->key, "f");
  EXPECT_EQ(ProfileGetInt("settings", "command count", -1, nullptr), 2);
  ProfileFree();
  // No model: no commands, and the list is left as it was.
  FreeCommandList(&list_);
  LoadCommandsFromProfile(&list_, CommandReader::Launcher);
  EXPECT_EQ(list_.head, nullptr);
  EXPECT_EQ(list_.count, 0);
}

TEST_F(LoadCommandsTest, HostileFilesLoadWithoutFaults) {
  std::mt19937 random(20240501);
  std::string garbage(65536, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  garbage[0] = 'x';  // a NUL first would end the parse at once
  Load(garbage);
  Load("[settings]\r\ncommand count=1\r\n" + garbage);

  std::string longLine(100 * 1024, '=');
  Load(longLine + "\r\n[" + longLine + "\r\n" + std::string(100 * 1024, '[') + "]\r\n");
  auto records = Load("[settings]\r\ncommand count=1\r\n[commands]\r\ncommand name0=" +
                      std::string(100 * 1024, 'x') + "\r\n");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(std::string(records[0]->name).size(), 255u);
}

// Loading takes every command's keys in one walk over the section instead of a lookup per
// key; on files that bend the key names, the records must be what the lookups give.
class WalkedCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override { ProfileFree(); }

  // Loads text and compares both readers' records, and the launcher's one pass over the text,
  // with the lookups; the first difference.
  static std::string Check(const std::string& text) {
    if (LoadProfileText(text) != 1) return "the file did not load";
    std::string difference = LoadingDiffersFromLookups();
    return difference.empty() ? OnePassDiffersFromLookups(text) : difference;
  }
};

TEST_F(WalkedCommandsTest, KeyNamesThatBendTheRulesReadAsLookupsReadThem) {
  EXPECT_EQ(Check("[settings]\r\ncommand count=4\r\n[commands]\r\n"
                  // Case of ASCII letters ignored; the first of a name counts, blank or not.
                  "COMMAND NAME0=upper\r\ncommand name0=second\r\nCommand Key0=\r\n"
                  "command key0=later\r\n"
                  // Not the plain decimal form: no command of these.
                  "command name01=zero\r\ncommand name+1=plus\r\ncommand name 1=blank\r\n"
                  "command name1x=tail\r\ncommand name65536=far\r\ncommand name4=past count\r\n"
                  // A line without "=" is a key with an empty value; a comment is none.
                  "command name1\r\ncommand name1=shadowed\r\n#command name2=comment\r\n"
                  "  command name2  =  \"  quoted  \"  \r\ncommand type2=  -7 \r\n"
                  "command type1=99999999999\r\ncommand type0=12abc\r\ncommand exe2=\"\r\n"
                  "command file3=" + std::string(1500, 'f') + "\r\ncommand key3=" +
                  std::string(40, 'k') + "\r\ncommand name3=\"\x95\x5C\"\r\n"
                  // A second section of the name is never read; a blank header hides its keys.
                  "[Commands]\r\ncommand exe0=ignored\r\n[ ]\r\ncommand exe1=hidden\r\n"
                  "[commands]\r\ncommand exe3=ignored too\r\n"),
            "");
  EXPECT_EQ(Check("[settings]\r\ncommand count=2\r\n"), "") << "no commands section";
  EXPECT_EQ(Check("[commands]\r\ncommand name0=a\r\n[settings]\r\ncommand count=1\r\n"), "")
      << "the commands before the settings";
}

TEST_F(WalkedCommandsTest, RandomFilesOfCommandKeysReadAsLookupsReadThem) {
  std::mt19937 random(20261209);
  auto pick = [&random](const std::vector<std::string>& from) {
    return from[random() % from.size()];
  };
  const std::vector<std::string> stems = {"command name", "command key", "command type",
                                          "command exe",  "command file", "COMMAND Name",
                                          "Command KEY",  "command  name", "command"};
  const std::vector<std::string> indexes = {"0", "1", "2", "3", "01", " 1", "1 ", "00", "-1",
                                            "65536", "99999", "123456", ""};
  const std::vector<std::string> values = {
      "",      "\"q\"",  "  x  ", "\"",   "\"\"",   "12",  "+3", "-4", "7x",
      "99999999999", "\x82\xA0\x95\x5C", std::string(300, 'v'), std::string(1100, 'w')};
  const std::vector<std::string> headers = {"[commands]", "[COMMANDS]", "[ commands ]",
                                            "[settings]", "[ ]", "[other]"};
  for (int round = 0; round < 300; ++round) {
    std::string text = "[settings]\r\ncommand count=" + std::to_string(random() % 5) + "\r\n";
    int lines = static_cast<int>(random() % 40);
    for (int i = 0; i < lines; ++i) {
      switch (random() % 10) {
        case 0: text += pick(headers); break;
        case 1: text += "#" + pick(stems) + pick(indexes) + "=c"; break;
        case 2: text += pick(stems) + pick(indexes); break;  // no "="
        default: text += pick(stems) + pick(indexes) + (random() % 2 ? "=" : " = ") + pick(values);
      }
      text += "\r\n";
    }
    std::string difference = Check(text);
    ASSERT_EQ(difference, "") << "round " << round << " on:\n" << text;
  }
}

TEST_F(WalkedCommandsTest, RandomSettingsAndBytesReadInOnePassAsLookupsReadThem) {
  // Settings in every spelling, sections in every order, and the bytes that end or cut a line
  // at every place of a 16-byte block.
  std::mt19937 random(20261210);
  auto pick = [&random](const std::vector<std::string>& from) {
    return from[random() % from.size()];
  };
  const std::vector<std::string> names = {
      "hot key", "HOT KEY", " hot key ", "hotkey", "FGColor", "bgcolor", "XPOINT", "ypoint",
      "HIDE TIME", "NoTray", "command count", "Command Count", "command name0", "command key1",
      "command type0", "command exe1", "command file2", "x", std::string(20, 'n'),
      std::string(300, 'h') + "hot key"};
  const std::vector<std::string> values = {
      "",   "305", "\"305\"", " -1 ", "\"", "3", "2", "0x10", std::string(40, '7'),
      "\"" + std::string(29, 'q') + "\"", std::string("1\0" "2", 3), "a=b", "\x82\xA0",
      "'305'", "\t0x131\v", "\"1\x81\"", "\"" + std::string(29, '9') + "\""};
  const std::vector<std::string> headers = {"[settings]", "[Settings]", "[ settings ]",
                                            "[commands]", "[ ]",        "[]",
                                            "[other]",    "[settings",  std::string("[set\0x]", 8)};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r\n\r\n"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int lines = static_cast<int>(random() % 30);
    for (int i = 0; i < lines; ++i) {
      switch (random() % 8) {
        case 0: text += pick(headers); break;
        case 1: text += "#" + pick(names); break;
        case 2: text += pick(names); break;  // no "="
        case 3: {
          // Filler that puts the "=" and a NUL anywhere in the line's blocks.
          std::string line(random() % 40 + 1, 'f');
          line[random() % line.size()] = '=';
          if (random() % 2) line[random() % line.size()] = '\0';
          text += line;
          break;
        }
        default: text += pick(names) + "=" + pick(values);
      }
      text += pick(ends);
    }
    if (random() % 10 == 0) text += std::string("\0tail=ignored", 13);
    std::string difference = Check(text);
    ASSERT_EQ(difference, "") << "round " << round << " on:\n" << text;
  }
}

TEST_F(LoadCommandsTest, LauncherReadsSettingsAndCommandsFromTheFileAndAMissingOneAsEmpty) {
  WriteBytes(folder_.File("pimbo.ini"),
             std::string("[settings]\r\nhot key=\"561\"\r\n") + (kTwoCommands + 12));
  char hotKey[30];
  char noTray[30];
  SettingText settings[] = {{KEY_HOT_KEY, hotKey, sizeof hotKey, 0, false},
                            {KEY_NO_TRAY, noTray, sizeof noTray, 7, true}};
  LoadLauncherProfile(folder_.File("pimbo.ini").c_str(), settings, 2, &list_);
  EXPECT_STREQ(hotKey, "561");
  EXPECT_TRUE(settings[0].found);
  EXPECT_FALSE(settings[1].found);
  EXPECT_EQ(settings[1].length, 0);
  ASSERT_EQ(list_.count, 2);
  EXPECT_STREQ(list_.head->key, "m");
  EXPECT_STREQ(list_.tail->file, "C:\\\x95\x5C\\");
  EXPECT_EQ(list_.head->file, nullptr);

  FreeCommandList(&list_);
  LoadLauncherProfile(folder_.File("missing.ini").c_str(), settings, 2, &list_);
  EXPECT_FALSE(settings[0].found);
  EXPECT_STREQ(hotKey, "");
  EXPECT_EQ(list_.count, 0);
  LoadLauncherProfile(nullptr, settings, 2, &list_);
  EXPECT_EQ(list_.count, 0);
}

TEST_F(LoadCommandsTest, HugeCountWithNoKeysIsCappedAndFast) {
  auto start = std::chrono::steady_clock::now();
  auto records = Load("[settings]\r\ncommand count=2147483647\r\n", CommandReader::Launcher);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(records.size(), static_cast<std::size_t>(COMMAND_COUNT_LIMIT));
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

// The time of the fastest of three loads of a file of count commands.
std::chrono::duration<double> FastestLoad(const TempFolder& folder, int count) {
  std::string text = "[settings]\r\ncommand count=" + std::to_string(count) + "\r\n[commands]\r\n";
  for (int i = 0; i < count; ++i)
    text += Command(i, "\"Command " + std::to_string(i) + "\"", "\"k" + std::to_string(i) + "\"",
                    "0", "\"C:\\tool.exe\"", "\"file.txt\"");
  std::string path = folder.File("scale" + std::to_string(count) + ".ini");
  WriteBytes(path, text);
  std::chrono::duration<double> best(1e9);
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    CommandList list;
    LoadCommands(path.c_str(), &list, CommandReader::Editor);
    FreeCommandList(&list);
    best = std::min<std::chrono::duration<double>>(best, std::chrono::steady_clock::now() - start);
  }
  return best;
}

// Loading must stay linear: a lookup per key that scanned the section would make ten times
// the commands cost about a hundred times the time. The bound leaves room for the sanitizers,
// caches and a busy machine.
TEST_F(LoadCommandsTest, LoadingTimeGrowsLinearly) {
  auto small = FastestLoad(folder_, 1000);
  auto large = FastestLoad(folder_, 10000);
  EXPECT_LT(large.count() / small.count(), 30.0)
      << "1,000 commands: " << small.count() * 1000 << " ms, 10,000: " << large.count() * 1000
      << " ms";
}

TEST_F(LoadCommandsTest, FreeCommandListEmptiesTheList) {
  Load(kTwoCommands);
  FreeCommandList(&list_);
  EXPECT_EQ(list_.head, nullptr);
  EXPECT_EQ(list_.tail, nullptr);
  EXPECT_EQ(list_.count, 0);
  FreeCommandList(&list_);  // a second call finds nothing to free
  FreeCommandList(nullptr);
}

// Records the editor makes: copies of its texts, null kept as null, links cleared.
TEST(CommandRecords, NewRecordCopiesTextsAndKeepsNullTexts) {
  char name[] = "\x83\x81\x83\x82";
  CommandRecord* record = NewCommandRecord(name, "m", CMD_FOLDER, "", "C:\\\x95\x5C");
  ASSERT_NE(record, nullptr);
  name[0] = 'x';  // the record holds its own copy
  EXPECT_STREQ(record->name, "\x83\x81\x83\x82");
  EXPECT_STREQ(record->key, "m");
  EXPECT_EQ(record->type, CMD_FOLDER);
  ASSERT_NE(record->exe, nullptr);  // an empty text stays an empty text
  EXPECT_STREQ(record->exe, "");
  EXPECT_STREQ(record->file, "C:\\\x95\x5C");
  EXPECT_EQ(record->next, nullptr);
  EXPECT_EQ(record->prev, nullptr);
  FreeCommandRecord(record);

  CommandRecord* bare = NewCommandRecord(nullptr, nullptr, 99, nullptr, nullptr);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->name, nullptr);
  EXPECT_EQ(bare->key, nullptr);
  EXPECT_EQ(bare->type, 99);
  EXPECT_EQ(bare->exe, nullptr);
  EXPECT_EQ(bare->file, nullptr);
  FreeCommandRecord(bare);
  FreeCommandRecord(nullptr);
}

// Records made one by one and linked as the rows of a list stand, then relinked after rows
// were removed or reordered; the sanitizer sees any record freed twice or lost.
class LinkCommandRecordsTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeCommandList(&list_); }

  // The keys of the list walked both ways, checking each link against its neighbour.
  std::string Keys() const {
    std::string forward;
    const CommandRecord* prev = nullptr;
    int count = 0;
    for (const CommandRecord* r = list_.head; r; r = r->next, ++count) {
      EXPECT_EQ(r->prev, prev);
      prev = r;
      forward += r->key;
    }
    EXPECT_EQ(list_.tail, prev);
    EXPECT_EQ(list_.count, count);
    std::string backward;
    for (const CommandRecord* r = list_.tail; r; r = r->prev) backward.insert(0, r->key);
    EXPECT_EQ(backward, forward);
    return forward;
  }

  CommandList list_;
};

TEST_F(LinkCommandRecordsTest, NoRecordsGiveAnEmptyList) {
  CommandRecord* stale = NewCommandRecord("n", "k", CMD_APP, nullptr, nullptr);
  list_.head = list_.tail = stale;
  list_.count = 1;
  LinkCommandRecords(nullptr, 0, &list_);
  EXPECT_EQ(list_.head, nullptr);
  EXPECT_EQ(list_.tail, nullptr);
  EXPECT_EQ(list_.count, 0);
  FreeCommandRecord(stale);  // linking frees nothing: the caller still owns it
}

TEST_F(LinkCommandRecordsTest, OneRecordIsHeadAndTail) {
  CommandRecord* record = NewCommandRecord("n", "a", CMD_APP, nullptr, nullptr);
  record->next = record->prev = record;  // stale links from an earlier list
  LinkCommandRecords(&record, 1, &list_);
  EXPECT_EQ(list_.head, record);
  EXPECT_EQ(list_.tail, record);
  EXPECT_EQ(Keys(), "a");
}

TEST_F(LinkCommandRecordsTest, RelinkingFollowsTheRowsAfterRemovalAndReordering) {
  std::vector<CommandRecord*> rows;
  for (const char* key : {"a", "b", "c", "d", "e"})
    rows.push_back(NewCommandRecord(key, key, CMD_APP, nullptr, nullptr));
  LinkCommandRecords(rows.data(), static_cast<int>(rows.size()), &list_);
  EXPECT_EQ(Keys(), "abcde");

  // A deleted row frees its record; a sort reverses the rest; a new row goes in front.
  FreeCommandRecord(rows[2]);
  rows.erase(rows.begin() + 2);
  std::reverse(rows.begin(), rows.end());
  rows.insert(rows.begin(), NewCommandRecord("new", "x", CMD_APP, nullptr, nullptr));
  LinkCommandRecords(rows.data(), static_cast<int>(rows.size()), &list_);
  EXPECT_EQ(Keys(), "xedba");

  // The last row removed: the former tail's successor link must not survive.
  FreeCommandRecord(rows.back());
  rows.pop_back();
  LinkCommandRecords(rows.data(), static_cast<int>(rows.size()), &list_);
  EXPECT_EQ(Keys(), "xedb");
  EXPECT_EQ(list_.tail->next, nullptr);
}

}  // namespace
