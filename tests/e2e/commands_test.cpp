// End-to-end tests of the commands the launcher runs when a launch key is typed: programs and
// documents, folders, the shut-down question, the launcher's own control operations, folders
// on the desktop, the recycle bin, and types it does not know.
#include "command_fixture.h"  // first: it brings <windows.h>, which the shell headers need

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>

namespace {

using LauncherCommands = CommandTest;
using LauncherShutDown = CommandTest;

std::string Environment(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : "";
}

// Sets a variable in this process's environment, which the launcher inherits, for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::string const& value)
      : name_(name), old_(Environment(name)) {
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableA(name_, old_.empty() ? nullptr : old_.c_str()); }
  ScopedVariable(ScopedVariable const&) = delete;
  ScopedVariable& operator=(ScopedVariable const&) = delete;

 private:
  const char* name_;
  std::string old_;
};

TEST_F(LauncherCommands, ApplicationGetsItsFolderAndTheExpandedParameters) {
  ScopedVariable word("PIMBO_E2E_WORD", "expanded");
  std::string const windir = Environment("WINDIR");
  ASSERT_FALSE(windir.empty());
  ASSERT_NO_FATAL_FAILURE(
      Launch({}, {{"probe", "p", CMD_APP, AppProbe(), "%PIMBO_E2E_WORD% %WINDIR%\\x.txt --flag"}}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  ASSERT_TRUE(e2e::TypeText("p"));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected the probe to be started";
  e2e::ProbeRecord record = AppRecords()[0];
  EXPECT_TRUE(e2e::SameText(record.module, AppProbe())) << record.module;
  // The folder of the program (given with its trailing backslash; the process reports its
  // working directory without it).
  EXPECT_TRUE(e2e::SameText(record.workDir, folder_->PathOf("app"))) << record.workDir;
  EXPECT_TRUE(EndsWith(record.commandLine, " expanded " + windir + "\\x.txt --flag"))
      << record.commandLine;
  ExpectCloseEndsWithZero();
}

// Without a program the file itself is opened; for a program file that means it runs.
TEST_F(LauncherCommands, FileWithoutApplicationIsOpened) {
  ScopedVariable folder("PIMBO_E2E_APP", folder_->PathOf("app"));
  ASSERT_NO_FATAL_FAILURE(
      Launch({}, {{"document", "d", CMD_APP, "", "%PIMBO_E2E_APP%\\probe.exe"}}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  ASSERT_TRUE(e2e::TypeText("d"));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected the expanded file to be opened";
  EXPECT_TRUE(e2e::SameText(AppRecords()[0].module, AppProbe())) << AppRecords()[0].module;
  ExpectCloseEndsWithZero();
}

// Under Wine the shell opens a folder in a file-manager window of a new explorer.exe.
TEST_F(LauncherCommands, FolderOpensAndTheLauncherGoesOn) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {{"open", "o", CMD_FOLDER, "0", folder_->PathOf("app")},
                                      {"explore", "e", CMD_FOLDER, "1", folder_->PathOf("app")},
                                      ProbeCommand("p", "after")}));
  // Whatever happens, close what the launcher opened (the viewer would otherwise outlive the
  // test and hold its output open).
  struct CloseViewers {
    DWORD launcher;
    ~CloseViewers() {
      for (DWORD pid : e2e::ChildProcesses(launcher)) e2e::Process::Attach(pid).Stop();
    }
  } closeViewers{launcher_.Id()};

  for (const char* key : {"o", "e"}) {
    SCOPED_TRACE(std::string("key ") + key);
    size_t const before = e2e::ChildProcesses(launcher_.Id()).size();
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText(key));
    EXPECT_TRUE(e2e::WaitUntil([&] {
      return e2e::ChildProcesses(launcher_.Id()).size() > before;
    })) << "expected the shell to start a program for the folder";
    EXPECT_TRUE(e2e::WaitVisible(window_, false)) << "expected the window hidden";
    EXPECT_TRUE(launcher_.Running());
  }
  // The launcher still answers its hot key and runs commands.
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());
  ASSERT_TRUE(e2e::TypeText("p"));
  EXPECT_TRUE(WaitAppRecords(1)) << "expected the launcher to run a command after the folders";
  ExpectCloseEndsWithZero();
}

// The question before shut-down, restart and log-off, answered with Cancel (never with OK:
// that would end the session of the machine that runs the test).
TEST_F(LauncherShutDown, QuestionCancelledChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {{"shut down", "s0", CMD_EXIT_WINDOWS, "0", ""},
                                      {"reboot", "s1", CMD_EXIT_WINDOWS, "1", ""},
                                      {"log off", "s2", CMD_EXIT_WINDOWS, "2", ""},
                                      ProbeCommand("p", "after")}));
  std::string const caption = ShutDownCaption();

  struct Case {
    const char* key;
    const char* question;
  } const cases[] = {
      {"s0", "シャットダウン しますか？"},
      {"s1", "リブート しますか？"},
      {"s2", "ログオフ しますか？"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.key);
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText(c.key));
    HWND box = e2e::WaitForMessageBox(launcher_.Id(), caption);
    ASSERT_TRUE(box) << "expected a question titled \"" << caption << "\"";
    EXPECT_EQ(e2e::MessageBoxText(box), c.question);
    EXPECT_TRUE(GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL)) << "expected OK and Cancel";
    ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
    EXPECT_TRUE(e2e::Responds(window_));
    EXPECT_TRUE(launcher_.Running());
  }
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());
  ASSERT_TRUE(e2e::TypeText("p"));
  EXPECT_TRUE(WaitAppRecords(1)) << "expected the launcher to go on after Cancel";
  ExpectCloseEndsWithZero();
}

// The launcher's control operations, each typed as a launch key.
class ControlTest : public CommandTest {
 protected:
  void LaunchControl(const char* operation) {
    ASSERT_NO_FATAL_FAILURE(
        Launch({}, {{"control", "c", CMD_CONTROL, operation, ""}, ProbeCommand("p", "new")}));
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText("c"));
  }

  // The launcher that replaced the first one: its process and window become the fixture's.
  void TakeNewLauncher(DWORD oldPid) {
    DWORD newPid = 0;
    ASSERT_TRUE(e2e::WaitUntil([&] {
      std::vector<DWORD> pids = e2e::ProcessesIn(folder_->Path(), "pimbo.exe");
      newPid = pids.size() == 1 && pids.front() != oldPid ? pids.front() : 0;
      return newPid != 0;
    })) << "expected a new pimbo.exe from the test folder";
    launcher_ = e2e::Process::Attach(newPid);
    ASSERT_TRUE(launcher_.Started());
    window_ = e2e::WaitForLauncherWindow(newPid);
    ASSERT_TRUE(window_) << "expected the new launcher's window";
    EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 1) << "expected exactly one launcher";
  }

  // The new launcher answers the hot key and runs commands.
  void ExpectNewLauncherWorks() {
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText("p"));
    EXPECT_TRUE(WaitAppRecords(1)) << "expected the new launcher to run a command";
    ExpectCloseEndsWithZero();
  }
};

using LauncherControl = ControlTest;

TEST_F(LauncherControl, SettingsEndsTheLauncherAndStartsTheEditor) {
  // The stand-in editor stays while this file exists, so that it can be counted.
  ASSERT_TRUE(folder_->WriteFile("pimbosetting.hold", ""));
  ASSERT_NO_FATAL_FAILURE(Launch({}, {{"settings", "c", CMD_CONTROL, "0", ""}}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());
  ASSERT_TRUE(e2e::TypeText("c"));

  ASSERT_TRUE(launcher_.WaitExit()) << "expected the launcher to end";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
  std::vector<e2e::ProbeRecord> records;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    records = e2e::ReadProbeLog(folder_->PathOf("probe.log"));
    return !records.empty();
  })) << "expected pimbosetting.exe to be started";
  EXPECT_TRUE(e2e::SameText(records[0].module, folder_->PathOf("pimbosetting.exe")))
      << records[0].module;
  EXPECT_FALSE(records[0].mutexHeld) << "expected the mutex closed before the editor starts";
  EXPECT_EQ(e2e::CountProcesses("pimbosetting.exe"), 1);
  EXPECT_EQ(e2e::CountProcesses("pimbo.exe"), 0);
  DeleteFileA(folder_->PathOf("pimbosetting.hold").c_str());
}

TEST_F(LauncherControl, ExitEndsWithZeroAndStartsNothing) {
  ASSERT_NO_FATAL_FAILURE(LaunchControl("1"));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the launcher to end";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
  EXPECT_TRUE(e2e::StaysFalse([&] {
    return e2e::CountProcesses("pimbo.exe") > 0 || folder_->Exists("probe.log");
  })) << "expected neither a launcher nor the editor to be started";
}

TEST_F(LauncherControl, RestartLeavesOneNewLauncher) {
  ASSERT_NO_FATAL_FAILURE(LaunchControl("2"));
  DWORD const oldPid = launcher_.Id();
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the old launcher to end";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
  ASSERT_NO_FATAL_FAILURE(TakeNewLauncher(oldPid));
  ASSERT_NO_FATAL_FAILURE(ExpectNewLauncherWorks());
}

TEST_F(LauncherControl, ForcedRestartEndsAtOnceWithMinusOne) {
  ASSERT_NO_FATAL_FAILURE(LaunchControl("3"));
  DWORD const oldPid = launcher_.Id();
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the old launcher to end";
  EXPECT_EQ(launcher_.ExitCode(), 0xFFFFFFFFu);
  ASSERT_NO_FATAL_FAILURE(TakeNewLauncher(oldPid));
  ASSERT_NO_FATAL_FAILURE(ExpectNewLauncherWorks());
}

TEST_F(LauncherCommands, DesktopFolderTakesTheFirstFreeName) {
  char desktop[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  std::string const name = "pimbo-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount64());
  std::string const base = std::string(desktop) + "\\" + name;
  // Removes every empty folder whose name begins with the unique name, also those that a
  // launcher with a wrong suffix rule would leave.
  struct RemoveFolders {
    std::string desktop, name;
    ~RemoveFolders() {
      WIN32_FIND_DATAA found;
      HANDLE search = FindFirstFileA((desktop + "\\" + name + "*").c_str(), &found);
      if (search == INVALID_HANDLE_VALUE) return;
      do {
        RemoveDirectoryA((desktop + "\\" + found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
  } removeFolders{desktop, name};
  auto exists = [](std::string const& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };

  ASSERT_NO_FATAL_FAILURE(Launch({}, {{"desktop folder", "n", CMD_DESKTOP_FOLDER, "", name}}));
  for (const char* expected : {"", "_1", "_2"}) {
    SCOPED_TRACE(std::string("run creating ") + name + expected);
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText("n"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return exists(base + expected); }))
        << "expected the folder " << base + expected;
  }
  EXPECT_TRUE(DWORD(GetFileAttributesA(base.c_str())) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(exists(base + "_3"));
  ExpectCloseEndsWithZero();
}

// Wine keeps its recycle bin in the XDG trash of the Unix user; the test points it at a
// folder of its own (XDG_DATA_HOME, inherited by the launcher) so that emptying it cannot
// touch anyone's real trash.
TEST_F(LauncherCommands, EmptyRecycleBinRemovesADeletedFile) {
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("data").c_str(), nullptr));
  std::string const dataHome = e2e::UnixPath(folder_->PathOf("data"));
  ASSERT_FALSE(dataHome.empty()) << "expected Wine to map " << folder_->PathOf("data");
  ScopedVariable trash("XDG_DATA_HOME", dataHome);

  // Deleted with undo: the file goes to the recycle bin.
  ASSERT_TRUE(folder_->WriteFile("deleted.txt", "deleted"));
  std::string const from = folder_->PathOf("deleted.txt") + std::string(1, '\0');
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  ASSERT_EQ(SHFileOperationA(&operation), 0);
  ASSERT_FALSE(folder_->Exists("deleted.txt"));
  SHQUERYRBINFO bin{};
  bin.cbSize = sizeof bin;
  ASSERT_EQ(SHQueryRecycleBinA(nullptr, &bin), S_OK);
  ASSERT_EQ(bin.i64NumItems, 1) << "expected the file in the test's own recycle bin";
  ASSERT_TRUE(folder_->Exists("data\\Trash\\files\\deleted.txt"))
      << "expected Wine's trash under XDG_DATA_HOME";

  ASSERT_NO_FATAL_FAILURE(Launch({"HIDE TIME=4"}, {{"empty", "r", CMD_EMPTY_RECYCLE_BIN, "", ""}}));
  // The system asks for confirmation (flags 0), which Wine shows as a dialog of the
  // launcher's process; the launcher window is hidden before, whatever "HIDE TIME" says (and
  // not just because the dialog took its focus: it had none). Yes empties the bin.
  ASSERT_NO_FATAL_FAILURE(TypeUnfocused('r'));
  HWND confirm = e2e::WaitForWindow(launcher_.Id(), "#32770", nullptr, true);
  ASSERT_TRUE(confirm) << "expected the system's confirmation";
  EXPECT_FALSE(IsWindowVisible(window_)) << "expected the window hidden before the question";
  std::printf("confirmation: %s\n", e2e::MessageBoxText(confirm).c_str());
  ASSERT_TRUE(e2e::DismissMessageBox(confirm, IDYES));

  EXPECT_TRUE(e2e::WaitUntil([&] {
    return SHQueryRecycleBinA(nullptr, &bin) == S_OK && bin.i64NumItems == 0;
  })) << "expected the recycle bin empty, it holds " << bin.i64NumItems;
  EXPECT_FALSE(folder_->Exists("data\\Trash\\files\\deleted.txt"));
  EXPECT_TRUE(launcher_.Running());
  EXPECT_TRUE(e2e::Responds(window_));
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherCommands, UnknownTypeDoesNothing) {
  ASSERT_NO_FATAL_FAILURE(Launch({"HIDE TIME=2"}, {{"seven", "u", 7, AppProbe(), "x"},
                                                   {"negative", "v", -1, AppProbe(), "x"}}));
  for (const char* key : {"u", "v"}) {
    SCOPED_TRACE(std::string("key ") + key);
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText(key));
    // The window still hides by the timer of "HIDE TIME"; nothing is started.
    EXPECT_TRUE(e2e::WaitVisible(window_, false)) << "expected the window hidden by its timer";
    EXPECT_TRUE(AppRecords().empty()) << "expected nothing started";
    EXPECT_TRUE(launcher_.Running());
  }
  EXPECT_TRUE(AppStaysUnstarted());
  ExpectCloseEndsWithZero();
}

}  // namespace
