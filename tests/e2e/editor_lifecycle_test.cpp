// End-to-end tests of the settings editor's life: it refuses to run beside a launcher or a
// second editor, takes over from the launcher's settings item, writes pimbo.ini on OK only,
// reports a save that fails, and always hands back to pimbo.exe.
#include "editor_fixture.h"

namespace {

using EditorLifecycle = EditorTest;

// The refusal box of an editor started while the mutex exists: exact text, exit code 1.
void ExpectRefusal(e2e::Process& second) {
  ASSERT_TRUE(second.Started()) << "CreateProcessA failed, error " << second.Error();
  HWND box = e2e::WaitForMessageBox(second.Id(), "Information");
  ASSERT_TRUE(box) << "expected the box \"Information\", got none (exit code "
                   << second.ExitCode() << ")";
  EXPECT_EQ(e2e::MessageBoxText(box), ALREADY_RUNNING_TEXT);
  EXPECT_TRUE(e2e::TopLevelWindows(second.Id(), e2e::EDITOR_CLASS, e2e::EDITOR_TITLE).empty())
      << "expected no settings dialog beside the refusal";
  ASSERT_TRUE(e2e::DismissMessageBox(box));
  ASSERT_TRUE(second.WaitExit()) << "expected the refused editor to end";
  EXPECT_EQ(second.ExitCode(), 1u);
}

TEST_F(EditorLifecycle, RefusesBesideALauncher) {
  ASSERT_NO_FATAL_FAILURE(Layout(std::nullopt, true));
  launcher_ = e2e::StartLauncher(*folder_);
  HWND window = e2e::WaitForLauncherWindow(launcher_.Id());
  ASSERT_TRUE(window) << "expected the launcher window";

  e2e::Process editor = e2e::StartEditor(*folder_);
  ASSERT_NO_FATAL_FAILURE(ExpectRefusal(editor));

  EXPECT_TRUE(launcher_.Running()) << "expected the launcher left running";
  EXPECT_TRUE(e2e::Responds(window));
  EXPECT_EQ(e2e::ProcessesIn(folder_->Path(), "pimbo.exe"),
            std::vector<DWORD>{launcher_.Id()})
      << "expected no second launcher";
  EXPECT_FALSE(folder_->Exists("pimbo.ini")) << "expected no configuration written";
  EXPECT_EQ(e2e::CloseLauncher(launcher_), 0u);
}

TEST_F(EditorLifecycle, RefusesBesideAnotherEditor) {
  std::string ini = CommandsIni({"hot key=305"}, {{"one", "a", CMD_APP, "", "x.txt"}});
  ASSERT_NO_FATAL_FAILURE(Open(ini));

  e2e::Process second = e2e::StartEditor(*folder_);
  ASSERT_NO_FATAL_FAILURE(ExpectRefusal(second));

  EXPECT_TRUE(e2e::Responds(dialog_)) << "expected the first editor's dialog unaffected";
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_TRUE(LauncherStarts().empty()) << "expected no launcher started by the refused editor";
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
  EXPECT_EQ(Ini(), ini);
}

TEST_F(EditorLifecycle, SettingsItemHandsOverAndOkBringsBackALauncherOnTheNewHotKey) {
  ASSERT_NO_FATAL_FAILURE(Layout(CommandsIni({"hot key=305", "NoTray=0"}, {}), true));
  launcher_ = e2e::StartLauncher(*folder_);
  HWND window = e2e::WaitForLauncherWindow(launcher_.Id());
  ASSERT_TRUE(window) << "expected the launcher window";

  ASSERT_TRUE(e2e::Post(window, WM_COMMAND, IDM_SETTINGS));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the settings item to end the launcher";
  DWORD editorPid = WaitForOnly("pimbosetting.exe");
  ASSERT_TRUE(editorPid) << "expected pimbosetting.exe started from the launcher's folder";
  editor_ = e2e::Process::Attach(editorPid);
  ASSERT_NO_FATAL_FAILURE(FindDialog());
  EXPECT_EQ(HotKeyControl(), MAKEWORD('1', HOTKEYF_ALT)) << "expected Alt+1 shown";

  ASSERT_NO_FATAL_FAILURE(SetHotKeyControl('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(Setting("hot key"), "1601");

  DWORD launcherPid = WaitForOnly("pimbo.exe");
  ASSERT_TRUE(launcherPid) << "expected the editor to start pimbo.exe again";
  launcher_ = e2e::Process::Attach(launcherPid);
  window = e2e::WaitForLauncherWindow(launcherPid);
  ASSERT_TRUE(window) << "expected the new launcher's window";
  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '1')) << "expected Alt+1 no longer taken";
  UnregisterHotKey(nullptr, 1);
  ASSERT_TRUE(e2e::PressHotKey(MOD_CONTROL | MOD_SHIFT, 'A'));
  if (!e2e::WaitVisible(window, true, 5000)) {
    ASSERT_TRUE(e2e::PressHotKey(MOD_CONTROL | MOD_SHIFT, 'A'));  // a lost first press
  }
  EXPECT_TRUE(e2e::WaitVisible(window, true)) << "expected Ctrl+Shift+A to show the launcher";
  EXPECT_EQ(e2e::CloseLauncher(launcher_), 0u);
}

// The ways out of the dialog that must write nothing.
enum class Leave { CancelButton, Escape, CloseBox };

class EditorLeave : public EditorTest, public ::testing::WithParamInterface<Leave> {};

TEST_P(EditorLeave, WritesNothingAndStillStartsTheLauncher) {
  // LF line ends, a comment and an unknown section: any rewrite would change these bytes.
  std::string ini =
      "# mine\n[settings]\nhot key=305\nNoTray=0\nHIDE TIME=1\ncommand count=1\n[other]\nx=1\n"
      "[commands]\ncommand name0=one\ncommand key0=a\ncommand type0=0\ncommand file0=x.txt\n";
  ASSERT_NO_FATAL_FAILURE(Open(ini));
  // Changes that OK would store.
  ASSERT_NO_FATAL_FAILURE(SetHotKeyControl('B', HOTKEYF_CONTROL));
  ASSERT_TRUE(e2e::Send(Control(IDC_NO_TRAY), BM_SETCHECK, BST_CHECKED));
  ASSERT_TRUE(e2e::Send(Control(IDC_HIDE_TIME), CB_SETCURSEL, 4));

  switch (GetParam()) {
    case Leave::CancelButton:
      Press(IDCANCEL);
      break;
    case Leave::Escape:
      ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == dialog_; }))
          << "expected the dialog in the foreground, so that Escape reaches it";
      ASSERT_TRUE(e2e::PressKey(VK_ESCAPE));
      break;
    case Leave::CloseBox:
      // What the close box sends.
      ASSERT_TRUE(e2e::Post(dialog_, WM_SYSCOMMAND, SC_CLOSE));
      break;
  }
  ASSERT_TRUE(editor_.WaitExit()) << "expected the editor to end";
  EXPECT_EQ(editor_.ExitCode(), 0u);
  EXPECT_EQ(Ini(), ini) << "expected pimbo.ini unchanged byte for byte";
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
}

INSTANTIATE_TEST_SUITE_P(Ways, EditorLeave,
                         ::testing::Values(Leave::CancelButton, Leave::Escape, Leave::CloseBox),
                         [](auto const& info) {
                           switch (info.param) {
                             case Leave::CancelButton: return std::string("CancelButton");
                             case Leave::Escape: return std::string("Escape");
                             default: return std::string("CloseBox");
                           }
                         });

TEST_F(EditorLifecycle, OkCreatesTheFileWithSettingsFirst) {
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string ini = Ini();
  EXPECT_EQ(ini.rfind("[settings]\r\n", 0), 0u) << "expected [settings] first, got:\n" << ini;
  EXPECT_EQ(IniValue(ini, "settings", "hot key"), "305");
  // "command count" comes last in a file the editor created.
  EXPECT_NE(ini.find("command count=0\r\n\r\n"), std::string::npos) << ini;
  EXPECT_EQ(IniValue(ini, "settings", "XPOINT"), "-1");
  EXPECT_EQ(IniValue(ini, "settings", "YPOINT"), "-1");
  EXPECT_EQ(IniValue(ini, "settings", "HIDE TIME"), "2");
  EXPECT_EQ(IniValue(ini, "settings", "NoTray"), "0");
  EXPECT_EQ(IniValue(ini, "settings", "command count"), "0");
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
}

TEST_F(EditorLifecycle, MissingLauncherEndsQuietlyWithZero) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(DeleteFileA(folder_->PathOf("pimbo.exe").c_str()));
  Press(IDOK);
  // A box would keep the process alive: ending by itself shows there was none.
  ASSERT_TRUE(editor_.WaitExit()) << "expected the editor to end without a message";
  EXPECT_EQ(editor_.ExitCode(), 0u);
  EXPECT_TRUE(folder_->Exists("pimbo.ini")) << "expected OK to save before the hand-over";
}

// --- A save that fails -----------------------------------------------------------------------

inline constexpr char SAVE_FAILED_START[] = "設定を保存できませんでした。";

// What keeps the save from writing pimbo.ini.
enum class Block { ReadOnly, HeldOpen };

class EditorSaveFailure : public EditorTest, public ::testing::WithParamInterface<Block> {
 protected:
  // The editor open on pimbo.ini (hot key 305) with Ctrl+Shift+A set, and the file made
  // unwritable. A read-only file the editor's save leaves alone by itself, also where Wine runs
  // as root and would write through the attribute; a file held open without write sharing no
  // one may open for writing.
  void OpenBlocked() {
    ini_ = CommandsIni({"hot key=305"}, {{"one", "a", CMD_APP, "", "x.txt"}});
    ASSERT_NO_FATAL_FAILURE(Open(ini_));
    path_ = folder_->PathOf("pimbo.ini");
    ASSERT_NO_FATAL_FAILURE(SetHotKeyControl('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    if (GetParam() == Block::ReadOnly) {
      ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    } else {
      // Shared for reading only: every open by the editor for writing fails.
      held_ = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
      ASSERT_NE(held_, INVALID_HANDLE_VALUE);
      HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      ASSERT_EQ(file, INVALID_HANDLE_VALUE) << "expected the held file refused for writing";
    }
  }

  void Unblock() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
    if (!path_.empty()) SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  // The box of the failed save: caption "Pimbo", the text's first sentence, Retry and Cancel.
  HWND ExpectSaveFailedBox() {
    HWND box = e2e::WaitForMessageBox(editor_.Id(), "Pimbo");
    EXPECT_TRUE(box) << "expected the box of a failed save, got none (exit code "
                     << editor_.ExitCode() << ")";
    if (!box) return nullptr;
    EXPECT_EQ(e2e::MessageBoxText(box).rfind(SAVE_FAILED_START, 0), 0u)
        << "got: " << e2e::MessageBoxText(box);
    EXPECT_TRUE(GetDlgItem(box, IDRETRY)) << "expected a Retry button";
    EXPECT_TRUE(GetDlgItem(box, IDCANCEL)) << "expected a Cancel button";
    EXPECT_FALSE(GetDlgItem(box, IDOK)) << "expected no OK button";
    EXPECT_EQ(Ini(), ini_) << "expected the old pimbo.ini whole";
    EXPECT_TRUE(LauncherStarts().empty()) << "expected no launcher while the box is open";
    return box;
  }

  void TearDown() override {
    Unblock();
    EditorTest::TearDown();
  }

  std::string ini_;
  std::string path_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_P(EditorSaveFailure, RetrySavesOnceTheFileIsWritable) {
  ASSERT_NO_FATAL_FAILURE(OpenBlocked());
  Press(IDOK);
  HWND box = ExpectSaveFailedBox();
  ASSERT_TRUE(box);
  // Retry while the file is still blocked fails again, and says so again.
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDRETRY));
  box = ExpectSaveFailedBox();
  ASSERT_TRUE(box);

  Unblock();
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDRETRY));
  ASSERT_TRUE(editor_.WaitExit()) << "expected the editor to end after a good save";
  EXPECT_EQ(editor_.ExitCode(), 0u);
  EXPECT_EQ(Setting("hot key"), "1601");
  EXPECT_EQ(Unquoted(IniValue(Ini(), "commands", "command name0").value_or("")), "one");
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
}

TEST_P(EditorSaveFailure, CancelKeepsTheOldFileAndStartsTheLauncher) {
  ASSERT_NO_FATAL_FAILURE(OpenBlocked());
  Press(IDOK);
  HWND box = ExpectSaveFailedBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
  ASSERT_TRUE(editor_.WaitExit()) << "expected Cancel to give up and end the editor";
  EXPECT_EQ(editor_.ExitCode(), 0u);
  Unblock();
  EXPECT_EQ(Ini(), ini_) << "expected the old pimbo.ini whole";
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
}

INSTANTIATE_TEST_SUITE_P(Blocked, EditorSaveFailure,
                         ::testing::Values(Block::ReadOnly, Block::HeldOpen),
                         [](auto const& info) {
                           return std::string(info.param == Block::ReadOnly ? "ReadOnly"
                                                                            : "HeldOpen");
                         });

}  // namespace
