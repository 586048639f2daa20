// Host tests of the launcher's start-up rules: the files beside the program, setting numbers,
// the window's place on a monitor.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "command_walk.h"
#include "commands.h"
#include "setting_number_cases.h"
#include "shared.h"
#include "startup_rules.h"

namespace {

// Heap buffers of the exact size the launcher uses, so that the sanitizer sees any byte
// written past them.
struct Formatted {
  bool fits;
  std::string text;
};

Formatted Format(const std::string& modulePath, const char* fileFormat, std::size_t size) {
  auto buffer = std::make_unique<char[]>(size);
  std::memset(buffer.get(), 'x', size);
  bool const fits = FormatLauncherPath(modulePath.c_str(), fileFormat, buffer.get(), size);
  return {fits, std::string(buffer.get())};
}

// Sizes of the launcher's buffers: IniPath, and the editor path of the exit sequence.
std::size_t const INI_PATH_SIZE = 260;
std::size_t const EDITOR_PATH_SIZE = 261;

TEST(LauncherPaths, FilesSitBesideTheProgram) {
  struct Case {
    const char* modulePath;
    const char* iniPath;
    const char* editorPath;
  };
  Case const cases[] = {
      // 0: the usual place.
      {"C:\\Program Files\\Pimbo\\pimbo.exe", "C:\\Program Files\\Pimbo\\pimbo.ini",
       "C:\\Program Files\\Pimbo\\pimbosetting.exe"},
      // 1: a folder name whose last character has the trail byte 0x5C (0x83 0x5C in code
      // page 932): bytes are dropped by count, so the trail byte is never taken for a separator.
      {"D:\\\x83\\\\pimbo.exe", "D:\\\x83\\\\pimbo.ini", "D:\\\x83\\\\pimbosetting.exe"},
      // 2: at the root of a drive.
      {"E:\\pimbo.exe", "E:\\pimbo.ini", "E:\\pimbosetting.exe"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Format(cases[i].modulePath, INI_FILE_FORMAT, INI_PATH_SIZE).text,
              cases[i].iniPath);
    EXPECT_EQ(Format(cases[i].modulePath, EDITOR_FILE_FORMAT, EDITOR_PATH_SIZE).text,
              cases[i].editorPath);
  }
}

TEST(LauncherPaths, ModulePathShorterThanItsOwnNameLeavesAnEmptyDirectory) {
  // "C:\p.exe" is 8 bytes, fewer than "\pimbo.exe": nothing before the path may be read.
  for (const char* modulePath : {"C:\\p.exe", "\\pimbo.exe", "", "x"}) {
    SCOPED_TRACE(modulePath);
    Formatted const ini = Format(modulePath, INI_FILE_FORMAT, INI_PATH_SIZE);
    EXPECT_TRUE(ini.fits);
    EXPECT_EQ(ini.text, "\\pimbo.ini");
  }
  EXPECT_EQ(LauncherDirectoryLength(9), 0u);
  EXPECT_EQ(LauncherDirectoryLength(10), 0u);
  EXPECT_EQ(LauncherDirectoryLength(11), 1u);
}

TEST(LauncherPaths, OnlyWholePathsAreWritten) {
  // The longest module path the launcher reads (259 bytes) always gives an IniPath that fits,
  // since "pimbo.ini" is as long as "pimbo.exe".
  std::string const longest = "C:\\" + std::string(246, 'd') + "\\pimbo.exe";
  ASSERT_EQ(longest.size(), 259u);
  Formatted const ini = Format(longest, INI_FILE_FORMAT, INI_PATH_SIZE);
  EXPECT_TRUE(ini.fits);
  EXPECT_EQ(ini.text.size(), 259u);

  // The editor's name is 7 bytes longer: 253 bytes of module path make 260 bytes of editor
  // path, the most that 261 bytes hold; one more byte and nothing is written.
  std::string const fitting = "C:\\" + std::string(240, 'd') + "\\pimbo.exe";
  ASSERT_EQ(fitting.size(), 253u);
  Formatted const editor = Format(fitting, EDITOR_FILE_FORMAT, EDITOR_PATH_SIZE);
  EXPECT_TRUE(editor.fits);
  EXPECT_EQ(editor.text, "C:\\" + std::string(240, 'd') + "\\pimbosetting.exe");

  Formatted const tooLong = Format("C:\\" + std::string(241, 'd') + "\\pimbo.exe",
                                   EDITOR_FILE_FORMAT, EDITOR_PATH_SIZE);
  EXPECT_FALSE(tooLong.fits);
  EXPECT_EQ(tooLong.text, "");
  Formatted const longestEditor = Format(longest, EDITOR_FILE_FORMAT, EDITOR_PATH_SIZE);
  EXPECT_FALSE(longestEditor.fits);
  EXPECT_EQ(longestEditor.text, "");
}

TEST(LauncherPaths, FormatWithoutSlotWritesNothing) {
  Formatted const result = Format("C:\\Pimbo\\pimbo.exe", "pimbo.ini", INI_PATH_SIZE);
  EXPECT_FALSE(result.fits);
  EXPECT_EQ(result.text, "");
}

TEST(LauncherPaths, AModulePathCutToItsBufferNamesNoFolder) {
  // GetModuleFileNameA cuts a longer path to the buffer, terminator included, and returns the
  // buffer's size; 0 is a failure.
  std::string const folder = "C:\\" + std::string(240, 'd');
  std::string const module = folder + "\\pimbo.exe";  // 253 bytes: fits
  char ini[INI_PATH_SIZE];
  char editor[EDITOR_PATH_SIZE];
  LauncherPathsFromModule(module.c_str(), module.size(), 260, ini, sizeof ini, editor,
                          sizeof editor);
  EXPECT_EQ(std::string(ini), folder + "\\pimbo.ini");
  EXPECT_EQ(std::string(editor), folder + "\\pimbosetting.exe");
  std::string const cut(259, 'd');
  for (std::size_t length : {std::size_t{260}, std::size_t{0}}) {
    SCOPED_TRACE("length " + std::to_string(length));
    std::memset(ini, 'x', sizeof ini);
    std::memset(editor, 'x', sizeof editor);
    LauncherPathsFromModule(cut.c_str(), length, 260, ini, sizeof ini, editor, sizeof editor);
    EXPECT_STREQ(ini, "");
    EXPECT_STREQ(editor, "");
  }
  LauncherPathsFromModule(cut.c_str(), 260, 260, ini, sizeof ini, nullptr, 0);
  EXPECT_STREQ(ini, "");
}

// Conversions as the platform's profile reader (GetPrivateProfileIntA) makes them.
TEST(SettingNumbers, ReadAsThePlatformsProfileReaderReadsThem) {
  struct Case {
    const char* text;
    int number;
  };
  Case const cases[] = {
      {"305", 305},                 // 0
      {"-1", -1},                   // 1: XPOINT and YPOINT take negative numbers
      {"+17", 17},                  // 2
      {"305abc", 305},              // 3: digits up to the first other byte
      {"12 34", 12},                // 4
      {"abc", 0},                   // 5: no digits
      {"-", 0},                     // 6
      {"0x131", 305},               // 7: hexadecimal too (setting_number_cases.h has more)
      {"\t 42", 42},                // 8: blanks before the number
      {"4294967295", -1},           // 9: 32-bit arithmetic that wraps
      {"99999999999", 1215752191},  // 10
      {"--5", 0},                   // 11: one sign only
      {"\x82\x50", 0},              // 12: a double-byte digit is no digit
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(SettingNumber(cases[i].text), cases[i].number) << "case " << i;
  }
}

// The settings as the launcher reads them at start-up: each key's text from its one pass over
// the file, in heap buffers of its own size (so that the sanitizer sees a byte written past
// them), then the number, or the default for an empty text.
struct LauncherRead {
  const char* key;
  int defaultValue;
  int number;
};

void ReadAsTheLauncher(std::string const& file, LauncherRead* reads, int count,
                       CommandList* list) {
  std::vector<std::unique_ptr<char[]>> texts;
  std::vector<SettingText> settings;
  for (int i = 0; i < count; ++i) {
    texts.push_back(std::make_unique<char[]>(SETTING_TEXT_SIZE));
    settings.push_back(SettingText{reads[i].key, texts.back().get(),
                                   static_cast<int>(SETTING_TEXT_SIZE), 0, false});
  }
  LoadLauncherProfileFromText(file, settings.data(), count, list);
  for (int i = 0; i < count; ++i) {
    reads[i].number = settings[i].length == 0 ? reads[i].defaultValue
                                              : SettingNumber(texts[i].get());
  }
}

TEST(SettingNumbers, EveryValueOfAFileReadsAsThePlatformsReaderReadsIt) {
  for (std::size_t i = 0; i < std::size(SETTING_NUMBER_CASES); ++i) {
    SettingNumberCase const& c = SETTING_NUMBER_CASES[i];
    LauncherRead read{KEY_HOT_KEY, SETTING_CASE_DEFAULT, 0};
    ReadAsTheLauncher(std::string("[settings]\r\nhot key=") + c.value + "\r\n", &read, 1,
                      nullptr);
    EXPECT_EQ(read.number, c.number) << "case " << i << ", value " << VisibleValue(c.value)
                                     << ": expected " << c.number << ", got " << read.number;
  }
}

TEST(SettingNumbers, EachKeyReadsItsOwnValueAndTheCommandCountKeepsItsReading) {
  std::string const file =
      "[settings]\r\n"
      "hot key=0x0131\r\n"
      "FGColor='255'\r\n"
      "BGColor=\"0xFF00\"\r\n"
      "XPOINT = -5 \r\n"
      "YPOINT=''\r\n"
      "HIDE TIME=0b11\r\n"
      "NoTray\r\n"
      "command count='1'\r\n"
      "[commands]\r\ncommand name0=a\r\ncommand key0=a\r\n";
  LauncherRead reads[] = {
      {KEY_HOT_KEY, -9, 0},   {KEY_FG_COLOR, -9, 0}, {KEY_BG_COLOR, -9, 0},
      {KEY_XPOINT, -9, 0},    {KEY_YPOINT, -9, 0},   {KEY_HIDE_TIME, -9, 0},
      {KEY_NO_TRAY, -9, 0},
  };
  int const expected[] = {305, 255, 0xFF00, -5, -9, 3, -9};
  CommandList list;
  ReadAsTheLauncher(file, reads, static_cast<int>(std::size(reads)), &list);
  for (std::size_t i = 0; i < std::size(reads); ++i) {
    EXPECT_EQ(reads[i].number, expected[i]) << reads[i].key;
  }
  // "command count" is read as the profile library reads numbers, which drops no single
  // quotes: '1' is no number to it, and there are no commands.
  EXPECT_EQ(list.count, 0);
  FreeCommandList(&list);
  ReadAsTheLauncher(file.substr(0, file.find("command count")) + "command count=\"1\"" +
                        file.substr(file.find("\r\n[commands]")),
                    reads, 1, &list);
  EXPECT_EQ(list.count, 1);
  FreeCommandList(&list);
}

// A 1024 x 768 monitor at the origin whose taskbar takes the bottom 30 rows, and a 240 x 20
// window; the second monitor of a pair stands left of the first, at negative coordinates.
TEST(PlaceOnMonitor, KeepsAPlaceOnTheMonitorAndMovesOneOffItJustInside) {
  ScreenRect const monitor = {0, 0, 1024, 768};
  ScreenRect const work = {0, 0, 1024, 738};
  ScreenRect const left = {-1280, -200, 0, 824};
  ScreenRect const leftWork = {-1280, -200, 0, 794};
  struct Case {
    ScreenRect window, monitor, work, expected;
  } const cases[] = {
      /* 0 on it */ {{100, 200, 340, 220}, monitor, work, {100, 200, 340, 220}},
      /* 1 a pixel out above */ {{100, -1, 340, 19}, monitor, work, {100, -1, 340, 19}},
      /* 2 a pixel out left */ {{-1, 100, 239, 120}, monitor, work, {-1, 100, 239, 120}},
      /* 3 over the taskbar */ {{100, 750, 340, 770}, monitor, work, {100, 750, 340, 770}},
      /* 4 one pixel showing */ {{1023, 0, 1263, 20}, monitor, work, {1023, 0, 1263, 20}},
      /* 5 beyond both ends */ {{30000, 30000, 30240, 30020}, monitor, work, {784, 718, 1024, 738}},
      /* 6 below only */ {{100, 5000, 340, 5020}, monitor, work, {100, 718, 340, 738}},
      /* 7 touching the right */ {{1024, 10, 1264, 30}, monitor, work, {784, 10, 1024, 30}},
      /* 8 before both */ {{-30000, -30000, -29760, -29980}, monitor, work, {0, 0, 240, 20}},
      /* 9 left monitor */ {{-5000, 100, -4760, 120}, left, leftWork, {-1280, 100, -1040, 120}},
      /* 10 wider */ {{2000, 10, 3200, 30}, monitor, work, {0, 10, 1200, 30}},
      /* 11 ends of int */ {{INT_MAX - 240, INT_MIN, INT_MAX, INT_MIN + 20}, monitor, work,
                            {784, 0, 1024, 20}},
      /* 12 wider than int */ {{INT_MIN, 5000, INT_MAX, 5020}, monitor, work,
                               {0, 718, INT_MAX, 738}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    Case const& c = cases[i];
    ScreenRect const placed = PlaceOnMonitor(c.window, c.monitor, c.work);
    EXPECT_EQ(placed.left, c.expected.left) << "case " << i;
    EXPECT_EQ(placed.top, c.expected.top) << "case " << i;
    EXPECT_EQ(placed.right, c.expected.right) << "case " << i;
    EXPECT_EQ(placed.bottom, c.expected.bottom) << "case " << i;
  }
}

}  // namespace
