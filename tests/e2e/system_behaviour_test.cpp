// End-to-end tests of what the launcher asks of the system with care for a real user's setup:
// a cancelled end of the session, a held hot key, the programs it starts getting their own
// folder, and no library ever taken from its own folder.
#include <cstdio>
#include <cstring>

#include "command_fixture.h"

namespace {

using SystemEndSession = CommandTest;
using SystemHotKey = CommandTest;
using SystemHandOver = CommandTest;
using SystemDllSearch = CommandTest;

TEST_F(SystemEndSession, CancelledKeepsTheLauncherAndItsHotKeyARealOneEndsIt) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {}));
  LRESULT answer = 0;
  ASSERT_TRUE(e2e::Send(window_, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_NE(answer, 0);

  // The user pressed Cancel on the shut-down screen: the session goes on.
  ASSERT_TRUE(e2e::Send(window_, WM_ENDSESSION, FALSE, 0, &answer));
  EXPECT_TRUE(IsWindow(window_)) << "expected the window kept after a cancelled shut-down";
  EXPECT_TRUE(e2e::StaysFalse([&] { return !launcher_.Running(); }))
      << "expected the launcher to go on after a cancelled shut-down";
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());

  ASSERT_TRUE(e2e::Send(window_, WM_ENDSESSION, TRUE, 0, &answer));
  EXPECT_FALSE(IsWindow(window_)) << "expected the window destroyed before WM_ENDSESSION returns";
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the end of the session to end the launcher";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
}

// Wine posts WM_HOTKEY for every key-down of the combination, the repeats of a held key
// included, whatever the registration says: its server compares only the four modifier keys
// (measured under Wine 8: Alt+1 held with three repeats emptied a typed line with MOD_NOREPEAT
// as without it). What Windows honours is the registration the launcher asks for, which Wine's
// keyboard trace records: so that is what is checked here.
TEST_F(SystemHotKey, CombinationIsRegisteredWithoutRepeats) {
  ASSERT_TRUE(folder_->WriteFile("pimbo.ini", CommandsIni({}, {})));
  launcher_ = e2e::StartWithWineTrace(*folder_, "pimbo.exe", "trace+keyboard", "trace.log");
  ASSERT_TRUE(launcher_.Started()) << "expected the launcher to start through wine";
  window_ = e2e::WaitForLauncherWindow(launcher_.Id());
  ASSERT_TRUE(window_) << "expected the launcher window";
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
  ExpectCloseEndsWithZero();

  // "...:trace:keyboard:NtUserRegisterHotKey (<window>,<id>,0x<modifiers>,<key>)"
  std::string const text = ReadBytes(folder_->PathOf("trace.log"));
  size_t const at = text.find("RegisterHotKey (");
  ASSERT_NE(at, std::string::npos) << "expected Wine's trace of the registration, got:\n"
                                   << text.substr(0, 2000);
  int id = 0;
  unsigned modifiers = 0, key = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + at, "RegisterHotKey (%*[^,],%d,0x%x,%x)", &id,
                        &modifiers, &key),
            3)
      << text.substr(at, 80);
  EXPECT_EQ(modifiers, static_cast<unsigned>(MOD_ALT | MOD_NOREPEAT))
      << "expected Alt with MOD_NOREPEAT, got 0x" << std::hex << modifiers;
  EXPECT_EQ(key, static_cast<unsigned>('1'));
}

// Started as administrator, the launcher must still hear the shell announce a restart, which
// comes from a lower integrity level. Wine has no integrity levels; its trace shows the call.
TEST_F(SystemHotKey, TaskbarCreatedIsLetThroughFromLowerLevels) {
  ASSERT_TRUE(folder_->WriteFile("pimbo.ini", CommandsIni({}, {})));
  launcher_ = e2e::StartWithWineTrace(*folder_, "pimbo.exe", "fixme+msg", "trace.log");
  ASSERT_TRUE(launcher_.Started()) << "expected the launcher to start through wine";
  window_ = e2e::WaitForLauncherWindow(launcher_.Id());
  ASSERT_TRUE(window_) << "expected the launcher window";
  HWND const window = window_;
  ExpectCloseEndsWithZero();
  std::vector<e2e::MessageFilterCall> const calls =
      e2e::MessageFilterCalls(ReadBytes(folder_->PathOf("trace.log")));
  ASSERT_EQ(calls.size(), 1u) << "expected one message let through";
  EXPECT_EQ(calls[0].window, window);
  EXPECT_EQ(calls[0].message, RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_EQ(calls[0].action, static_cast<DWORD>(MSGFLT_ALLOW));
}

// The first record of the probe log beside the programs, once there is one.
e2e::ProbeRecord FirstRecord(e2e::TestFolder const& folder) {
  std::vector<e2e::ProbeRecord> records;
  e2e::WaitUntil([&] {
    records = e2e::ReadProbeLog(folder.PathOf("probe.log"));
    return !records.empty();
  });
  return records.empty() ? e2e::ProbeRecord{} : records[0];
}

// Started by the quoted full path, in the launcher's folder, not in the folder the launcher was
// started in (the folder's parent) nor in the test's own.
void ExpectStartedInTheFolder(e2e::TestFolder const& folder, std::string const& name,
                              e2e::ProbeRecord const& record) {
  ASSERT_FALSE(record.module.empty()) << "expected " << name << " to be started, it was not";
  EXPECT_TRUE(e2e::SameText(record.module, folder.PathOf(name))) << record.module;
  EXPECT_TRUE(e2e::SameText(record.commandLine, "\"" + folder.PathOf(name) + "\""))
      << "expected the quoted path as command line, got " << record.commandLine;
  EXPECT_TRUE(e2e::SameText(record.workDir, folder.Path()))
      << "expected the working directory " << folder.Path() << ", got " << record.workDir;
}

// The test itself works in the temporary folder meanwhile, which the launcher does not inherit.
class ScopedCurrentDirectory {
 public:
  ScopedCurrentDirectory() {
    char old[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof old, old);
    old_.assign(old, n < sizeof old ? n : 0);
    char temporary[MAX_PATH];
    n = GetTempPathA(sizeof temporary, temporary);
    if (n > 0 && n < sizeof temporary) SetCurrentDirectoryA(temporary);
  }
  ~ScopedCurrentDirectory() {
    if (!old_.empty()) SetCurrentDirectoryA(old_.c_str());
  }
  ScopedCurrentDirectory(ScopedCurrentDirectory const&) = delete;
  ScopedCurrentDirectory& operator=(ScopedCurrentDirectory const&) = delete;

 private:
  std::string old_;
};

TEST_F(SystemHandOver, SettingsStartsTheEditorInItsFolder) {
  ScopedCurrentDirectory elsewhere;
  ASSERT_NO_FATAL_FAILURE(Launch({}, {}));
  ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_SETTINGS));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the launcher to hand over and end";
  ASSERT_NO_FATAL_FAILURE(ExpectStartedInTheFolder(*folder_, "pimbosetting.exe",
                                                   FirstRecord(*folder_)));
}

// Both restarts, the tray menu's (through the exit sequence) and the forced one of a control
// command (at once): the running launcher is moved aside and the probe put in its place, so
// that the restarted "pimbo.exe" records how it was started.
TEST_F(SystemHandOver, RestartsStartTheLauncherInItsFolder) {
  ScopedCurrentDirectory elsewhere;
  for (bool const forced : {false, true}) {
    SCOPED_TRACE(forced ? "forced restart" : "tray menu restart");
    if (forced) {
      ASSERT_NO_FATAL_FAILURE(MakeFolder());
    }
    ASSERT_NO_FATAL_FAILURE(Launch({}, {{"restart", "r", CMD_CONTROL, "3", ""}}));
    ASSERT_TRUE(MoveFileA(folder_->PathOf("pimbo.exe").c_str(),
                          folder_->PathOf("pimbo-running.exe").c_str()))
        << "could not move the running launcher aside, error " << GetLastError();
    ASSERT_TRUE(folder_->InstallProbe("pimbo.exe"));
    if (forced) {
      ASSERT_NO_FATAL_FAILURE(ShowForTyping());
      ASSERT_TRUE(e2e::TypeText("r"));
    } else {
      ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_RESTART));
    }
    ASSERT_TRUE(launcher_.WaitExit()) << "expected the old launcher to end";
    ASSERT_NO_FATAL_FAILURE(ExpectStartedInTheFolder(*folder_, "pimbo.exe", FirstRecord(*folder_)));
    launcher_ = e2e::Process();
  }
}

TEST_F(SystemDllSearch, LibraryPlantedBesideTheLauncherIsNeverLoaded) {
  // Wine 8's own imm32 loads ole32 when the launcher creates its window, through a search of
  // its own that ignores the process's DLL directories (measured with WINEDEBUG=+loaddll: the
  // planted file loaded before the launcher's first call, with RestrictDllSearch in place; the
  // launcher's own load then came from System32). Windows takes ole32 from its known DLLs.
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr) {
    GTEST_SKIP() << "Wine's imm32 loads a planted ole32.dll before the launcher's code can";
  }
  std::string const planted = e2e::WinePath(PIMBO_E2E_PLANTED_DLL_UNIX_PATH);
  // The stand-in works here: loaded by its path under another name, it leaves its marker.
  ASSERT_TRUE(folder_->CopyIn(planted, "check.dll"));
  EXPECT_EQ(LoadLibraryA(folder_->PathOf("check.dll").c_str()), nullptr);
  ASSERT_TRUE(folder_->Exists("check.loaded")) << "expected the planted DLL to mark its load";

  // ole32.dll, which the launcher loads when it runs a program (the COM apartment) and for the
  // shut-down dialog. Wine takes its own builtin library even from a path that the search found
  // (measured: "...\\ole32.dll ... builtin" in its load trace); its per-program override makes it
  // load a native DLL there, as Windows would. Wine reads it from the registry at start.
  ASSERT_TRUE(folder_->CopyIn(planted, "ole32.dll"));
  e2e::ScopedWineOverride native("pimbo.exe", "ole32", "native,builtin");
  ASSERT_TRUE(native.Ok()) << "could not write Wine's override for pimbo.exe";
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("p")}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());
  ASSERT_TRUE(e2e::TypeText("p"));
  // A launcher that took the planted DLL fails to run the command (the shell's own use of the
  // library fails with it), so the marker is waited for as well.
  e2e::WaitUntil([&] { return !AppRecords().empty() || folder_->Exists("ole32.loaded"); });
  EXPECT_TRUE(e2e::StaysFalse([&] { return folder_->Exists("ole32.loaded"); }))
      << "expected the ole32.dll beside the launcher never loaded";
  ASSERT_EQ(AppRecords().size(), 1u) << "expected the program command to run";
  ExpectCloseEndsWithZero();
}

}  // namespace
