// pimbo.ini on Windows: the platform's profile functions for the settings, the profile library
// for the commands, and the file the two write together.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "configuration.h"
#include "profile.h"
#include "settings_win.h"
#include "test_files.h"

namespace {

// Commands held by the test: the texts point at the test's own strings, nothing is freed.
struct TestCommand {
  const char* name;
  const char* key;
  int type;
  const char* exe;
  const char* file;
};

class ConfigTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeCommandList(&loaded_);
    ProfileFree();
  }

  std::string Ini() const { return folder_.File("pimbo.ini"); }

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
      (list.tail ? list.tail->next : list.head) = &r;
      list.tail = &r;
      ++list.count;
    }
    return SaveCommands(Ini().c_str(), list);
  }

  static Settings SampleSettings() {
    Settings s{};
    s.hotKey = 305;
    s.textColor = 0;
    s.backgroundColor = 16777215;
    s.x = -1;
    s.y = -1;
    s.hideTime = 2;
    s.noTray = 0;
    return s;
  }

  TempFolder folder_;
  std::vector<CommandRecord> records_;
  CommandList loaded_;
};

// Measured under Wine 8 (LANG=ja_JP.UTF-8, code page 932): WritePrivateProfileStringA creates
// the file with no byte-order mark, writes code page 932 bytes as given, ends every line with
// CR LF, and puts no empty line between sections. A file it rewrites (LF line ends included)
// comes back whole with CR LF line ends.
TEST_F(ConfigTest, PlatformWriterCreatesAFileTheLibraryReads) {
  ASSERT_TRUE(WritePrivateProfileStringA("settings", "hot key", "305", Ini().c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("settings", "NoTray", "1", Ini().c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("other", "k", "\x95\x5C", Ini().c_str()));
  std::string expected = "[settings]\r\nhot key=305\r\nNoTray=1\r\n[other]\r\nk=\x95\x5C\r\n";
  std::string actual = ReadBytes(Ini());
  EXPECT_EQ(actual, expected) << "expected\n" << Visible(expected) << "got\n" << Visible(actual);

  ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
  EXPECT_EQ(ProfileGetInt("settings", "hot key", 0, nullptr), 305);
  EXPECT_EQ(ProfileGetInt("SETTINGS", "notray", 0, nullptr), 1);
  char buffer[8];
  EXPECT_EQ(ProfileGetString("other", "k", "", buffer, sizeof buffer, nullptr), 2);
  EXPECT_STREQ(buffer, "\x95\x5C");
}

TEST_F(ConfigTest, LoadSettingsWithNoFileTakesTheDefaults) {
  Settings s;
  std::memset(&s, 0xAB, sizeof s);
  LoadSettings(Ini().c_str(), &s);
  EXPECT_EQ(s.hotKey, 305);
  EXPECT_EQ(s.textColor, GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(s.backgroundColor, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(s.x, -1);
  EXPECT_EQ(s.y, -1);
  EXPECT_EQ(s.hideTime, 2);
  EXPECT_EQ(s.noTray, 0);
  EXPECT_FALSE(FileExists(Ini()));  // reading creates nothing
}

TEST_F(ConfigTest, LoadSettingsReadsNegativesAndCutsOversizedValues) {
  ASSERT_TRUE(WriteBytes(Ini(), "[settings]\r\nhot key=65841\r\nFGColor=\"255\"\r\n"
                                "BGColor= 65280 \r\nXPOINT=-1\r\nYPOINT=100\r\nHIDE TIME=258\r\n"
                                "NoTray=1\r\n"));
  Settings s{};
  LoadSettings(Ini().c_str(), &s);
  EXPECT_EQ(s.hotKey, 305);  // 65841 cut to its low 16 bits
  EXPECT_EQ(s.textColor, 255u);
  EXPECT_EQ(s.backgroundColor, 65280u);
  EXPECT_EQ(s.x, -1);
  EXPECT_EQ(s.y, 100);
  EXPECT_EQ(s.hideTime, 2);  // 258 cut to its low 8 bits
  EXPECT_EQ(s.noTray, 1);
}

TEST_F(ConfigTest, SavingFromNothingWritesSettingsThenCommands) {
  ASSERT_EQ(SaveSettings(Ini().c_str(), SampleSettings()), 1);
  ASSERT_EQ(Save({{"\x83\x81\x83\x82\x92\xA0", "m", CMD_APP, "%WINDIR%\\notepad.exe", ""},
                  {"\x95\x5C", "h", CMD_FOLDER, "1", "C:\\\x95\x5C\\"}}),
            1);
  std::string expected =
      "[settings]\r\nhot key=305\r\nFGColor=0\r\nBGColor=16777215\r\nXPOINT=-1\r\nYPOINT=-1\r\n"
      "HIDE TIME=2\r\nNoTray=0\r\ncommand count=2\r\n\r\n"
      "[commands]\r\n"
      "command name0=\"\x83\x81\x83\x82\x92\xA0\"\r\ncommand key0=\"m\"\r\ncommand type0=0\r\n"
      "command exe0=\"%WINDIR%\\notepad.exe\"\r\ncommand file0=\r\n"
      "command name1=\"\x95\x5C\"\r\ncommand key1=\"h\"\r\ncommand type1=1\r\n"
      "command exe1=\"1\"\r\ncommand file1=\"C:\\\x95\x5C\\\"\r\n\r\n";
  std::string actual = ReadBytes(Ini());
  EXPECT_EQ(actual, expected) << "expected\n" << Visible(expected) << "got\n" << Visible(actual);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});

  Settings s{};
  LoadSettings(Ini().c_str(), &s);
  EXPECT_EQ(s.backgroundColor, 16777215u);
  LoadCommands(Ini().c_str(), &loaded_, CommandReader::Launcher);
  ASSERT_EQ(loaded_.count, 2);
  EXPECT_EQ(loaded_.head->file, nullptr);
  EXPECT_STREQ(loaded_.tail->file, "C:\\\x95\x5C\\");
}

// A folder that does not exist: WritePrivateProfileStringA cannot create the file, and the
// failure reaches the caller instead of passing for a save.
TEST_F(ConfigTest, SaveSettingsReportsAFailedWrite) {
  std::string const path = folder_.File("missing\\pimbo.ini");
  EXPECT_EQ(SaveSettings(path.c_str(), SampleSettings()), 0);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(ConfigTest, FiveCommandsThenThreeLeavesTheHigherKeysUnread) {
  SaveSettings(Ini().c_str(), SampleSettings());
  ASSERT_EQ(Save({{"a", "a", 0, "a.exe", ""}, {"b", "b", 0, "b.exe", ""}, {"c", "c", 0, "", ""},
                  {"d", "d", 3, "", ""}, {"e", "e", 5, "", ""}}),
            1);
  Settings changed = SampleSettings();
  changed.hotKey = 0x0241;  // Ctrl + A
  SaveSettings(Ini().c_str(), changed);
  ASSERT_EQ(
      Save({{"x", "x", 0, "x.exe", ""}, {"y", "y", 0, "", "y.txt"}, {"z", "z", 6, "", "new"}}), 1);
  std::string text = ReadBytes(Ini());
  EXPECT_NE(text.find("[settings]\r\nhot key=577\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.find("command count=3\r\n\r\n[commands]\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.find("command name3=\"d\"\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.find("command type4=5\r\ncommand exe4=\r\ncommand file4=\r\n\r\n"),
            std::string::npos)
      << Visible(text);

  LoadCommands(Ini().c_str(), &loaded_, CommandReader::Editor);
  ASSERT_EQ(loaded_.count, 3);
  EXPECT_STREQ(loaded_.head->name, "x");
  EXPECT_STREQ(loaded_.tail->name, "z");
  EXPECT_STREQ(loaded_.tail->file, "new");
}

TEST_F(ConfigTest, OtherContentKeepsItsPlaceAndNewKeysGoToTheEnd) {
  ASSERT_TRUE(WriteBytes(Ini(), "[mine]\r\nanswer=42\r\n"
                                "[settings]\r\nhot key=305\r\ncommand count=1\r\nextra=keep\r\n"
                                "[commands]\r\n#hand-written note\r\ncommand name0=\"old\"\r\n"
                                "own key=1\r\n[tail]\r\nlast=1\r\n"));
  SaveSettings(Ini().c_str(), SampleSettings());
  ASSERT_EQ(Save({{"a", "a", 0, "", ""}, {"b", "b", 4, "2", ""}}), 1);
  std::string expected =
      "[mine]\r\nanswer=42\r\n\r\n"
      "[settings]\r\nhot key=305\r\ncommand count=2\r\nextra=keep\r\nFGColor=0\r\n"
      "BGColor=16777215\r\nXPOINT=-1\r\nYPOINT=-1\r\nHIDE TIME=2\r\nNoTray=0\r\n\r\n"
      "[commands]\r\n#hand-written note\r\ncommand name0=\"a\"\r\nown key=1\r\n"
      "command key0=\"a\"\r\ncommand type0=0\r\ncommand exe0=\r\ncommand file0=\r\n"
      "command name1=\"b\"\r\ncommand key1=\"b\"\r\ncommand type1=4\r\ncommand exe1=\"2\"\r\n"
      "command file1=\r\n\r\n"
      "[tail]\r\nlast=1\r\n\r\n";
  std::string actual = ReadBytes(Ini());
  EXPECT_EQ(actual, expected) << "expected\n" << Visible(expected) << "got\n" << Visible(actual);
}

TEST_F(ConfigTest, LongestKeyAndNameSurviveASaveAndAReload) {
  std::string name(255, 'n');
  name.replace(253, 2, "\x95\x5C");
  std::string key(32, 'k');
  std::string file(1023, 'f');
  ASSERT_EQ(Save({{name.c_str(), key.c_str(), CMD_APP, "a.exe", file.c_str()}}), 1);
  for (CommandReader reader : {CommandReader::Launcher, CommandReader::Editor}) {
    FreeCommandList(&loaded_);
    LoadCommands(Ini().c_str(), &loaded_, reader);
    ASSERT_EQ(loaded_.count, 1);
    EXPECT_EQ(loaded_.head->name, name);
    EXPECT_EQ(loaded_.head->key, key);
    EXPECT_EQ(std::string(loaded_.head->file).size(),
              reader == CommandReader::Editor ? 1023u : 255u);
  }
}

}  // namespace
