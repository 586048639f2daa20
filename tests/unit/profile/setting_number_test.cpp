// The settings keys' numbers as the platform's profile reader makes them: the text it reads
// of a stored value, the number of that text, and the profile library's getter on a file.
#include <gtest/gtest.h>

#include <string>

#include "profile.h"
#include "setting_number.h"
#include "setting_number_cases.h"
#include "profile_files.h"

namespace {

// What the rules give for a value: its number, or the default when its text is empty.
int RuleNumber(const char* value) {
  std::string_view text = ProfileSettingText(value);
  return text.empty() ? SETTING_CASE_DEFAULT : ProfileSettingNumber(text);
}

TEST(SettingNumbers, EveryValueReadsAsThePlatformsReaderReadsIt) {
  for (std::size_t i = 0; i < std::size(SETTING_NUMBER_CASES); ++i) {
    SettingNumberCase const& c = SETTING_NUMBER_CASES[i];
    int const got = RuleNumber(c.value);
    EXPECT_EQ(got, c.number) << "case " << i << ", value " << VisibleValue(c.value)
                             << ": expected " << c.number << ", got " << got;
  }
}

// The texts the reader converts, as GetPrivateProfileStringA hands them out into a buffer of
// 30 bytes (measured under Wine 8, code page 932), where that is the reader's own text.
TEST(SettingNumbers, TheTextIsWhatThePlatformsReaderConverts) {
  struct Case {
    std::string stored;
    std::string text;
  };
  std::string const pairs15 = [] {
    std::string text;
    for (int i = 0; i < 15; ++i) text += "\x82\x50";
    return text;
  }();
  Case const cases[] = {
      /*  0 */ {" \t305 \t", "305"},
      /*  1 */ {"\v\f'120'\x1A ", "120"},
      /*  2 */ {"' '", " "},
      /*  3 */ {"'''", "'"},
      /*  4 */ {"'\"'", "\""},
      /*  5 */ {"\"'120'\"", "'120'"},
      /*  6 */ {"\"\"120\"\"", "\"120\""},
      /*  7 */ {"'120\"", "'120\""},
      /*  8 */ {"\"", "\""},
      /*  9 */ {"''", ""},
      /* 10 */ {"'120'\x1F", "'120'\x1F"},
      /* 11 */ {"\x01", "\x01"},
      /* 12 */ {"\x81\x40" "120 ", "\x81\x40" "120"},
      // A lead byte takes the quote or the blank behind it.
      /* 13 */ {"\"120\x81\"", "\"120\x81\""},
      /* 14 */ {"'12\x81 '", "12\x81 "},
      /* 15 */ {"\"12\x81\x81\"", "12\x81\x81"},
      /* 16 */ {"12\x81 ", "12\x81 "},
      /* 17 */ {"12\x81", "12\x81"},
      // 29 characters: the cut, and the quoted rest of exactly 30 that loses one more.
      /* 18 */ {"0000000000000000000000000000012", "00000000000000000000000000000"},
      /* 19 */ {"\"0000000000000000000000000012\"", "0000000000000000000000000012"},
      /* 20 */ {"\"00000000000000000000000000012\"", "0000000000000000000000000001"},
      /* 21 */ {"\"000000000000000000000000000012\"", "00000000000000000000000000001"},
      // Characters, not bytes: 15 double-byte ones in quotes stay whole, as do 16 without.
      /* 22 */ {"\"" + pairs15 + "\"", pairs15},
      /* 23 */ {pairs15 + "\x82\x50", pairs15 + "\x82\x50"},
      /* 24 */ {"\"123456789012345678901234567\x82\x50\"", "123456789012345678901234567\x82\x50"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::string const got(ProfileSettingText(cases[i].stored));
    EXPECT_EQ(got, cases[i].text) << "case " << i << ", value "
                                  << VisibleValue(cases[i].stored.c_str());
  }
}

class SettingGetterTest : public ::testing::Test {
 protected:
  void TearDown() override { ProfileFree(); }
};

TEST_F(SettingGetterTest, EveryValueOfAFileReadsAsThePlatformsReaderReadsIt) {
  for (std::size_t i = 0; i < std::size(SETTING_NUMBER_CASES); ++i) {
    SettingNumberCase const& c = SETTING_NUMBER_CASES[i];
    ASSERT_EQ(LoadProfileText(std::string("[settings]\r\nhot key=") + c.value + "\r\n"), 1);
    int const got = ProfileGetSettingInt("settings", "hot key", SETTING_CASE_DEFAULT, nullptr);
    EXPECT_EQ(got, c.number) << "case " << i << ", value " << VisibleValue(c.value)
                             << ": expected " << c.number << ", got " << got;
  }
}

TEST_F(SettingGetterTest, AMissingKeyOrValueGivesTheDefault) {
  ASSERT_EQ(LoadProfileText("[settings]\r\nNoTray\r\nHot Key = 0x0131 \r\nhot key=1\r\n"
                            "[other]\r\nXPOINT=5\r\n"),
            1);
  EXPECT_EQ(ProfileGetSettingInt("settings", "NoTray", -7, nullptr), -7);
  EXPECT_EQ(ProfileGetSettingInt("settings", "XPOINT", -7, nullptr), -7);
  EXPECT_EQ(ProfileGetSettingInt("missing", "XPOINT", -7, nullptr), -7);
  // The first key of a name is the one read, whatever the case of its letters.
  EXPECT_EQ(ProfileGetSettingInt("SETTINGS", "hot key", -7, nullptr), 305);
  ProfileFree();
  EXPECT_EQ(ProfileGetSettingInt("settings", "hot key", -7, nullptr), -7);
}

}  // namespace
