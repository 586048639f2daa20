// The fixture of the launcher's end-to-end tests: one launcher in a fresh folder per test, and
// the check that nothing of it is left running afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "driver.h"

// The running test's name as a short folder tag ("/" of parameterised names replaced).
inline std::string CurrentTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? info->name() : "test";
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  return name.substr(0, 40);
}

// After a test: no launcher and no editor runs any more.
inline void ExpectNoProgramLeftRunning() {
  EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 0) << "a launcher was left running";
  EXPECT_EQ(e2e::CountProcesses("pimbosetting.exe"), 0) << "an editor was left running";
}

class LauncherTest : public ::testing::Test {
 protected:
  // Lays out a fresh folder (pimbo.exe, the probe as pimbosetting.exe, pimbo.ini with these
  // bytes unless ini is empty), starts the launcher and waits for its window. Use as
  // ASSERT_NO_FATAL_FAILURE(Launch(...)).
  void Launch(std::optional<std::string> ini = std::nullopt, size_t minPathLength = 0) {
    folder_ = std::make_unique<e2e::TestFolder>(TestName(), minPathLength);
    ASSERT_TRUE(folder_->Ok()) << "could not create a test folder";
    ASSERT_TRUE(folder_->InstallLauncher()) << "could not copy " << e2e::LauncherExe();
    ASSERT_TRUE(folder_->InstallProbe("pimbosetting.exe")) << "could not copy " << e2e::ProbeExe();
    if (ini) {
      ASSERT_TRUE(folder_->WriteFile("pimbo.ini", *ini));
    }
    launcher_ = e2e::StartLauncher(*folder_);
    ASSERT_TRUE(launcher_.Started()) << "CreateProcessA failed, error " << launcher_.Error();
    window_ = e2e::WaitForLauncherWindow(launcher_.Id());
    ASSERT_TRUE(window_) << "expected the launcher window, got none (exit code "
                         << launcher_.ExitCode() << ")";
  }

  // Alt+1 shows the launcher window (the default hot key).
  void ExpectHotKeyShows(UINT modifiers = MOD_ALT, WORD vk = '1') {
    ASSERT_FALSE(IsWindowVisible(window_)) << "expected the window hidden before the hot key";
    ASSERT_TRUE(e2e::PressHotKey(modifiers, vk));
    EXPECT_TRUE(e2e::WaitVisible(window_, true)) << "expected the hot key to show the window";
  }

  // WM_CLOSE ends the launcher with exit code 0.
  void ExpectCloseEndsWithZero() {
    EXPECT_EQ(e2e::CloseLauncher(launcher_), 0u) << "expected exit code 0 after WM_CLOSE";
  }

  void TearDown() override {
    launcher_ = e2e::Process();
    folder_.reset();
    ExpectNoProgramLeftRunning();
  }

  static std::string TestName() { return CurrentTestName(); }

  std::unique_ptr<e2e::TestFolder> folder_;  // declared first: it outlives the processes in it
  e2e::Process launcher_;
  HWND window_ = nullptr;
};
