// End-to-end tests of filling the command edit dialog from the desktop: files and folders
// dropped on it, dropped shortcuts (their target, themselves, or a copy beside the editor),
// hostile drops, and the window pick by a real mouse drag of the drag icon.
#include "editor_drop_fixture.h"

#include <algorithm>

namespace {

using e2e::DropOutcome;
using EditorDrop = EditDialogTest;
using EditorShortcut = EditDialogTest;
using EditorDropBadInput = EditDialogTest;
using EditorWindowPick = EditDialogTest;

inline constexpr char REPLACE_CAPTION[] = "確認";
inline constexpr char REPLACE_APPLICATION[] = "起動するアプリケーションを置き換えますか？";
inline constexpr char REPLACE_FILE[] = "実行するファイルを置き換えますか？";
inline constexpr char REPLACE_FILE_WITH_FOLDER[] =
    "実行するファイルの欄をこのフォルダに置き換えますか？";
inline constexpr char REPLACE_FOLDER[] = "開くフォルダを置き換えますか？";
inline constexpr char SHORTCUT_CAPTION[] = "Pimbo";
inline constexpr char TARGET_QUESTION[] =
    "ショートカットの指すファイルを登録しますか？\r\n\r\n"
    "「はい」：ショートカットの指すファイルの実体を登録\r\n「いいえ」：ショートカットを登録";
inline constexpr char COPY_QUESTION[] =
    "ショートカットのコピーを作成しますか？\r\n\r\n"
    "「はい」：ショートカットのコピーを作成しそれを登録\r\n「いいえ」：ショートカットをそのまま登録";
inline constexpr char OVERWRITE_TAIL[] = " はすでに存在します。\r\n上書きしますか？";

// --- Files and folders -----------------------------------------------------------------------

// Started as administrator, the editor must still take drops from Explorer, which runs at a
// lower integrity level. Wine has no integrity levels; its trace shows the calls.
TEST_F(EditorDrop, DropsAreLetThroughFromLowerLevels) {
  ASSERT_NO_FATAL_FAILURE(Layout(CommandsIni({}, {})));
  editor_ = e2e::StartWithWineTrace(*folder_, "pimbosetting.exe", "fixme+msg", "trace.log");
  ASSERT_TRUE(editor_.Started()) << "expected the editor to start through wine";
  ASSERT_NO_FATAL_FAILURE(FindDialog());
  Press(IDC_NEW);
  edit_ = e2e::WaitForWindow(editor_.Id(), "#32770", EDIT_DIALOG_TITLE, true);
  ASSERT_TRUE(edit_) << "expected the dialog \"" << EDIT_DIALOG_TITLE << "\", got none";
  HWND const edit = edit_;
  ASSERT_TRUE(e2e::DismissMessageBox(edit_, IDCANCEL));
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
  std::vector<e2e::MessageFilterCall> const calls =
      e2e::MessageFilterCalls(ReadBytes(folder_->PathOf("trace.log")));
  UINT const wanted[] = {WM_DROPFILES, WM_COPYDATA, 0x0049 /* WM_COPYGLOBALDATA */};
  ASSERT_EQ(calls.size(), std::size(wanted)) << "expected exactly the drop messages let through";
  for (size_t i = 0; i < std::size(wanted); ++i) {
    EXPECT_EQ(calls[i].window, edit) << i;
    EXPECT_EQ(calls[i].message, wanted[i]) << i;
    EXPECT_EQ(calls[i].action, static_cast<DWORD>(MSGFLT_ALLOW)) << i;
  }
}

TEST_F(EditorDrop, TwoFilesAtOnceChangeNothing) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  ASSERT_TRUE(folder_->WriteFile("a.txt", "a"));
  ASSERT_TRUE(folder_->WriteFile("b.exe", "b"));
  ASSERT_NO_FATAL_FAILURE(
      Drop({folder_->PathOf("a.txt"), folder_->PathOf("b.exe")}, DropOutcome::Handled));
  EXPECT_TRUE(Settled()) << "expected no question";
  EXPECT_EQ(Fields(), EditFields{});
}

TEST_F(EditorDrop, FolderOnAnApplicationCommandIsAlwaysAskedForAndGetsNoName) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const folder = folder_->PathOf("documents");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));

  // Asked although the file field is empty; No changes nothing, not even the empty name.
  ASSERT_NO_FATAL_FAILURE(Drop({folder}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE_WITH_FOLDER, IDNO));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), EditFields{});

  ASSERT_NO_FATAL_FAILURE(Drop({folder}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE_WITH_FOLDER, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"", "", folder}));
  EXPECT_EQ(SelectedType(), CMD_APP) << "expected the type unchanged";
}

TEST_F(EditorDrop, ProgramsFillTheApplicationFieldOtherFilesTheFileField) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  for (const char* name : {"TOOL.EXE", "notes.txt", "README", "run.Com"}) {
    ASSERT_TRUE(folder_->WriteFile(name, "x"));
  }
  // Empty fields take the item without a question; the name comes from the first drop only.
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("TOOL.EXE")}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"TOOL", folder_->PathOf("TOOL.EXE"), ""}));
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("notes.txt")}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"TOOL", folder_->PathOf("TOOL.EXE"), folder_->PathOf("notes.txt")}));

  // Filled fields ask first.
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("README")}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE, IDYES));
  EXPECT_TRUE(Settled());
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("run.Com")}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_APPLICATION, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"TOOL", folder_->PathOf("run.Com"), folder_->PathOf("README")}));
}

// A document with a blank is one argument of the program: quoted. Without a program it is the
// file to open itself: as it is.
TEST_F(EditorDrop, ADocumentWithABlankIsQuotedAsTheProgramsParameter) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  for (const char* name : {"tool.exe", "my notes.txt"}) ASSERT_TRUE(folder_->WriteFile(name, "x"));
  std::string const document = folder_->PathOf("my notes.txt");
  ASSERT_NO_FATAL_FAILURE(Drop({document}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"my notes", "", document}));
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("tool.exe")}, DropOutcome::Handled));
  ASSERT_NO_FATAL_FAILURE(Drop({document}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(),
            (EditFields{"my notes", folder_->PathOf("tool.exe"), "\"" + document + "\""}));
}

TEST_F(EditorDrop, NoToAReplaceQuestionStillFillsAnEmptyName) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  ASSERT_TRUE(folder_->WriteFile("letter.txt", "x"));
  ASSERT_TRUE(folder_->WriteFile("editor.exe", "x"));
  ASSERT_NO_FATAL_FAILURE(SetFields({"", "C:\\old.exe", "C:\\old.txt"}));

  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("letter.txt")}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE, IDNO));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"letter", "C:\\old.exe", "C:\\old.txt"}));

  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, ""));
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("editor.exe")}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_APPLICATION, IDNO));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"editor", "C:\\old.exe", "C:\\old.txt"}));
}

TEST_F(EditorDrop, AFolderCommandTakesFilesAndFoldersInItsFolderField) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER));
  ASSERT_TRUE(folder_->WriteFile("plain.txt", "x"));
  std::string const folder = folder_->PathOf("pictures");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));

  // Not checked for being a folder here: the checks on OK say so.
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf("plain.txt")}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"plain", "", folder_->PathOf("plain.txt")}));
  ASSERT_NO_FATAL_FAILURE(Drop({folder}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FOLDER, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"plain", "", folder}));
  EXPECT_EQ(SelectedType(), CMD_FOLDER);
}

TEST_F(EditorDrop, OnlyApplicationAndFolderCommandsTakeDrops) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  ASSERT_TRUE(folder_->WriteFile("tool.exe", "x"));
  std::string const path = folder_->PathOf("tool.exe");
  for (int type : {CMD_EXIT_WINDOWS, CMD_SCREENSAVER, CMD_CONTROL, CMD_EMPTY_RECYCLE_BIN,
                   CMD_DESKTOP_FOLDER}) {
    SCOPED_TRACE("type " + std::to_string(type));
    ASSERT_NO_FATAL_FAILURE(ChooseType(type));
    ASSERT_NO_FATAL_FAILURE(Drop({path}, DropOutcome::Refused));
    EXPECT_EQ(Fields(), EditFields{});
  }
  // Back on a type that takes drops, they are taken again.
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER));
  ASSERT_NO_FATAL_FAILURE(Drop({path}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"tool", "", path}));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_APP));
  ASSERT_NO_FATAL_FAILURE(Drop({path}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"tool", path, path}));
}

// --- Shortcuts -------------------------------------------------------------------------------

// A program for shortcuts to point at: the probe copied into folder\sub\name.
std::string InstallTarget(e2e::TestFolder const& folder, std::string const& sub,
                          std::string const& name) {
  CreateDirectoryA(folder.PathOf(sub).c_str(), nullptr);
  return folder.InstallProbe(sub + "\\" + name) ? folder.PathOf(sub + "\\" + name) : "";
}

TEST_F(EditorShortcut, EnterAnswersNoThenYesTakesTheTarget) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const target = InstallTarget(*folder_, "app", "tool.exe");
  ASSERT_FALSE(target.empty());
  std::string const link = folder_->PathOf("tool link.lnk");
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(link, {target, "", ""}, &error)) << error;

  // No is the default button of the first question: Enter goes on to the second one.
  ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
  HWND box = ExpectBox(SHORTCUT_CAPTION, TARGET_QUESTION);
  ASSERT_TRUE(box);
  SetForegroundWindow(box);
  ASSERT_TRUE(e2e::PressKey(VK_RETURN));
  ASSERT_TRUE(e2e::WaitGone(box)) << "expected Enter to answer the question";
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, COPY_QUESTION, IDNO));
  EXPECT_TRUE(Settled());
  // The shortcut itself: not a program, so the file field.
  EXPECT_EQ(Fields(), (EditFields{"tool link", "", link}));

  ASSERT_NO_FATAL_FAILURE(SetFields({}));
  ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDYES));
  EXPECT_TRUE(Settled()) << "expected no second question after Yes";
  EXPECT_EQ(Fields(), (EditFields{"tool", target, ""}));
}

TEST_F(EditorShortcut, TheWorkingDirectoryDecidesWhetherTheTargetIsTaken) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  // A folder whose name has a distinct short form, so that the two forms differ in text.
  std::string const target = InstallTarget(*folder_, "long folder name", "tool.exe");
  ASSERT_FALSE(target.empty());
  std::string const longFolder = folder_->PathOf("long folder name");
  char shortForm[MAX_PATH] = {};
  DWORD n = GetShortPathNameA(longFolder.c_str(), shortForm, sizeof shortForm);
  ASSERT_TRUE(n > 0 && n < sizeof shortForm);
  ASSERT_NE(std::string(shortForm), longFolder) << "expected a short form that differs";
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("elsewhere").c_str(), nullptr));

  struct Case {
    const char* name;
    std::string workingDirectory;
    bool takesTarget;
  } const cases[] = {
      {"own folder.lnk", longFolder, true},
      {"own folder with backslash.lnk", longFolder + "\\", true},
      {"short form.lnk", shortForm, true},
      {"elsewhere.lnk", folder_->PathOf("elsewhere"), false},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    std::string const link = folder_->PathOf(c.name);
    std::string error;
    ASSERT_TRUE(e2e::MakeShortcut(link, {target, "", c.workingDirectory}, &error)) << error;
    ASSERT_NO_FATAL_FAILURE(SetFields({"name", "", ""}));
    ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
    ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDYES));
    EXPECT_TRUE(Settled());
    EditFields const want =
        c.takesTarget ? EditFields{"name", target, ""} : EditFields{"name", "", link};
    EXPECT_EQ(Fields(), want);
  }
}

TEST_F(EditorShortcut, AShortcutWithArgumentsStaysAShortcutInTheFileField) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const target = InstallTarget(*folder_, "app", "tool.exe");
  ASSERT_FALSE(target.empty());
  std::string const link = folder_->PathOf("with arguments.lnk");
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(link, {target, "--flag x.txt", ""}, &error)) << error;
  ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDYES));
  EXPECT_TRUE(Settled()) << "expected no message";
  EXPECT_EQ(Fields(), (EditFields{"with arguments", "", link}));
}

// The files of the shortcuts folder beside the editor, sorted.
std::vector<std::string> ShortcutsFolder(e2e::TestFolder const& folder) {
  return ListFolder(folder.PathOf("shortcuts"));
}

TEST_F(EditorShortcut, NoThenYesTakesACopyAndASecondOfTheSameNameAsksToOverwrite) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const target = InstallTarget(*folder_, "app", "tool.exe");
  ASSERT_FALSE(target.empty());
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("one").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("two").c_str(), nullptr));
  std::string const first = folder_->PathOf("one\\same.lnk");
  std::string const second = folder_->PathOf("two\\same.lnk");
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(first, {target, "", ""}, &error)) << error;
  ASSERT_TRUE(e2e::MakeShortcut(second, {target, "--other", ""}, &error)) << error;
  ASSERT_NE(ReadBytes(first), ReadBytes(second));
  std::string const copy = folder_->PathOf("shortcuts\\same.lnk");

  ASSERT_NO_FATAL_FAILURE(Drop({first}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, COPY_QUESTION, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"same", "", copy}));
  EXPECT_EQ(ShortcutsFolder(*folder_), std::vector<std::string>{"same.lnk"});
  EXPECT_EQ(ReadBytes(copy), ReadBytes(first));

  // No to the overwrite question: the fields and the shortcuts folder stay as they were.
  ASSERT_NO_FATAL_FAILURE(SetFields({"kept", "C:\\kept.exe", "C:\\kept.txt"}));
  ASSERT_NO_FATAL_FAILURE(Drop({second}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, COPY_QUESTION, IDYES));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, copy + OVERWRITE_TAIL, IDNO));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"kept", "C:\\kept.exe", "C:\\kept.txt"}));
  EXPECT_EQ(ShortcutsFolder(*folder_), std::vector<std::string>{"same.lnk"});
  EXPECT_EQ(ReadBytes(copy), ReadBytes(first));

  // Yes replaces the copy; the file field has text, so it is asked for too.
  ASSERT_NO_FATAL_FAILURE(Drop({second}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, COPY_QUESTION, IDYES));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, copy + OVERWRITE_TAIL, IDYES));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"kept", "C:\\kept.exe", copy}));
  EXPECT_EQ(ReadBytes(copy), ReadBytes(second));
}

// --- Hostile drops ---------------------------------------------------------------------------

TEST_F(EditorDropBadInput, ShortcutsThatNameNoUsableTargetStayShortcuts) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const nowhere = folder_->PathOf("nowhere.lnk");
  std::string const broken = folder_->PathOf("broken.lnk");
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(nowhere, {"", "", ""}, &error)) << error;
  ASSERT_TRUE(folder_->WriteFile("broken.lnk", std::string("L\0\0\0\x01\x14\x02garbage\xff\xfe", 18) +
                                                   std::string(300, '\x81')));
  for (std::string const& link : {nowhere, broken}) {
    SCOPED_TRACE(link);
    ASSERT_NO_FATAL_FAILURE(SetFields({}));
    std::string error2;
    DropOutcome outcome = e2e::DropFiles(edit_, {link}, &error2);
    ASSERT_TRUE(outcome == DropOutcome::Asking || outcome == DropOutcome::Handled)
        << "outcome " << static_cast<int>(outcome) << " " << error2;
    // The shell may not take garbage for a shortcut at all; then no question comes.
    if (outcome == DropOutcome::Asking) {
      ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDYES));
    }
    EXPECT_TRUE(Settled());
    std::string const base = link == nowhere ? "nowhere" : "broken";
    EXPECT_EQ(Fields(), (EditFields{base, "", link}));
  }
  EXPECT_TRUE(editor_.Running());
}

TEST_F(EditorDropBadInput, AShortcutWhoseTargetWasDeletedNeitherBlocksNorOpensAWindow) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  std::string const target = InstallTarget(*folder_, "gone", "gone.exe");
  ASSERT_FALSE(target.empty());
  std::string const link = folder_->PathOf("gone.lnk");
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(link, {target, "", ""}, &error)) << error;
  ASSERT_TRUE(DeleteFileA(target.c_str()));
  ASSERT_TRUE(RemoveDirectoryA(folder_->PathOf("gone").c_str()));

  ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDYES));
  // The resolution may search for a moved target with a window of its own. Wine's shell link
  // resolves without any search (it keeps the stored path), so none may appear here; should a
  // system show one, the test fails and closes it instead of waiting on it.
  std::vector<HWND> others;
  bool const quiet = e2e::StaysFalse([&] {
    others = OtherWindows();
    return !others.empty();
  }, 2000);
  for (HWND w : others) e2e::Post(w, WM_CLOSE);
  EXPECT_TRUE(quiet) << "expected no window besides the two dialogs, got \""
                     << (others.empty() ? "" : e2e::WindowText(others[0])) << "\"";
  ASSERT_TRUE(e2e::Responds(edit_)) << "expected the dialog to answer after the drop";
  // Either the stored target (resolution kept it) or the shortcut (resolution failed).
  EditFields const got = Fields();
  EXPECT_TRUE(got == (EditFields{"gone", target, ""}) || got == (EditFields{"gone", "", link}))
      << got;
}

TEST_F(EditorDropBadInput, A255BytePathIsTakenWhole_ALongerOneIsIgnored) {
  // The folder's path is 240 bytes: the names below make paths of 255, 256 and 300 bytes.
  folder_ = std::make_unique<e2e::TestFolder>(TestName(), 240);
  ASSERT_TRUE(folder_->Ok());
  ASSERT_EQ(folder_->Path().size(), 240u);
  ASSERT_TRUE(folder_->InstallEditor());
  ASSERT_TRUE(folder_->InstallProbe("pimbo.exe"));
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  Press(IDC_NEW);
  edit_ = e2e::WaitForWindow(editor_.Id(), "#32770", EDIT_DIALOG_TITLE, true);
  ASSERT_TRUE(edit_);

  std::string const fits = "abcdefghij.txt";                    // 240 + 1 + 14 = 255
  std::string const over = "abcdefghijk.txt";                   // 256
  std::string const farOver = std::string(55, 'z') + ".exe";        // 300
  for (std::string const& name : {fits, over, farOver}) ASSERT_TRUE(folder_->WriteFile(name, "x"));
  ASSERT_EQ(folder_->PathOf(fits).size(), 255u);
  ASSERT_EQ(folder_->PathOf(over).size(), 256u);

  for (std::string const& name : {over, farOver}) {
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf(name)}, DropOutcome::Handled));
    EXPECT_TRUE(Settled());
    EXPECT_EQ(Fields(), EditFields{}) << "expected a path too long for the field ignored, not cut";
  }
  ASSERT_NO_FATAL_FAILURE(Drop({folder_->PathOf(fits)}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"abcdefghij", "", folder_->PathOf(fits)}));
}

TEST_F(EditorDropBadInput, NamesWhoseSecondByteIs5CAreTakenWhole) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  // "表" is 0x95 0x5C and "ソ" 0x83 0x5C: a byte-wise search would see backslashes in them.
  std::string const folder = folder_->PathOf("表");
  ASSERT_EQ(folder.substr(folder.size() - 2), "\x95\x5c");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::string const program = folder + "\\ソ表.EXE";
  ASSERT_TRUE(folder_->CopyIn(e2e::ProbeExe(), "表\\ソ表.EXE"));

  ASSERT_NO_FATAL_FAILURE(Drop({program}, DropOutcome::Handled));
  EXPECT_EQ(Fields(), (EditFields{"ソ表", program, ""}));
  // A folder whose path ends in a 0x5C byte is still a folder.
  ASSERT_NO_FATAL_FAILURE(Drop({folder}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(REPLACE_CAPTION, REPLACE_FILE_WITH_FOLDER, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"ソ表", program, folder}));

  // A shortcut named so keeps its whole name in the shortcuts folder.
  std::string const link = folder + "\\表.lnk";
  std::string error;
  ASSERT_TRUE(e2e::MakeShortcut(link, {program, "", ""}, &error)) << error;
  ASSERT_NO_FATAL_FAILURE(SetFields({}));
  ASSERT_NO_FATAL_FAILURE(Drop({link}, DropOutcome::Asking));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, TARGET_QUESTION, IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(SHORTCUT_CAPTION, COPY_QUESTION, IDYES));
  EXPECT_TRUE(Settled());
  EXPECT_EQ(Fields(), (EditFields{"表", "", folder_->PathOf("shortcuts\\表.lnk")}));
  EXPECT_EQ(ShortcutsFolder(*folder_), std::vector<std::string>{"表.lnk"});
}

// --- The window pick -------------------------------------------------------------------------

// Drags the drag icon of edit to the point and waits until the editor has let the mouse go;
// midway runs there before the release.
void PickAt(HWND edit, POINT to, std::function<void()> const& midway = {}) {
  RECT icon{};
  ASSERT_TRUE(GetWindowRect(GetDlgItem(edit, IDC_DRAG_ICON), &icon));
  // The target program's new window may have come up over the dialog: the press must land on
  // the icon, so the dialog comes to the front first.
  POINT const from = e2e::CentreOf(icon);
  SetForegroundWindow(edit);
  ASSERT_TRUE(e2e::WaitUntil([&] {
    return GetAncestor(WindowFromPoint(from), GA_ROOT) == edit && GetForegroundWindow() == edit;
  })) << "expected the edit dialog in front, over its drag icon";
  ASSERT_TRUE(e2e::DragMouse(from, to, 8, midway)) << "expected the press to capture the mouse";
  DWORD thread = GetWindowThreadProcessId(edit, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
  })) << "expected the release to end the pick";
  ASSERT_TRUE(e2e::Responds(edit));
}

TEST_F(EditorWindowPick, AnotherProgramsChildGivesItsTitleAndProgram_AndTheLauncherRunsIt) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand(std::nullopt, true));
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("app").c_str(), nullptr));
  ASSERT_TRUE(folder_->CopyIn(e2e::PickTargetExe(), "app\\pick_target.exe"));
  std::string const program = folder_->PathOf("app\\pick_target.exe");
  e2e::Process target = e2e::Process::Start(program);
  ASSERT_TRUE(target.Started()) << "error " << target.Error();
  HWND window = e2e::WaitForWindow(target.Id(), e2e::PICK_TARGET_CLASS, e2e::PICK_TARGET_TITLE, true);
  ASSERT_TRUE(window);
  // In the corner, above everything: the edit dialog is centred and does not reach it.
  ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 0, 0, 260, 180, SWP_SHOWWINDOW));
  HWND control = GetDlgItem(GetDlgItem(window, 1), e2e::PICK_TARGET_EDIT_ID);
  ASSERT_TRUE(control);
  RECT rect{};
  POINT over{};
  ASSERT_TRUE(e2e::WaitUntil([&] {
    GetWindowRect(control, &rect);
    over = e2e::CentreOf(rect);
    return WindowFromPoint(over) == control;
  })) << "expected the edit control of the target under its centre";

  ASSERT_NO_FATAL_FAILURE(SetFields({"old name", "C:\\old.exe", "params"}));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "pk"));
  ASSERT_NO_FATAL_FAILURE(PickAt(edit_, over));
  EditFields const want{e2e::PICK_TARGET_TITLE, program, "params"};
  EXPECT_TRUE(e2e::WaitUntil([&] { return Fields() == want; }, 5000)) << Fields();
  EXPECT_EQ(SelectedType(), CMD_APP);
  EXPECT_TRUE(Settled()) << "expected no question";
  e2e::OfferScreenshot("editor-window-pick");

  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, ""));
  // The edit dialog's own OK (Press would click the settings dialog's).
  ASSERT_TRUE(e2e::Post(EditControl(IDOK), BM_CLICK));
  bool const gone = e2e::WaitGone(edit_, 10000);
  std::string shown;
  for (HWND w : OtherWindows()) shown += "[" + e2e::WindowText(w) + ": " + e2e::MessageBoxText(w) + "]";
  ASSERT_TRUE(gone) << "expected OK to close the edit dialog; it shows " << shown;
  ASSERT_EQ(EndWith(IDOK), 0u);
  std::string const ini = Ini();
  EXPECT_EQ(IniValue(ini, "commands", "command name0"), "\"" + std::string(e2e::PICK_TARGET_TITLE) + "\"");
  EXPECT_EQ(IniValue(ini, "commands", "command exe0"), "\"" + program + "\"");

  DWORD pid = WaitForOnly("pimbo.exe");
  ASSERT_NE(pid, 0u) << "expected the editor to start the launcher";
  launcher_ = e2e::Process::Attach(pid);
  HWND launcher = e2e::WaitForLauncherWindow(pid);
  ASSERT_TRUE(launcher);
  ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, '1'));
  ASSERT_TRUE(e2e::WaitVisible(launcher, true));
  ASSERT_TRUE(e2e::TypeText("pk"));
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return e2e::ProcessesIn(folder_->PathOf("app"), "pick_target.exe").size() == 2;
  })) << "expected the launcher to start the picked program";
  EXPECT_EQ(e2e::CloseLauncher(launcher_), 0u);
}

// The capture taken away in the middle of a pick (what Alt+Tab or the Win key do): released
// over a program's window it takes nothing, and the next pick works.
TEST_F(EditorWindowPick, APickThatLosesTheMouseTakesNothing_AndTheNextOneWorks) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  ASSERT_TRUE(folder_->CopyIn(e2e::PickTargetExe(), "pick_target.exe"));
  std::string const program = folder_->PathOf("pick_target.exe");
  e2e::Process target = e2e::Process::Start(program);
  ASSERT_TRUE(target.Started()) << "error " << target.Error();
  HWND window = e2e::WaitForWindow(target.Id(), e2e::PICK_TARGET_CLASS, e2e::PICK_TARGET_TITLE, true);
  ASSERT_TRUE(window);
  ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 0, 0, 260, 180, SWP_SHOWWINDOW));
  POINT over{};
  ASSERT_TRUE(e2e::WaitUntil([&] {
    RECT rect{};
    GetWindowRect(window, &rect);
    over = e2e::CentreOf(rect);
    return GetAncestor(WindowFromPoint(over), GA_ROOT) == window;
  })) << "expected the target's window under its centre";

  EditFields const kept{"kept", "C:\\kept.exe", "kept.txt"};
  ASSERT_NO_FATAL_FAILURE(SetFields(kept));
  DWORD const thread = GetWindowThreadProcessId(edit_, nullptr);
  bool cancelled = false;
  ASSERT_NO_FATAL_FAILURE(PickAt(edit_, over, [&] {
    cancelled = e2e::Send(edit_, WM_CANCELMODE, 0, 0) && e2e::WaitUntil([&] {
                  GUITHREADINFO info{};
                  info.cbSize = sizeof info;
                  return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
                });
  }));
  EXPECT_TRUE(cancelled) << "expected WM_CANCELMODE to let the mouse go";
  EXPECT_TRUE(e2e::StaysFalse([&] { return !(Fields() == kept); })) << Fields();

  ASSERT_NO_FATAL_FAILURE(PickAt(edit_, over));
  EditFields const want{e2e::PICK_TARGET_TITLE, program, "kept.txt"};
  EXPECT_TRUE(e2e::WaitUntil([&] { return Fields() == want; }, 5000)) << Fields();
  EXPECT_TRUE(Settled());
}

TEST_F(EditorWindowPick, TheEditorsOwnDialogsChangeNothing) {
  ASSERT_NO_FATAL_FAILURE(OpenNewCommand());
  EditFields const kept{"kept", "C:\\kept.exe", "kept.txt"};
  ASSERT_NO_FATAL_FAILURE(SetFields(kept));

  RECT name{};
  ASSERT_TRUE(GetWindowRect(EditControl(IDC_NAME), &name));
  ASSERT_NO_FATAL_FAILURE(PickAt(edit_, e2e::CentreOf(name)));
  EXPECT_EQ(Fields(), kept) << "released over the edit dialog";

  // A point of the settings dialog that the edit dialog does not cover.
  RECT settings{}, edit{};
  ASSERT_TRUE(GetWindowRect(dialog_, &settings));
  ASSERT_TRUE(GetWindowRect(edit_, &edit));
  POINT over{};
  bool found = false;
  for (POINT p : {POINT{settings.left + 12, settings.top + 40}, POINT{settings.right - 12, settings.bottom - 12},
                  POINT{settings.left + 12, settings.bottom - 12}, POINT{settings.right - 12, settings.top + 40}}) {
    HWND under = WindowFromPoint(p);
    if (under && GetAncestor(under, GA_ROOT) == dialog_) {
      over = p;
      found = true;
      break;
    }
  }
  ASSERT_TRUE(found) << "expected part of the settings dialog in view";
  ASSERT_NO_FATAL_FAILURE(PickAt(edit_, over));
  EXPECT_EQ(Fields(), kept) << "released over the settings dialog";
  EXPECT_TRUE(Settled());
}

}  // namespace
