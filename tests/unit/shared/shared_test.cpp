// The helpers both programs share: double-byte stepping, file names, paths beside the
// programs, the desktop folder name rule, centring, and the host's environment expansion.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>

#include "shared.h"

namespace {

const std::string HYOU = "\x95\x5C";  // second byte is 0x5C, the backslash

TEST(NextChar, StepsOverWholeCharactersButNeverTheTerminator) {
  const std::string text = "a" + HYOU + "\x95";  // ends in a lead byte without its second byte
  const char* p = text.c_str();
  EXPECT_EQ(NextChar(p), p + 1);
  EXPECT_EQ(NextChar(p + 1), p + 3);
  EXPECT_EQ(NextChar(p + 3), p + 4);
  EXPECT_EQ(*NextChar(p + 3), '\0');
}

TEST(FileNamePart, TrailByteIsNoSeparator) {
  struct Case {
    std::string path;
    std::string part;
  };
  const Case cases[] = {
      /* 0 */ {"C:\\Tools\\app.exe", "app.exe"},
      /* 1 */ {"app.exe", "app.exe"},
      /* 2 */ {"C:\\Tools\\", ""},
      /* 3 */ {"C:\\" + HYOU + "\\app.exe", "app.exe"},
      /* 4 */ {"C:\\Tools\\" + HYOU, HYOU},
      /* 5 */ {HYOU + "x.exe", HYOU + "x.exe"},
      /* 6 */ {"", ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(FileNamePart(c.path.c_str())), c.part) << "case " << i;
    ++i;
  }
  EXPECT_EQ(FileNamePart(static_cast<const char*>(nullptr)), nullptr);
}

TEST(CharBoundaryLength, NeverEndsInsideACharacter) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::size_t length;
  };
  const Case cases[] = {
      /* 0 */ {"ab" + HYOU, 3, 2},
      /* 1 */ {"ab" + HYOU, 4, 4},
      /* 2 */ {"ab" + HYOU, 9, 4},
      /* 3 */ {"a\x95", 5, 1},  // a lead byte that lost its second byte is dropped
      /* 4 */ {"abc", 0, 0},
      /* 5 */ {"", 3, 0},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(CharBoundaryLength(c.text.c_str(), c.limit), c.length) << "case " << i;
    ++i;
  }
}

// The editor's paths: a folder without trailing backslash and one of the three file formats,
// into buffers of PATH_BUFFER_SIZE bytes.
TEST(FormatDirectoryPath, WritesOnlyWholePaths) {
  char out[PATH_BUFFER_SIZE];
  EXPECT_TRUE(FormatDirectoryPath(("C:\\" + HYOU).c_str(), INI_FILE_FORMAT, out, sizeof out));
  EXPECT_EQ(std::string(out), "C:\\" + HYOU + "\\pimbo.ini");
  EXPECT_TRUE(FormatDirectoryPath("D:\\Pimbo", LAUNCHER_FILE_FORMAT, out, sizeof out));
  EXPECT_STREQ(out, "D:\\Pimbo\\pimbo.exe");
  EXPECT_TRUE(FormatDirectoryPath("D:\\Pimbo", EDITOR_FILE_FORMAT, out, sizeof out));
  EXPECT_STREQ(out, "D:\\Pimbo\\pimbosetting.exe");

  // 249 bytes of folder and "\pimbo.ini" fill the buffer with its terminator; one more byte
  // and nothing is written.
  std::string folder = "C:\\" + std::string(246, 'd');
  ASSERT_EQ(folder.size(), 249u);
  EXPECT_TRUE(FormatDirectoryPath(folder.c_str(), INI_FILE_FORMAT, out, sizeof out));
  EXPECT_EQ(std::strlen(out), PATH_BUFFER_SIZE - 1);
  folder += 'd';
  std::memset(out, 'x', sizeof out);
  EXPECT_FALSE(FormatDirectoryPath(folder.c_str(), INI_FILE_FORMAT, out, sizeof out));
  EXPECT_STREQ(out, "");

  std::memset(out, 'x', sizeof out);
  EXPECT_FALSE(FormatDirectoryPath("C:\\", "pimbo.ini", out, sizeof out));  // no slot
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(FormatDirectoryPath("C:\\", INI_FILE_FORMAT, out, 0));
}

TEST(CopyTextWhole, CopiesAllOrNothing) {
  char buffer[6] = "old";
  EXPECT_TRUE(CopyTextWhole(buffer, sizeof buffer, "12345"));
  EXPECT_STREQ(buffer, "12345");
  EXPECT_FALSE(CopyTextWhole(buffer, sizeof buffer, "123456"));
  EXPECT_STREQ(buffer, "");
  // No room at all: nothing is written, not even the terminator.
  buffer[0] = 'x';
  EXPECT_FALSE(CopyTextWhole(buffer, 0, ""));
  EXPECT_EQ(buffer[0], 'x');
}

TEST(FindForbiddenFolderChar, FindsTheFirstSeparatorOrWildcard) {
  for (const char* name : {"\\x", "a/b", "C:x", "a,b", "a;b", "a*", "a?", "\"a", "<a", "a>",
                           "a|b"}) {
    const char* found = FindForbiddenFolderChar(name);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_NE(std::strchr("\\/:,;*?\"<>|", *found), nullptr) << name;
    EXPECT_EQ(found, std::strpbrk(name, "\\/:,;*?\"<>|")) << name;
  }
  // A second byte of 0x5C (or 0x7C) belongs to its character; the backslash after it counts.
  const std::string name = "a" + HYOU + "\x83\x7C" + "\\b";
  EXPECT_EQ(FindForbiddenFolderChar(name.c_str()), name.c_str() + 5);
  EXPECT_EQ(FindForbiddenFolderChar(HYOU.c_str()), nullptr);
  EXPECT_EQ(FindForbiddenFolderChar("new folder_1 (x) .txt"), nullptr);
  EXPECT_EQ(FindForbiddenFolderChar(""), nullptr);
  EXPECT_EQ(FindForbiddenFolderChar(nullptr), nullptr);
}

// The host's expansion follows the Windows rules, so that the window-free callers behave the
// same in both builds.
class ExpandPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PIMBO_TEST_WORD", "word", 1);
    unsetenv("PIMBO_TEST_UNSET");
  }
  void TearDown() override { unsetenv("PIMBO_TEST_WORD"); }

  // The expansion into a buffer of size bytes, or "<none>" when ExpandPath refuses.
  static std::string Expand(const char* source, std::size_t size = PATH_BUFFER_SIZE) {
    std::string buffer(size, 'x');
    if (!ExpandPath(source, buffer.data(), size)) {
      EXPECT_EQ(buffer[0], '\0') << source;
      return "<none>";
    }
    return buffer.c_str();
  }
};

TEST_F(ExpandPathTest, SetNamesExpandAndOthersStayAsWritten) {
  struct Case {
    const char* source;
    const char* expanded;
  };
  const Case cases[] = {
      /* 0 */ {"%PIMBO_TEST_WORD%\\a.txt", "word\\a.txt"},
      /* 1 */ {"x%PIMBO_TEST_WORD%%PIMBO_TEST_WORD%y", "xwordwordy"},
      /* 2 */ {"%PIMBO_TEST_UNSET%\\a", "%PIMBO_TEST_UNSET%\\a"},
      // After a name that is not set the scan goes on behind its closing "%".
      /* 3 */ {"%PIMBO_TEST_UNSET%PIMBO_TEST_WORD%", "%PIMBO_TEST_UNSET%PIMBO_TEST_WORD%"},
      /* 4 */ {"100%% %PIMBO_TEST_WORD", "100%% %PIMBO_TEST_WORD"},
      /* 5 */ {"", ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(Expand(c.source), c.expanded) << "case " << i;
    ++i;
  }
}

TEST_F(ExpandPathTest, LongerThanAPathOrTheBufferGivesNothing) {
  // 259 bytes and the terminator are the most a path holds.
  std::string longest = std::string(255, 'a') + "%PIMBO_TEST_WORD%";
  EXPECT_EQ(Expand(longest.c_str()), std::string(255, 'a') + "word");
  EXPECT_EQ(Expand(longest.c_str(), 1000), std::string(255, 'a') + "word");
  std::string tooLong = "a" + longest;
  EXPECT_EQ(Expand(tooLong.c_str(), 1000), "<none>");
  EXPECT_EQ(Expand("%PIMBO_TEST_WORD%", 5), "word");  // 5 bytes with its NUL
  EXPECT_EQ(Expand("%PIMBO_TEST_WORD%", 4), "<none>");
  EXPECT_EQ(ExpandPath("a", nullptr, 10), 0);
  char one = 'x';
  EXPECT_EQ(ExpandPath(nullptr, &one, 1), 0);
  EXPECT_EQ(one, '\0');
}

TEST(CenteredOrigin, HalvesEachExtentBeforeSubtracting) {
  // 1024 x 768 desktop, 240 x 22 window.
  EXPECT_EQ(CenteredOrigin(1024, 240), 392);
  EXPECT_EQ(CenteredOrigin(768, 22), 373);
  // With an odd window extent the halves round separately: 512 - 120, not 783 / 2.
  EXPECT_EQ(CenteredOrigin(1024, 241), 392);
  EXPECT_EQ(CenteredOrigin(1023, 22), 500);
  // A window larger than the desktop starts left of (above) it.
  EXPECT_EQ(CenteredOrigin(100, 241), -70);
}

}  // namespace
