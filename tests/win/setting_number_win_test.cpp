// The settings keys' numbers under Wine: every value of setting_number_cases.h read by the
// platform's profile reader, by the launcher's one pass and by the profile library's getter,
// which must all give the same number.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "command_walk.h"
#include "commands.h"
#include "profile.h"
#include "setting_number_cases.h"
#include "settings_win.h"
#include "startup_rules.h"
#include "test_files.h"

namespace {

class SettingNumberWinTest : public ::testing::Test {
 protected:
  void TearDown() override { ProfileFree(); }

  std::string Ini() const { return folder_.File("pimbo.ini"); }

  // What GetPrivateProfileIntA gives for key of the file.
  int PlatformReads(const char* key, int defaultValue) const {
    // The reader may keep a file it parsed while the file's time stays the same; with its
    // cache flushed, it reads each case's file afresh.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Ini().c_str());
    return static_cast<int>(GetPrivateProfileIntA(SETTINGS_SECTION, key, defaultValue,
                                                  Ini().c_str()));
  }

  // What the launcher makes of key at start-up: the text from its one pass over the file, in
  // a buffer of its own size, then the number, or the default for an empty text.
  int LauncherReads(const char* key, int defaultValue) const {
    auto text = std::make_unique<char[]>(SETTING_TEXT_SIZE);
    SettingText setting{key, text.get(), static_cast<int>(SETTING_TEXT_SIZE), 0, false};
    LoadLauncherProfile(Ini().c_str(), &setting, 1, nullptr);
    return setting.length == 0 ? defaultValue : SettingNumber(text.get());
  }

  // What the profile library's getter gives, with the file loaded into the model.
  int GetterReads(const char* key, int defaultValue) const {
    if (ProfileLoad(Ini().c_str()) != 1) return defaultValue - 1;  // shows as a difference
    return ProfileGetSettingInt(SETTINGS_SECTION, key, defaultValue, nullptr);
  }

  TempFolder folder_;
};

TEST_F(SettingNumberWinTest, EveryValueReadsAsThePlatformsReaderReadsIt) {
  for (std::size_t i = 0; i < std::size(SETTING_NUMBER_CASES); ++i) {
    SettingNumberCase const& c = SETTING_NUMBER_CASES[i];
    std::string const value = "case " + std::to_string(i) + ", value " + VisibleValue(c.value);
    ASSERT_TRUE(WriteBytes(Ini(), std::string("[settings]\r\nhot key=") + c.value + "\r\n"));
    int const platform = PlatformReads(KEY_HOT_KEY, SETTING_CASE_DEFAULT);
    EXPECT_EQ(platform, c.number) << value << ": the table expects " << c.number
                                  << ", the platform gives " << platform;
    int const launcher = LauncherReads(KEY_HOT_KEY, SETTING_CASE_DEFAULT);
    EXPECT_EQ(launcher, platform) << value << ": expected " << platform << ", got " << launcher
                                  << " from the launcher";
    int const getter = GetterReads(KEY_HOT_KEY, SETTING_CASE_DEFAULT);
    EXPECT_EQ(getter, platform) << value << ": expected " << platform << ", got " << getter
                                << " from ProfileGetSettingInt";
  }
}

// The editor reads the seven keys with the platform's reader (LoadSettings); the launcher must
// see the same settings, in the same widths.
TEST_F(SettingNumberWinTest, TheLauncherReadsTheSettingsTheEditorReads) {
  ASSERT_TRUE(WriteBytes(Ini(), "[settings]\r\nhot key=0x0131\r\nFGColor='255'\r\n"
                                "BGColor=\"0xFF00\"\r\nXPOINT = -5 \r\nYPOINT=''\r\n"
                                "HIDE TIME=0b11\r\nNoTray=\"1\"\r\n"));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, Ini().c_str());
  Settings editor{};
  LoadSettings(Ini().c_str(), &editor);
  EXPECT_EQ(editor.hotKey, 305);
  EXPECT_EQ(editor.y, DEFAULT_POINT);
  EXPECT_EQ(static_cast<std::uint16_t>(LauncherReads(KEY_HOT_KEY, DEFAULT_HOT_KEY)),
            editor.hotKey);
  EXPECT_EQ(static_cast<std::uint32_t>(LauncherReads(KEY_FG_COLOR, 0)), editor.textColor);
  EXPECT_EQ(static_cast<std::uint32_t>(LauncherReads(KEY_BG_COLOR, 0)), editor.backgroundColor);
  EXPECT_EQ(LauncherReads(KEY_XPOINT, DEFAULT_POINT), editor.x);
  EXPECT_EQ(LauncherReads(KEY_YPOINT, DEFAULT_POINT), editor.y);
  EXPECT_EQ(static_cast<std::uint8_t>(LauncherReads(KEY_HIDE_TIME, DEFAULT_HIDE_TIME)),
            editor.hideTime);
  EXPECT_EQ(LauncherReads(KEY_NO_TRAY, DEFAULT_NO_TRAY), editor.noTray);
}

}  // namespace
