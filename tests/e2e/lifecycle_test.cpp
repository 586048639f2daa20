// End-to-end tests of the launcher's life: one instance only, and the ways it ends (exit,
// end of session, restart, hand-over to the settings editor).
#include "launcher_fixture.h"

namespace {

using LauncherLifecycle = LauncherTest;

TEST_F(LauncherLifecycle, SecondStartEndsAtOnceAndLeavesTheFirstAlone) {
  ASSERT_NO_FATAL_FAILURE(Launch());

  e2e::Process second = e2e::StartLauncher(*folder_);
  ASSERT_TRUE(second.Started());
  ASSERT_TRUE(second.WaitExit()) << "expected the second launcher to end, it still runs";
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 1) << "expected exactly one launcher running";

  // The first one still has its window and its hot key.
  EXPECT_TRUE(launcher_.Running());
  EXPECT_EQ(e2e::FindLauncherWindow(launcher_.Id()), window_);
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherLifecycle, HeldMutexMakesItEndWithoutWindow) {
  // The settings editor holds the same mutex while it runs; here the test stands in for it.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, e2e::MUTEX_NAME);
  ASSERT_TRUE(mutex);
  e2e::TestFolder folder("mutex");
  ASSERT_TRUE(folder.InstallLauncher());
  e2e::Process launcher = e2e::StartLauncher(folder);
  ASSERT_TRUE(launcher.Started());
  bool ended = launcher.WaitExit();
  CloseHandle(mutex);
  ASSERT_TRUE(ended) << "expected the launcher to end while the mutex is held";
  EXPECT_EQ(launcher.ExitCode(), 0u);
}

TEST_F(LauncherLifecycle, ExitCommandEndsWithZeroAndFreesTheHotKey) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_ALT, '1')) << "expected Alt+1 held by the launcher";

  ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_EXIT));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected IDM_EXIT to end the launcher";
  EXPECT_EQ(launcher_.ExitCode(), 0u);

  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '1')) << "expected Alt+1 free after the exit";
  UnregisterHotKey(nullptr, 1);
  EXPECT_TRUE(e2e::ProcessesIn(folder_->Path(), "pimbosetting.exe").empty());
}

TEST_F(LauncherLifecycle, EndOfSessionEndsWithZero) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  LRESULT answer = 0;
  ASSERT_TRUE(e2e::Send(window_, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_NE(answer, 0) << "expected the launcher not to object to the end of the session";

  ASSERT_TRUE(e2e::Send(window_, WM_ENDSESSION, TRUE, 0, &answer));
  EXPECT_EQ(answer, 0);
  EXPECT_FALSE(IsWindow(window_)) << "expected the window destroyed before WM_ENDSESSION returns";
  ASSERT_TRUE(launcher_.WaitExit()) << "expected WM_ENDSESSION to end the launcher";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
}

TEST_F(LauncherLifecycle, RestartStartsANewLauncherThatTakesTheHotKey) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  DWORD oldPid = launcher_.Id();

  ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_RESTART));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the old launcher to end";
  EXPECT_EQ(launcher_.ExitCode(), 0u);

  DWORD newPid = 0;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    std::vector<DWORD> pids = e2e::ProcessesIn(folder_->Path(), "pimbo.exe");
    newPid = pids.size() == 1 ? pids.front() : 0;
    return newPid != 0;
  })) << "expected a new pimbo.exe from the test folder, got none";
  EXPECT_NE(newPid, oldPid);

  launcher_ = e2e::Process::Attach(newPid);
  ASSERT_TRUE(launcher_.Started());
  window_ = e2e::WaitForLauncherWindow(newPid);
  ASSERT_TRUE(window_) << "expected the new launcher's window";
  EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 1);
  EXPECT_TRUE(e2e::TopLevelWindows(newPid, "#32770").empty())
      << "expected no message box: the old launcher gave its hot key back first";
  EXPECT_TRUE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID))
      << "expected the new launcher to add its icon";
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherLifecycle, SettingsEndsTheLauncherAndStartsTheEditorBesideIt) {
  ASSERT_NO_FATAL_FAILURE(Launch());

  ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_SETTINGS));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected IDM_SETTINGS to end the launcher";
  EXPECT_EQ(launcher_.ExitCode(), 0u);

  std::string log = folder_->PathOf("probe.log");
  std::vector<e2e::ProbeRecord> records;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    records = e2e::ReadProbeLog(log);
    return !records.empty();
  })) << "expected pimbosetting.exe to be started, it was not";
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(e2e::SameText(records[0].module, folder_->PathOf("pimbosetting.exe")))
      << "expected " << folder_->PathOf("pimbosetting.exe") << ", got " << records[0].module;
  EXPECT_FALSE(records[0].mutexHeld) << "expected the mutex closed before the editor starts";
  EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 0) << "expected no launcher beside the editor";
}

}  // namespace
