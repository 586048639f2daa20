// The Windows halves of the shared helpers under Wine: environment expansion by the system and
// centring a window on the desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shared.h"

namespace {

class SharedWinTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentVariableA("PIMBO_TEST_WORD", "word"); }
  void TearDown() override {
    SetEnvironmentVariableA("PIMBO_TEST_WORD", nullptr);
    if (window_ != nullptr) DestroyWindow(window_);
  }

  HWND window_ = nullptr;
};

TEST_F(SharedWinTest, ExpandPathTakesWholePathsOnly) {
  char out[PATH_BUFFER_SIZE];
  ASSERT_EQ(ExpandPath("%PIMBO_TEST_WORD%\\%PIMBO_TEST_UNSET%", out, sizeof out), 1);
  EXPECT_STREQ(out, "word\\%PIMBO_TEST_UNSET%");

  std::string const longest = std::string(255, 'a') + "%PIMBO_TEST_WORD%";  // 259 bytes out
  ASSERT_EQ(ExpandPath(longest.c_str(), out, sizeof out), 1);
  EXPECT_EQ(std::string(out), std::string(255, 'a') + "word");

  // One byte more: the system fills the buffer with a part of the text; none of it is kept.
  std::string const tooLong = "a" + longest;
  char large[1000];
  large[0] = 'x';
  EXPECT_EQ(ExpandPath(tooLong.c_str(), large, sizeof large), 0);
  EXPECT_STREQ(large, "");
  out[0] = 'x';
  EXPECT_EQ(ExpandPath(tooLong.c_str(), out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  char small[4] = "xyz";
  EXPECT_EQ(ExpandPath("%PIMBO_TEST_WORD%", small, sizeof small), 0);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(ExpandPath("a", nullptr, 10), 0);
}

// The system's count of a Japanese expansion is no byte length (Wine 8 counts characters): the
// whole text must come through, never cut after as many bytes as characters.
TEST_F(SharedWinTest, ExpandPathKeepsEveryByteOfJapaneseText) {
  SetEnvironmentVariableA("PIMBO_TEST_FOLDER", "予定表");
  char out[PATH_BUFFER_SIZE];
  ASSERT_EQ(ExpandPath("能力.txt", out, sizeof out), 1);
  EXPECT_STREQ(out, "能力.txt");
  ASSERT_EQ(ExpandPath("C:\\%PIMBO_TEST_FOLDER%\\ソース表", out, sizeof out), 1);
  EXPECT_STREQ(out, "C:\\予定表\\ソース表");
  SetEnvironmentVariableA("PIMBO_TEST_FOLDER", nullptr);
}

TEST_F(SharedWinTest, CenterWindowOnDesktopKeepsTheSize) {
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "centre", WS_POPUP | WS_BORDER, 3, 5,
                            241, 23, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window_, nullptr);
  CenterWindowOnDesktop(window_);
  RECT desktop = {};
  RECT own = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window_, &own);
  int const desktopWidth = desktop.right - desktop.left;
  int const desktopHeight = desktop.bottom - desktop.top;
  EXPECT_EQ(own.right - own.left, 241) << "expected the width kept, got " << own.right - own.left;
  EXPECT_EQ(own.bottom - own.top, 23);
  // Each half truncated on its own: 241 / 2 is 120, 23 / 2 is 11.
  EXPECT_EQ(own.left, desktopWidth / 2 - 120) << "expected " << desktopWidth / 2 - 120
                                                << ", got " << own.left;
  EXPECT_EQ(own.top, desktopHeight / 2 - 11) << "expected " << desktopHeight / 2 - 11
                                               << ", got " << own.top;
}

}  // namespace
