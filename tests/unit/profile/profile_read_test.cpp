// Reading rules of the profile library: lines, headers, names, values, quotes, numbers, limits.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "profile.h"
#include "profile_text.h"
#include "profile_files.h"

namespace {

using namespace std::string_literals;

class ProfileReadTest : public ::testing::Test {
 protected:
  void TearDown() override { ProfileFree(); }

  std::string Get(const char* section, const char* key, const char* fallback = "<default>") {
    char buffer[2048];
    int length = ProfileGetString(section, key, fallback, buffer, sizeof buffer, nullptr);
    EXPECT_EQ(length, static_cast<int>(std::string(buffer).size()));
    return buffer;
  }
};

struct StringCase {
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
};

// Each case loads the file text and reads one key; "<default>" means the lookup missed.
const StringCase kStringCases[] = {
    /*  0 */ {"[s]\r\nk=v\r\n", "s", "k", "v"},
    /*  1 */ {"[ \ts\t ]\r\nk=v\r\n", "s", "k", "v"},
    // A blank after "]" makes no header: the key joins section 0, which no name reaches.
    /*  2 */ {"[s] \r\nk=v\r\n", "s", "k", "<default>"},
    /*  3 */ {"[a]\r\nk=1\r\n[s] \r\nk=2\r\n", "a", "k", "1"},
    /*  4 */ {"[a]\r\n[s] \r\nm=2\r\n", "a", "m", "2"},
    /*  5 */ {"[s]\r\n \t k \t = \t v \t \r\n", "s", "k", "v"},
    /*  6 */ {"[S]\r\nKey Name=v\r\n", "s", "kEY nAME", "v"},
    // Names are byte-exact apart from ASCII case: inner blanks count.
    /*  7 */ {"[s]\r\nkey name=v\r\n", "s", "keyname", "<default>"},
    /*  8 */ {"[s]\r\nk=\"v\"\r\n", "s", "k", "v"},
    /*  9 */ {"[s]\r\nk=\"v\r\n", "s", "k", "v"},
    /* 10 */ {"[s]\r\nk=v\"\r\n", "s", "k", "v"},
    /* 11 */ {"[s]\r\nk=\"\"\r\n", "s", "k", ""},
    /* 12 */ {"[s]\r\nk=\"\r\n", "s", "k", ""},
    /* 13 */ {"[s]\r\nk=  \"v w\"  \r\n", "s", "k", "v w"},
    /* 14 */ {"[s]\r\nk=\"\"v\"\"\r\n", "s", "k", "\"v\""},
    /* 15 */ {"[s]\r\nk='v'\r\n", "s", "k", "'v'"},
    /* 16 */ {"[s]\r\nk=\" v \"\r\n", "s", "k", " v "},
    /* 17 */ {"[s]\r\nk=1\r\nk=2\r\nK=3\r\n", "s", "k", "1"},
    /* 18 */ {"[s]\r\nk=1\r\n[S]\r\nk=2\r\nm=3\r\n", "s", "k", "1"},
    /* 19 */ {"[s]\r\nk=1\r\n[S]\r\nk=2\r\nm=3\r\n", "s", "m", "<default>"},
    /* 20 */ {"[s]\r\n;k=v\r\n", "s", ";k", "v"},
    /* 21 */ {"[s]\r\n#k=v\r\n", "s", "k", "<default>"},
    /* 22 */ {"[s]\r\n#k=v\r\n", "s", "#k", "<default>"},
    /* 23 */ {"[s]\r\n  #k=v\r\n", "s", "#k", "v"},
    /* 24 */ {"[s]\nk=v\nm=w\n", "s", "m", "w"},
    /* 25 */ {"[s]\rk=v\rm=w\r", "s", "m", "w"},
    /* 26 */ {"[s]\r\n\r\n\n\r\r\nk=v\n\r\nm=w", "s", "m", "w"},
    /* 27 */ {"[s]\r\nk\r\n", "s", "k", ""},
    /* 28 */ {"[s]\r\n=v\r\n", "s", "", "<default>"},
    /* 29 */ {"[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
    /* 30 */ {"[s]\r\nk=\r\n", "s", "k", ""},
    /* 31 */ {"[s\r\nk=v\r\n", "s", "k", "<default>"},
    /* 32 */ {"[a]\r\n[]\r\nk=v\r\n", "a", "k", "v"},
    // A header of blanks starts a section that no name reaches: its keys are no longer "a"'s.
    /* 33 */ {"[a]\r\n[  ]\r\nk=v\r\n", "a", "k", "<default>"},
    /* 34 */ {"[[x]]\r\nk=v\r\n", "[x]", "k", "v"},
    /* 35 */ {"[s]\r\n[k=v]\r\nm=1\r\n", "k=v", "m", "1"},
    // Code page 932 text whose second bytes are 0x5C ("\"), kept byte for byte.
    /* 36 */ {"[\x95\x5C]\r\n\x83\x5C\x83\x74\x83\x67=C:\\\x95\x5C\\\x83\x5C\r\n", "\x95\x5C",
              "\x83\x5C\x83\x74\x83\x67", "C:\\\x95\x5C\\\x83\x5C"},
    // A NUL inside a line ends the field it falls in; the line's other field stays.
    /* 37 */ {"[s]\r\nk\0junk=v\r\n"s, "s", "k", "v"},
    /* 38 */ {"[s]\r\nk=v\0junk\r\nm=w\r\n"s, "s", "m", "w"},
    /* 39 */ {"[s]\r\nk=v\0junk\r\n"s, "s", "k", "v"},
    /* 40 */ {"[s\0x]\r\nk=v\r\n"s, "s", "k", "v"},
    // A NUL at the start of a line ends the parse.
    /* 41 */ {"[s]\r\nk=v\r\n\0m=w\r\n"s, "s", "m", "<default>"},
    /* 42 */ {"[s]\r\nk=v\r\n\0m=w\r\n"s, "s", "k", "v"},
    /* 43 */ {"\0[s]\r\nk=v\r\n"s, "s", "k", "<default>"},
    /* 44 */ {"[s]\r\nk=v", "s", "k", "v"},
};

TEST_F(ProfileReadTest, StringLookupsFollowTheLineRules) {
  int i = 0;
  for (const StringCase& c : kStringCases) {
    SCOPED_TRACE("case " + std::to_string(i++));
    ASSERT_EQ(LoadProfileText(c.file), 1);
    EXPECT_EQ(Get(c.section, c.key), c.expected);
    ProfileFree();
  }
}

struct IntCase {
  const char* value;  // null: the key is missing
  int expected;
};

const IntCase kIntCases[] = {
    /*  0 */ {"12", 12},
    /*  1 */ {"-5", -5},
    /*  2 */ {"+7", 7},
    /*  3 */ {"", 0},
    /*  4 */ {"abc", 0},
    /*  5 */ {"1 2", 0},
    /*  6 */ {"12a", 0},
    /*  7 */ {" \t42\t ", 42},
    /*  8 */ {"\"42\"", 42},
    /*  9 */ {"\"-42", -42},
    /* 10 */ {"-", 0},
    /* 11 */ {"+-1", 0},
    /* 12 */ {"0x10", 0},
    /* 13 */ {"007", 7},
    /* 14 */ {"2147483647", 2147483647},
    /* 15 */ {"-2147483648", -2147483647 - 1},
    // 32-bit arithmetic wraps rather than saturating.
    /* 16 */ {"2147483648", -2147483647 - 1},
    /* 17 */ {"4294967297", 1},
    /* 18 */ {"99999999999999999999", 1661992959},
    /* 19 */ {nullptr, 99},
};

TEST_F(ProfileReadTest, IntegerLookupsParseStrictDecimal) {
  int i = 0;
  for (const IntCase& c : kIntCases) {
    SCOPED_TRACE("case " + std::to_string(i++));
    std::string file = "[s]\r\n";
    if (c.value) file += "k=" + std::string(c.value) + "\r\n";
    ASSERT_EQ(LoadProfileText(file), 1);
    EXPECT_EQ(ProfileGetInt("s", "k", 99, nullptr), c.expected);
    ProfileFree();
  }
}

TEST_F(ProfileReadTest, ParseIntTakesOneSignAndDigitsOnly) {
  EXPECT_EQ(ProfileParseInt(nullptr), 0);
  EXPECT_EQ(ProfileParseInt(""), 0);
  EXPECT_EQ(ProfileParseInt("305"), 305);
  EXPECT_EQ(ProfileParseInt("-1"), -1);
  EXPECT_EQ(ProfileParseInt(" 1"), 0);  // trimming is the getter's job, not the parser's
  EXPECT_EQ(ProfileParseInt("1 "), 0);
  EXPECT_EQ(ProfileParseInt("--1"), 0);
  EXPECT_EQ(ProfileParseInt("1-"), 0);
}

TEST_F(ProfileReadTest, MissingSectionKeyOrFileGivesTheDefault) {
  EXPECT_EQ(ProfileLoad("/nonexistent/folder/pimbo.ini"), 0);
  EXPECT_EQ(Get("s", "k", "fallback"), "fallback");
  EXPECT_EQ(ProfileGetInt("s", "k", -7, nullptr), -7);

  ASSERT_EQ(LoadProfileText(""), 1);  // an empty file is a model with section 0 only
  EXPECT_EQ(Get("s", "k", "fallback"), "fallback");
  ProfileFree();

  ASSERT_EQ(LoadProfileText("[s]\r\nk=1\r\n"), 1);
  EXPECT_EQ(Get("t", "k", "d"), "d");
  EXPECT_EQ(Get("s", "m", "d"), "d");
  EXPECT_EQ(Get("s", "k ", "d"), "d");  // the looked-up name is not trimmed
  EXPECT_EQ(Get(nullptr, "k", "d"), "d");
  EXPECT_EQ(Get("s", nullptr, "d"), "d");
  EXPECT_EQ(Get("", "k", "d"), "d");
  EXPECT_EQ(Get("s", "k", nullptr), "1");
  EXPECT_EQ(Get("s", "m", nullptr), "");
  EXPECT_EQ(ProfileGetInt("t", "k", 5, nullptr), 5);
}

TEST_F(ProfileReadTest, GetStringCutsToTheBufferAndAlwaysTerminates) {
  ASSERT_EQ(LoadProfileText("[s]\r\nk=\"abcdef\"\r\n"), 1);
  char buffer[8] = "zzzzzzz";
  EXPECT_EQ(ProfileGetString("s", "k", "", buffer, 4, nullptr), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(ProfileGetString("s", "k", "", buffer, 1, nullptr), 0);
  EXPECT_STREQ(buffer, "");
  buffer[0] = 'z';
  EXPECT_EQ(ProfileGetString("s", "k", "", buffer, 0, nullptr), 0);
  EXPECT_EQ(buffer[0], 'z');  // no room at all: nothing written
  EXPECT_EQ(ProfileGetString("s", "missing", "defaults", buffer, 5, nullptr), 4);
  EXPECT_STREQ(buffer, "defa");
  EXPECT_EQ(ProfileGetString("s", "k", "", nullptr, 8, nullptr), 0);
}

TEST_F(ProfileReadTest, NamesAreCutTo255Bytes) {
  std::string longSection(300, 'S');
  std::string longKey(300, 'k');
  std::string comment = "#" + std::string(300, 'c');
  ASSERT_EQ(LoadProfileText("[" + longSection + "]\r\n" + longKey + "=v\r\n" + comment + "\r\n"),
            1);
  EXPECT_EQ(Get(longSection.substr(0, 255).c_str(), longKey.substr(0, 255).c_str()), "v");
  // The full names are longer than anything stored and so are never found.
  EXPECT_EQ(Get(longSection.c_str(), longKey.substr(0, 255).c_str()), "<default>");
  EXPECT_EQ(Get(longSection.substr(0, 255).c_str(), longKey.c_str()), "<default>");
  // Leading blanks do not use up the limit.
  ProfileFree();
  ASSERT_EQ(LoadProfileText("[s]\r\n   " + std::string(255, 'k') + "=v\r\n"), 1);
  EXPECT_EQ(Get("s", std::string(255, 'k').c_str()), "v");
}

TEST_F(ProfileReadTest, ValuesHaveNoLengthLimit) {
  std::string value(100000, 'x');
  ASSERT_EQ(LoadProfileText("[s]\r\nk=" + value + "\r\n"), 1);
  std::string buffer(value.size() + 1, '\0');
  EXPECT_EQ(ProfileGetString("s", "k", "", buffer.data(), static_cast<int>(buffer.size()),
                             nullptr),
            100000);
}

TEST_F(ProfileReadTest, TrimStripsSpacesAndTabsOnly) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""}, {" ", ""}, {"\t a \t", "a"}, {"a b", "a b"}, {"\r a \n", "\r a \n"},
      {"  \x95\x5C  ", "\x95\x5C"},
  };
  for (const auto& c : cases) {
    std::string text = c.in;
    ProfileTrim(text.data());
    EXPECT_STREQ(text.c_str(), c.out) << "input \"" << c.in << "\"";
  }
  ProfileTrim(nullptr);
}

TEST_F(ProfileReadTest, NameHashIgnoresAsciiCaseAndSpaces) {
  EXPECT_EQ(ProfileNameHash(""), 0);
  EXPECT_EQ(ProfileNameHash("a"), 'a');
  EXPECT_EQ(ProfileNameHash("ab"), 2 * 'a' + 'b');
  EXPECT_EQ(ProfileNameHash("Command Name0"), ProfileNameHash("commandname0"));
  EXPECT_EQ(ProfileNameHash("\x80"), -128);  // bytes count as signed
  // Long names wrap without overflow faults.
  EXPECT_EQ(ProfileNameHash(std::string(300, 'z').c_str()),
            ProfileNameHash(std::string(300, 'Z').c_str()));
}

}  // namespace

TEST(ProfileLineShape, EveryEndEqualsAndNulIsFoundWhereverItFallsInABlock) {
  // The line's end and its first "=" and NUL, found byte by byte.
  auto expected = [](const std::string& text, std::size_t p) {
    ProfileLineShape shape{text.size(), text.size(), text.size()};
    std::size_t e = p;
    for (; e < text.size() && text[e] != '\r' && text[e] != '\n'; ++e) {
      if (text[e] == '=' && shape.equalsAt == text.size()) shape.equalsAt = e;
      if (text[e] == '\0' && shape.nulAt == text.size()) shape.nulAt = e;
    }
    shape.end = e;
    return shape;
  };
  std::mt19937 random(20261211);
  const char bytes[] = {'a', 'a', 'a', 'a', '=', '\0', '\r', '\n', ' ', '\x95'};
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 70, 'a');
    // Mostly plain bytes, so that lines run across several blocks.
    for (char& c : text) c = random() % 4 ? 'a' : bytes[random() % sizeof bytes];
    for (std::size_t p = 0; p < text.size(); ++p) {
      ProfileLineShape const got = ProfileShapeOfLine(text.data(), p, text.size());
      ProfileLineShape const want = expected(text, p);
      ASSERT_EQ(got.end, want.end) << "round " << round << " at " << p;
      ASSERT_EQ(got.equalsAt, want.equalsAt) << "round " << round << " at " << p;
      ASSERT_EQ(got.nulAt, want.nulAt) << "round " << round << " at " << p;
    }
  }
}
