// End-to-end tests of the command edit dialog as a user drives it: its controls, the fields of
// each command type, opening stored commands, the checks on OK with their boxes, where New and
// Modify put the command, the choosers, keep in front, hostile field contents, and the launcher
// running a command made here.
#include "command_edit_fixture.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

using EditorCommandDialog = CommandEditTest;
using EditorCommandChecks = CommandEditTest;
using EditorCommandRows = CommandEditTest;
using EditorCommandChoosers = CommandEditTest;
using EditorCommandBadInput = CommandEditTest;
using EditorCommandPerformance = CommandEditTest;

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;  // nullptr: not compared (the combo boxes show their selection)
  int x, y, width, height;  // height 0: not compared (combo boxes, the bitmap)
};

// Dialog 104 in template (tab) order, as a new command shows it: the second label already
// carries the application type's text.
ExpectedControl const EDIT_CONTROLS[] = {
    {-1, "Button", "名前", 7, 7, 237, 47},
    {-1, "Static", "名前(&N)", 10, 23, 28, 8},
    {1007, "Edit", "", 53, 18, 171, 12},
    {-1, "Static", "起動キー(&K)", 10, 35, 40, 8},
    {1008, "Edit", "", 53, 34, 171, 12},
    {-1, "Button", "オペレーション", 7, 83, 237, 69},
    {1018, "Static", "アクション(&A)", 9, 97, 48, 8},
    {1019, "ComboBoxEx32", nullptr, 61, 93, 175, 0},
    {1020, "Static", "アプリケーション", 9, 114, 48, 8},
    {1010, "Edit", "", 61, 111, 163, 12},
    {1014, "Button", "...", 226, 111, 10, 11},
    {1017, "Static", "開くファイル", 9, 129, 48, 8},
    {1016, "Edit", "", 61, 127, 163, 12},
    {1015, "Button", "...", 226, 128, 10, 11},
    {1, "Button", "OK", 141, 158, 50, 14},
    {2, "Button", "ｷｬﾝｾﾙ", 194, 158, 50, 14},
    {1023, "ComboBoxEx32", nullptr, 61, 111, 175, 0},
    {1024, "Static", nullptr, 7, 61, 0, 0},  // a bitmap static: its text is the resource id
    {1037, "Button", "手前に表示(&T)", 7, 158, 50, 14},
    {-1, "Static", "このアイコンをウインドウへドラッグして、アプリケーションを登録できます", 28, 66,
     208, 8},
};

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

std::vector<std::string> const TYPE_TEXTS(std::begin(OPERATION_TEXTS), std::end(OPERATION_TEXTS));

TEST_F(EditorCommandDialog, NewCommandShowsEveryControlOfTheTemplate) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  e2e::DialogLayout layout;
  std::string error;
  ASSERT_TRUE(e2e::ReadDialogLayout(edit_, &layout, &error)) << error;
  ASSERT_EQ(layout.controls.size(), std::size(EDIT_CONTROLS));
  for (size_t i = 0; i < std::size(EDIT_CONTROLS); ++i) {
    ExpectedControl const& want = EDIT_CONTROLS[i];
    e2e::DialogControl const& got = layout.controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
    EXPECT_EQ(got.id, want.id);
    EXPECT_TRUE(e2e::SameText(got.className, want.className))
        << "expected class " << want.className << ", got " << got.className;
    if (want.text) {
      EXPECT_EQ(got.text, want.text);
    }
    EXPECT_NEAR(got.x, want.x, 1);
    EXPECT_NEAR(got.y, want.y, 1);
    if (want.height) {
      EXPECT_NEAR(got.width, want.width, 1);
      EXPECT_NEAR(got.height, want.height, 1);
    }
  }
  // Styles that the user sees: every field scrolls text wider than its box (the name, the key
  // and the paths all may hold more than they show).
  auto style = [&](size_t i) { return layout.controls[i].style; };
  int fields = 0;
  for (size_t i = 0; i < layout.controls.size(); ++i) {
    if (!e2e::SameText(layout.controls[i].className, "Edit")) continue;
    ++fields;
    EXPECT_TRUE(style(i) & ES_AUTOHSCROLL) << "field " << layout.controls[i].id;
  }
  EXPECT_EQ(fields, 4);
  EXPECT_EQ(style(14) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(style(18) & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_TRUE(style(18) & BS_PUSHLIKE) << "keep in front drawn as a push button";
  EXPECT_EQ(style(17) & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
  EXPECT_FALSE(style(17) & SS_NOTIFY) << "expected clicks on the drag icon to reach the dialog";
  EXPECT_EQ(layout.controls[17].pixelWidth, 32);
  EXPECT_EQ(layout.controls[17].pixelHeight, 24);

  // A new command: the application type, empty fields, its two operand rows, drops taken.
  e2e::ComboExState types = Combo(IDC_TYPE);
  EXPECT_EQ(types.items, TYPE_TEXTS);
  EXPECT_EQ(types.selection, CMD_APP);
  for (int id : {IDC_NAME, IDC_KEY, IDC_APPLICATION, IDC_FILE}) EXPECT_EQ(Field(id), "") << id;
  for (int id : {IDC_APPLICATION, IDC_BROWSE_APPLICATION, IDC_FILE, IDC_BROWSE_FILE}) {
    EXPECT_TRUE(Shown(id) && Enabled(id)) << "expected control " << id << " shown and enabled";
  }
  EXPECT_FALSE(Shown(IDC_OPERATION));
  EXPECT_TRUE(AcceptsDrops());
  LRESULT check = BST_CHECKED;
  EXPECT_TRUE(e2e::Send(EditControl(IDC_KEEP_IN_FRONT), BM_GETCHECK, 0, 0, &check));
  EXPECT_EQ(check, BST_UNCHECKED);
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(ReadRows().rowCount, 0) << "expected Cancel to add nothing";
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

// The pick picture is drawn at the dialog's scale, not left at its 96-dpi pixels in a corner.
TEST_F(EditorCommandDialog, PickPictureGrowsWithTheScale) {
  for (DWORD const dpi : SCREEN_DPIS) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    ScreenDpi screen(dpi);
    ASSERT_TRUE(screen.Ok()) << "could not set the prefix's LogPixels";
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
    ASSERT_NO_FATAL_FAILURE(OpenNew());
    RECT const icon = WindowRect(EditControl(IDC_DRAG_ICON));
    EXPECT_EQ(icon.right - icon.left, MulDiv(32, dpi, 96));
    EXPECT_EQ(icon.bottom - icon.top, MulDiv(24, dpi, 96));
    ASSERT_NO_FATAL_FAILURE(CancelEdit());
    EXPECT_EQ(EndWith(IDCANCEL), 0u);
  }
}

struct TypeLayout {
  int type;
  const char* first;   // label 1020
  const char* second;  // label 1017
  bool application, applicationButton, file, operation, drops;
  std::vector<std::string> operations;  // items of 1023 after the switch
};

std::vector<TypeLayout> TypeLayouts() {
  std::vector<std::string> const folder = {"オープン", "エクスプローラ"};
  std::vector<std::string> const exit = {"シャットダウン", "リブート", "ログオフ",
                                         "終了ダイアログ表示"};
  std::vector<std::string> const control = {"Pimbo ダイアログ起動", "Pimbo 終了", "Pimbo 再起動",
                                            "Pimbo 強制再起動"};
  // In this order each switch shows what the layout does to a list it leaves alone: the
  // screen saver keeps the control list, the recycle bin empties it, the application keeps
  // the empty one.
  return {
      {CMD_FOLDER, "オープンタイプ", "開くフォルダ", false, false, true, true, true, folder},
      {CMD_EXIT_WINDOWS, "終了方法", "", false, false, false, true, false, exit},
      {CMD_CONTROL, "Pimbo 動作", "", false, false, false, true, false, control},
      {CMD_SCREENSAVER, "", "", false, false, false, false, false, control},
      {CMD_EMPTY_RECYCLE_BIN, "", "", false, false, false, false, false, {}},
      {CMD_APP, "アプリケーション", "開くファイル", true, true, true, false, true, {}},
      {CMD_DESKTOP_FOLDER, "フォルダ名", "", true, false, false, false, false, {}},
      {CMD_FOLDER, "オープンタイプ", "開くフォルダ", false, false, true, true, true, folder},
  };
}

TEST_F(EditorCommandDialog, EachTypeShowsItsFieldsAndKeepsWhatWasTyped) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("typed name", "tk", "C:\\typed\\app.exe"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, "C:\\typed\\file.txt"));

  for (TypeLayout const& want : TypeLayouts()) {
    SCOPED_TRACE("type " + std::to_string(want.type));
    ASSERT_NO_FATAL_FAILURE(ChooseType(want.type, want.first));
    EXPECT_EQ(Field(IDC_SECOND_LABEL), want.second);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(edit_, IDC_FIRST_LABEL)) &&
                IsWindowVisible(GetDlgItem(edit_, IDC_SECOND_LABEL)))
        << "expected both labels always shown";
    EXPECT_EQ(Shown(IDC_APPLICATION), want.application);
    EXPECT_EQ(Shown(IDC_BROWSE_APPLICATION), want.applicationButton);
    EXPECT_EQ(Shown(IDC_FILE), want.file);
    EXPECT_EQ(Shown(IDC_BROWSE_FILE), want.file);
    EXPECT_EQ(Shown(IDC_OPERATION), want.operation);
    bool const firstEnabled = want.first[0] != '\0', secondEnabled = want.second[0] != '\0';
    EXPECT_EQ(Enabled(IDC_APPLICATION), firstEnabled);
    EXPECT_EQ(Enabled(IDC_BROWSE_APPLICATION), firstEnabled);
    EXPECT_EQ(Enabled(IDC_FILE), secondEnabled);
    EXPECT_EQ(Enabled(IDC_BROWSE_FILE), secondEnabled);
    EXPECT_EQ(AcceptsDrops(), want.drops);
    e2e::ComboExState operations = Combo(IDC_OPERATION);
    EXPECT_EQ(operations.items, want.operations);
    if (want.operation) {
      EXPECT_EQ(operations.selection, 0) << "expected the first sub-operation chosen";
      // The next switch must set it back to the first item.
      ASSERT_NO_FATAL_FAILURE(ChooseItem(IDC_OPERATION, 1));
    }
    // No switch clears a field, shown or hidden.
    EXPECT_EQ(Field(IDC_NAME), "typed name");
    EXPECT_EQ(Field(IDC_KEY), "tk");
    EXPECT_EQ(Field(IDC_APPLICATION), "C:\\typed\\app.exe");
    EXPECT_EQ(Field(IDC_FILE), "C:\\typed\\file.txt");
  }
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

TEST_F(EditorCommandDialog, OpensStoredCommandsOfEachKind) {
  std::vector<CommandEntry> const commands = {
      {"desk", "d", CMD_DESKTOP_FOLDER, "", "新しいフォルダ"},
      {"logoff", "l", CMD_EXIT_WINDOWS, "2", ""},
      {"control", "c", CMD_CONTROL, "9", ""},
      {"folder", "f", CMD_FOLDER, "1", "C:\\windows"},
      {"word", "w", CMD_FOLDER, "x", "C:\\windows"},
  };
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));

  // The desktop folder's name, stored as the file, is edited in the application field.
  ASSERT_NO_FATAL_FAILURE(OpenModify({0}));
  EXPECT_EQ(Selection(IDC_TYPE), CMD_DESKTOP_FOLDER);
  EXPECT_EQ(Field(IDC_NAME), "desk");
  EXPECT_EQ(Field(IDC_KEY), "d");
  EXPECT_EQ(Field(IDC_FIRST_LABEL), "フォルダ名");
  EXPECT_EQ(Field(IDC_APPLICATION), "新しいフォルダ");
  EXPECT_TRUE(Shown(IDC_APPLICATION));
  EXPECT_EQ(Field(IDC_FILE), "");
  e2e::OfferScreenshot("command-dialog-desktop-folder");
  ASSERT_NO_FATAL_FAILURE(CancelEdit());

  ASSERT_NO_FATAL_FAILURE(OpenModify({1}));
  EXPECT_EQ(Selection(IDC_TYPE), CMD_EXIT_WINDOWS);
  e2e::ComboExState operations = Combo(IDC_OPERATION);
  ASSERT_EQ(operations.items.size(), 4u);
  ASSERT_EQ(operations.selection, 2);
  EXPECT_EQ(operations.items[2], "ログオフ");
  ASSERT_NO_FATAL_FAILURE(CancelEdit());

  // A code outside the list selects nothing, and OK asks for a choice until one is made.
  ASSERT_NO_FATAL_FAILURE(OpenModify({2}));
  EXPECT_EQ(Selection(IDC_TYPE), CMD_CONTROL);
  EXPECT_EQ(Selection(IDC_OPERATION), CB_ERR);
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, "コンボボックスから選択してください。"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, "コンボボックスから選択してください。"));
  ASSERT_NO_FATAL_FAILURE(ChooseItem(IDC_OPERATION, 2));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(ReadRows().rows[2].text[2], "Pimbo 制御");

  // The folder command's open type 1 shows in the application field once the type is an
  // application; a word for a code chooses the first open type.
  ASSERT_NO_FATAL_FAILURE(OpenModify({3}));
  EXPECT_EQ(Selection(IDC_OPERATION), 1);
  EXPECT_EQ(Field(IDC_FILE), "C:\\windows");
  e2e::OfferScreenshot("command-dialog-folder");
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_APP, "アプリケーション"));
  EXPECT_EQ(Field(IDC_APPLICATION), "1");
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  ASSERT_NO_FATAL_FAILURE(OpenModify({4}));
  EXPECT_EQ(Selection(IDC_OPERATION), 0);
  ASSERT_NO_FATAL_FAILURE(CancelEdit());

  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const ini = Ini();
  EXPECT_EQ(StoredCommand(ini, 2), (CommandEntry{"control", "c", CMD_CONTROL, "2", ""}));
  for (int i : {0, 1, 3, 4}) EXPECT_EQ(StoredCommand(ini, i), commands[i]) << "command " << i;
}

// The text of a box with the key put in.
std::string Warning(const char* format, std::string const& key) {
  char text[512];
  snprintf(text, sizeof text, format, key.c_str());
  return text;
}

// --- The checks on OK --------------------------------------------------------------------------

TEST_F(EditorCommandChecks, NameAndKeyAreCheckedInOrder) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {{"stored", "dup", CMD_APP, "", "x.txt"}})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  // Everything else wrong as well, so that each box shows that its check comes first.
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, std::string(256, 'n')));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, std::string(33, 'k')));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, NAME_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, ""));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, NAME_MISSING_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, std::string(255, 'n')));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, KEY_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, ""));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, KEY_MISSING_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "aｂ"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, KEY_FULL_WIDTH_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "dup"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, Warning(KEY_DUPLICATE_FORMAT, "dup")));
  // The conflicts come before the operands: with both operands empty the key is checked first.
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, std::string(31, 'k') + "ｱ"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, APPLICATION_OR_FILE_MISSING_TEXT));
  // Nothing that was refused changed a field.
  EXPECT_EQ(Field(IDC_NAME), std::string(255, 'n'));
  EXPECT_EQ(Field(IDC_KEY), std::string(31, 'k') + "ｱ");
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, "readme.txt"));
  ASSERT_NO_FATAL_FAILURE(Accept());

  EXPECT_EQ(EndWith(IDOK), 0u);
  // A 32-byte key whose last byte is a single-byte katakana, a 255-byte name, only a file.
  EXPECT_EQ(StoredCommand(Ini(), 0),
            (CommandEntry{std::string(255, 'n'), std::string(31, 'k') + "ｱ", CMD_APP, "",
                         "readme.txt"}));
  EXPECT_EQ(StoredCommand(Ini(), 1).key, "dup");
}

TEST_F(EditorCommandChecks, OperandsAreCheckedByType) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "n"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "k"));

  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, std::string(256, 'a')));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, std::string(256, 'f')));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, APPLICATION_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, std::string(255, 'a')));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FILE_TOO_LONG_TEXT));

  // The folder to open is the file field.
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER, "オープンタイプ"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, ""));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_MISSING_TEXT));
  // A folder that is not there is named in its expanded form, and Cancel keeps the dialog.
  std::string const typed = "%WINDIR%\\pimbo-no-such-folder";
  char expanded[MAX_PATH];
  ASSERT_GT(ExpandEnvironmentStringsA(typed.c_str(), expanded, sizeof expanded), 0u);
  ASSERT_NE(typed, expanded) << "expected WINDIR set";
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, typed));
  PressEdit(IDOK);
  HWND box = ExpectBox(WARNING_CAPTION, std::string(expanded) + " はフォルダではありません。");
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
  EXPECT_TRUE(NoOtherBox());
  EXPECT_TRUE(IsWindow(edit_)) << "expected Cancel on the warning to keep the dialog";

  // The desktop folder's name is the application field.
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_DESKTOP_FOLDER, "フォルダ名"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, std::string(256, 'a')));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, ""));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_MISSING_TEXT));
  for (char const* name : {"a/b", "a\\b", "a|b", "a\"b"}) {
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, name));
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(CHARACTER_ERROR_CAPTION, FOLDER_NAME_CHARACTERS_TEXT));
  }
  // "表" and "ソ" end in 0x5C, which is no backslash here.
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, "表ソ"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  e2e::ListViewState rows = ReadRows();
  ASSERT_EQ(rows.rowCount, 1);
  EXPECT_EQ(rows.rows[0].text[3], "表ソ");

  // The missing folder kept by OK on the warning, stored as typed.
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "folder"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "f"));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER, "オープンタイプ"));
  ASSERT_NO_FATAL_FAILURE(ChooseItem(IDC_OPERATION, 1));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, typed));
  PressEdit(IDOK);
  box = ExpectBox(WARNING_CAPTION, std::string(expanded) + " はフォルダではありません。");
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  ASSERT_TRUE(e2e::WaitGone(edit_)) << "expected OK on the warning to accept the folder";

  // The screen saver stores nothing of its hidden fields.
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("saver", "s", "C:\\hidden.exe"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, "hidden.txt"));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_SCREENSAVER, ""));
  ASSERT_NO_FATAL_FAILURE(Accept());

  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const ini = Ini();
  EXPECT_EQ(StoredCommand(ini, 0), (CommandEntry{"saver", "s", CMD_SCREENSAVER, "", ""}));
  EXPECT_EQ(StoredCommand(ini, 1), (CommandEntry{"folder", "f", CMD_FOLDER, "1", typed}));
  EXPECT_EQ(StoredCommand(ini, 2), (CommandEntry{"n", "k", CMD_DESKTOP_FOLDER, "", "表ソ"}));
}

TEST_F(EditorCommandChecks, PrefixWarningsAreAskedInListOrderAtEveryOk) {
  std::vector<CommandEntry> const commands = {
      {"ab", "ab", CMD_APP, "", "ab.txt"},
      {"abd", "abd", CMD_APP, "", "abd.txt"},
  };
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("a", "a", "a.exe"));
  std::string const abUnusable = Warning(KEY_MAKES_OTHER_UNUSABLE_FORMAT, "ab");
  std::string const abdUnusable = Warning(KEY_MAKES_OTHER_UNUSABLE_FORMAT, "abd");

  // Cancel on the first warning, then on the second: the dialog stays each time.
  PressEdit(IDOK);
  HWND box = ExpectBox(WARNING_CAPTION, abUnusable);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
  EXPECT_TRUE(NoOtherBox()) << "expected Cancel to end the checks";
  PressEdit(IDOK);
  box = ExpectBox(WARNING_CAPTION, abUnusable);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  box = ExpectBox(WARNING_CAPTION, abdUnusable);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
  EXPECT_TRUE(NoOtherBox());
  EXPECT_TRUE(IsWindow(edit_));

  // Accepted warnings are asked again; a duplicate after them still fails.
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "abd"));
  PressEdit(IDOK);
  box = ExpectBox(WARNING_CAPTION, Warning(KEY_UNUSABLE_BECAUSE_FORMAT, "ab"));
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  box = ExpectBox(ERROR_CAPTION, Warning(KEY_DUPLICATE_FORMAT, "abd"));
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));

  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "a"));
  PressEdit(IDOK);
  for (std::string const& text : {abUnusable, abdUnusable}) {
    box = ExpectBox(WARNING_CAPTION, text);
    ASSERT_TRUE(box);
    ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  }
  ASSERT_TRUE(e2e::WaitGone(edit_)) << "expected both warnings accepted to end the dialog";

  // Changing "ab" to "abdx": its own old key warns not, "abd" and the new "a" do; case
  // matters, so "AB" would meet none of them.
  ASSERT_NO_FATAL_FAILURE(OpenModify({1}));
  ASSERT_EQ(Field(IDC_KEY), "ab");
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "abdx"));
  PressEdit(IDOK);
  for (char const* stored : {"a", "abd"}) {
    box = ExpectBox(WARNING_CAPTION, Warning(KEY_UNUSABLE_BECAUSE_FORMAT, stored));
    ASSERT_TRUE(box);
    ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  }
  ASSERT_TRUE(e2e::WaitGone(edit_));
  ASSERT_NO_FATAL_FAILURE(OpenModify({2}));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "AB"));
  ASSERT_NO_FATAL_FAILURE(Accept());

  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const ini = Ini();
  EXPECT_EQ(StoredCommand(ini, 0), (CommandEntry{"a", "a", CMD_APP, "a.exe", ""}));
  EXPECT_EQ(StoredCommand(ini, 1).key, "abdx");
  EXPECT_EQ(StoredCommand(ini, 2).key, "AB");
}

// --- Where New and Modify put the command --------------------------------------------------

std::vector<CommandEntry> ThreeCommands() {
  return {{"zero", "k0", CMD_APP, "", "f0"},
          {"one", "k1", CMD_FOLDER, "0", "C:\\"},
          {"two", "k2", CMD_SCREENSAVER, "", ""}};
}

TEST_F(EditorCommandRows, NewGoesBelowTheFirstSelectedRowOrOnTop) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, ThreeCommands())));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("top", "t", "top.exe"));
  ASSERT_NO_FATAL_FAILURE(Accept());

  std::string error;
  ASSERT_TRUE(e2e::SelectListRows(list_, {1, 3}, &error)) << error;  // "zero" and "two"
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("below zero", "b", "b.exe"));
  ASSERT_NO_FATAL_FAILURE(Accept());

  e2e::ListViewState state = ReadRows();
  std::vector<std::string> names;
  for (auto const& row : state.rows) names.push_back(row.text[1]);
  EXPECT_EQ(names, (std::vector<std::string>{"top", "zero", "below zero", "one", "two"}));
  EXPECT_TRUE(state.rows[1].selected && state.rows[4].selected && !state.rows[2].selected)
      << "expected the selection unchanged";

  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(StoredCommand(Ini(), 2), (CommandEntry{"below zero", "b", CMD_APP, "b.exe", ""}));
  EXPECT_EQ(StoredCommand(Ini(), 4).name, "two");
}

TEST_F(EditorCommandRows, ModifyReplacesOnlyTheFirstSelectedRow) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, ThreeCommands())));
  ASSERT_NO_FATAL_FAILURE(OpenModify({1, 2}));
  EXPECT_EQ(Field(IDC_NAME), "one");
  EXPECT_EQ(Field(IDC_FILE), "C:\\");
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "ONE"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  std::vector<std::vector<std::string>> rows = RowTexts();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], (std::vector<std::string>{"k1", "ONE", "フォルダオープン", "C:\\"}));
  EXPECT_EQ(rows[2][1], "two");

  // Modify without a selection opens nothing.
  std::string error;
  ASSERT_TRUE(e2e::SelectListRows(list_, {}, &error)) << error;
  Press(IDC_MODIFY);
  EXPECT_TRUE(e2e::StaysFalse([&] { return !EditDialogs().empty(); }));

  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const ini = Ini();
  EXPECT_EQ(StoredCommand(ini, 1), (CommandEntry{"ONE", "k1", CMD_FOLDER, "0", "C:\\"}));
  EXPECT_EQ(StoredCommand(ini, 2), ThreeCommands()[2]);
}

TEST_F(EditorCommandRows, DoubleClickOpensTheRowAndASecondNewOpensNoSecondDialog) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, ThreeCommands())));
  e2e::ListViewState state = ReadRows();
  ASSERT_EQ(state.rows.size(), 3u);
  POINT at = e2e::CentreOf(state.rows[2].rect);
  ASSERT_TRUE(e2e::ClickAt(at));
  ASSERT_TRUE(e2e::ClickAt(at));
  ASSERT_NO_FATAL_FAILURE(WaitEdit());
  EXPECT_EQ(Field(IDC_NAME), "two");

  // A foreign window in front; New (the settings dialog is disabled, so the command comes as
  // its message) brings the open dialog back instead of a second one.
  HWND other = CreateWindowExA(0, "Static", "pimbo e2e other", WS_POPUP | WS_VISIBLE, 0, 0, 50,
                               50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  SetForegroundWindow(other);
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == other; }));
  ASSERT_TRUE(e2e::Post(dialog_, WM_COMMAND, MAKEWPARAM(IDC_NEW, BN_CLICKED),
                        reinterpret_cast<LPARAM>(Control(IDC_NEW))));
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == edit_; }))
      << "expected the open edit dialog in front";
  EXPECT_EQ(EditDialogs().size(), 1u);
  EXPECT_TRUE(e2e::StaysFalse([&] { return EditDialogs().size() != 1; }));
  DestroyWindow(other);

  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "TWO"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(RowTexts()[2][1], "TWO");
  EXPECT_EQ(ReadRows().rowCount, 3) << "expected the change, no new row";
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

// --- Choosers and keep in front ------------------------------------------------------------

// The file name box of the system file dialog, and a choice made in it as a user types one.
BOOL CALLBACK FindFirstEdit(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, "Edit") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The file dialog's name box: edt1, the edit of the name combo cmb13, or (whatever layout
// this Wine gives the dialog) its first visible edit control, once the dialog has made it.
HWND FileNameEdit(HWND chooser) {
  HWND edit = nullptr;
  e2e::WaitUntil([&] {
    edit = GetDlgItem(chooser, 0x480);  // edt1
    if (!edit) {
      HWND combo = GetDlgItem(chooser, 0x47C);  // cmb13, the explorer-style name box
      edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    }
    if (!edit) EnumChildWindows(chooser, FindFirstEdit, reinterpret_cast<LPARAM>(&edit));
    return edit != nullptr;
  }, 10000);
  return edit;
}

TEST_F(EditorCommandChoosers, AChosenFileFillsTheFieldAndAnEmptyName) {
  ASSERT_NO_FATAL_FAILURE(Layout(CommandsIni({}, {})));
  ASSERT_TRUE(folder_->WriteFile("tool.v2.exe", "MZ"));
  ASSERT_TRUE(folder_->WriteFile("notes.txt", "text"));
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  ASSERT_NO_FATAL_FAILURE(OpenNew());

  struct Choice {
    int button, field;
    std::string title, path, name;  // name: the name field afterwards
  } const choices[] = {
      {IDC_BROWSE_APPLICATION, IDC_APPLICATION, "ｱﾌﾟﾘｹｰｼｮﾝを指定", folder_->PathOf("tool.v2.exe"),
       "tool.v2"},
      {IDC_BROWSE_FILE, IDC_FILE, "ﾌｧｲﾙを指定", folder_->PathOf("notes.txt"), "tool.v2"},
  };
  for (Choice const& choice : choices) {
    SCOPED_TRACE(choice.title);
    PressEdit(choice.button);
    HWND chooser = e2e::WaitForWindow(editor_.Id(), "#32770", choice.title.c_str(), true);
    ASSERT_TRUE(chooser) << "expected the file dialog \"" << choice.title << "\"";
    HWND name = FileNameEdit(chooser);
    ASSERT_TRUE(name) << "expected the file dialog's name box";
    ASSERT_TRUE(e2e::Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(choice.path.c_str())));
    ASSERT_TRUE(e2e::Post(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    ASSERT_TRUE(e2e::WaitGone(chooser)) << "expected the file dialog to take the path";
    EXPECT_TRUE(e2e::WaitUntil([&] { return Field(choice.field) == choice.path; }))
        << "expected " << choice.path << ", got " << Field(choice.field);
    EXPECT_EQ(Field(IDC_NAME), choice.name) << "expected a name only where none was";
  }

  // Cancel in the chooser changes nothing.
  PressEdit(IDC_BROWSE_FILE);
  HWND chooser = e2e::WaitForWindow(editor_.Id(), "#32770", "ﾌｧｲﾙを指定", true);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(e2e::Post(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
  ASSERT_TRUE(e2e::WaitGone(chooser));
  EXPECT_EQ(Field(IDC_FILE), folder_->PathOf("notes.txt"));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

TEST_F(EditorCommandChoosers, AFolderChosenInTheBrowserFillsTheFolderField) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER, "オープンタイプ"));
  PressEdit(IDC_BROWSE_FILE);
  HWND browser = WaitForChooser("SysTreeView32");
  ASSERT_TRUE(browser) << "expected the folder browser";
  HWND tree = FindChild(browser, "SysTreeView32");
  // The browser opens on the desktop, the root of the namespace; its folder in the file
  // system is what OK gives back. Selecting it again by its handle needs no pointer.
  LRESULT root = 0;
  ASSERT_TRUE(e2e::Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root));
  ASSERT_TRUE(root) << "expected a root in the folder tree";
  ASSERT_TRUE(e2e::Send(tree, TVM_SELECTITEM, TVGN_CARET, root));
  ASSERT_TRUE(e2e::Post(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
  ASSERT_TRUE(e2e::WaitGone(browser));
  char desktop[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::SameText(Field(IDC_FILE), desktop); }))
      << "expected " << desktop << ", got " << Field(IDC_FILE);
  char const* base = strrchr(desktop, '\\');
  EXPECT_TRUE(e2e::SameText(Field(IDC_NAME), base ? base + 1 : desktop));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

TEST_F(EditorCommandChoosers, KeepInFrontSetsAndClearsTopmost) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  auto topmost = [&] { return (GetWindowLongA(edit_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_FALSE(topmost());
  PressEdit(IDC_KEEP_IN_FRONT);
  EXPECT_TRUE(e2e::WaitUntil(topmost)) << "expected the dialog topmost";
  PressEdit(IDC_KEEP_IN_FRONT);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !topmost(); })) << "expected topmost cleared";
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

TEST_F(EditorCommandChoosers, TheLauncherRunsACommandMadeHere) {
  ASSERT_NO_FATAL_FAILURE(Layout(CommandsIni({}, {}), true));
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("app").c_str(), nullptr));
  ASSERT_TRUE(folder_->InstallProbe("app\\probe.exe"));
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("probe", "pq", folder_->PathOf("app\\probe.exe")));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, "made-here"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(EndWith(IDOK), 0u);

  DWORD pid = WaitForOnly("pimbo.exe");
  ASSERT_NE(pid, 0u) << "expected the editor to start the launcher";
  launcher_ = e2e::Process::Attach(pid);
  HWND window = e2e::WaitForLauncherWindow(pid);
  ASSERT_TRUE(window);
  ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, '1'));
  ASSERT_TRUE(e2e::WaitVisible(window, true)) << "expected the hot key to show the launcher";
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == window; }));
  ASSERT_TRUE(e2e::TypeText("pq"));
  std::vector<e2e::ProbeRecord> records;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    records = e2e::ReadProbeLog(folder_->PathOf("app\\probe.log"));
    return !records.empty();
  })) << "expected the key to start the probe";
  EXPECT_TRUE(EndsWith(records[0].commandLine, "made-here")) << records[0].commandLine;
  EXPECT_EQ(e2e::CloseLauncher(launcher_), 0u);
}

// --- Hostile field contents ----------------------------------------------------------------

TEST_F(EditorCommandBadInput, ControlCharactersAreRefusedInEveryStoredText) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("name", "key", "app.exe"));
  struct FieldCase {
    int id;
    std::string good;
  } const fields[] = {{IDC_NAME, "name"}, {IDC_KEY, "key"}, {IDC_APPLICATION, "app.exe"},
                      {IDC_FILE, ""}};
  for (FieldCase const& field : fields) {
    for (char const* bad : {"\r", "\n", "\t", "\x01"}) {
      SCOPED_TRACE("control " + std::to_string(field.id) + ", byte " +
                   std::to_string(static_cast<int>(bad[0])));
      std::string const text = "be" + std::string(bad) + "fore";
      ASSERT_NO_FATAL_FAILURE(SetField(field.id, text));
      ASSERT_EQ(Field(field.id), text) << "expected the field to hold the byte";
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, CONTROL_CHARACTER_TEXT));
    }
    ASSERT_NO_FATAL_FAILURE(SetField(field.id, field.good));
  }
  // The desktop folder's name and the folder to open, too.
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_DESKTOP_FOLDER, "フォルダ名"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, "new\r\nfolder"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, CONTROL_CHARACTER_TEXT));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER, "オープンタイプ"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, "C:\\\twindows"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, CONTROL_CHARACTER_TEXT));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(ReadRows().rowCount, 0);
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(IniValue(Ini(), "settings", "command count"), "0");
}

TEST_F(EditorCommandBadInput, TenThousandBytesInEveryFieldGetTheLengthMessages) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {})));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  // Double-byte characters, so that no cut at a limit may split one unnoticed.
  std::string huge;
  while (huge.size() < 10000) huge += "漢";
  for (int id : {IDC_NAME, IDC_KEY, IDC_APPLICATION, IDC_FILE}) {
    ASSERT_NO_FATAL_FAILURE(SetField(id, huge));
    LRESULT length = 0;
    ASSERT_TRUE(e2e::Send(EditControl(id), WM_GETTEXTLENGTH, 0, 0, &length));
    ASSERT_GE(length, static_cast<LRESULT>(huge.size())) << "expected the field to hold every byte";
  }
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, NAME_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "n"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, KEY_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "k"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, APPLICATION_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, ""));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FILE_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_FOLDER, "オープンタイプ"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_DESKTOP_FOLDER, "フォルダ名"));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, huge));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, FOLDER_TOO_LONG_TEXT));
  // A name just one byte over the limit after a double-byte character is still too long.
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, std::string(254, 'n') + "漢"));
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, NAME_TOO_LONG_TEXT));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_TRUE(e2e::Responds(dialog_));
  EXPECT_EQ(ReadRows().rowCount, 0);
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

// The name and the key filled wider than their boxes (the editor itself puts such text there: a
// long stored name, a chosen file, a picked window's title), then typed into as a user does at
// the start, in the middle and at the end: the fields scroll, the editor lives on, and each text
// is what was typed.
TEST_F(EditorCommandBadInput, TypingIntoFieldsWiderThanTheirBoxesKeepsEveryCharacter) {
  auto times = [](std::string const& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
  };
  std::string const stored = times("表", 100) + std::string(50, 'n');  // 250 bytes
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, {{stored, "o", CMD_APP, "C:\\a.exe", ""}})));
  ASSERT_NO_FATAL_FAILURE(OpenModify({0}));
  ASSERT_EQ(Field(IDC_NAME), stored);
  struct Typed {
    int id;
    char mnemonic;  // Alt with it takes the focus to the field, as its label says
  };
  for (Typed const field : {Typed{IDC_NAME, 'N'}, Typed{IDC_KEY, 'K'}}) {
    SCOPED_TRACE("field " + std::to_string(field.id));
    std::string text = stored;
    ASSERT_NO_FATAL_FAILURE(SetField(field.id, text));
    auto typedAt = [&](std::vector<WORD> const& moves, char letter, std::size_t at) {
      for (WORD key : moves) ASSERT_TRUE(e2e::PressKey(key));
      ASSERT_TRUE(e2e::TypeText(std::string(1, letter)));
      text.insert(at, 1, letter);
      ASSERT_TRUE(e2e::WaitUntil([&] { return Field(field.id) == text; }))
          << "expected \"" << text << "\", got \"" << Field(field.id) << "\"";
      ASSERT_TRUE(e2e::Responds(edit_)) << "expected the editor to live on";
    };
    ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, static_cast<WORD>(field.mnemonic)));
    ASSERT_TRUE(e2e::WaitUntil([&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      return GetGUIThreadInfo(GetWindowThreadProcessId(edit_, nullptr), &info) &&
             info.hwndFocus == EditControl(field.id);
    }))
        << "expected Alt+" << field.mnemonic << " to take the focus to the field";
    ASSERT_NO_FATAL_FAILURE(typedAt({VK_HOME}, 'a', 0));
    ASSERT_NO_FATAL_FAILURE(typedAt({VK_END}, 'b', text.size()));
    // Right steps over a double-byte character whole: past "a" and two of them.
    ASSERT_NO_FATAL_FAILURE(typedAt({VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT}, 'c', 5));
  }
  // 253 bytes: a name the checks take; the key goes back to one they take.
  std::string const name = "a" + times("表", 2) + "c" + times("表", 98) + std::string(50, 'n') + "b";
  ASSERT_EQ(Field(IDC_NAME), name);
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "o"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(StoredCommand(Ini(), 0), (CommandEntry{name, "o", CMD_APP, "C:\\a.exe", ""}));
}

TEST_F(EditorCommandBadInput, AnUnknownTypeSelectsNothingAndOkRefuses) {
  std::string const ini = CommandsIni({}, {{"odd", "o", 9, "3", "C:\\x"}});
  ASSERT_NO_FATAL_FAILURE(Open(ini));
  ASSERT_NO_FATAL_FAILURE(OpenModify({0}));
  EXPECT_EQ(Selection(IDC_TYPE), CB_ERR);
  EXPECT_EQ(Field(IDC_NAME), "odd");
  ASSERT_NO_FATAL_FAILURE(ExpectRefused(ERROR_CAPTION, CHOOSE_FROM_LIST_TEXT));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(RowTexts()[0], (std::vector<std::string>{"o", "odd", "", "C:\\x"}));
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(StoredCommand(Ini(), 0), (CommandEntry{"odd", "o", 9, "3", "C:\\x"}));
}

TEST_F(EditorCommandBadInput, CancelAfterEditsKeepsTheRowsAndTheFile) {
  std::string const ini = CommandsIni({}, ThreeCommands());
  ASSERT_NO_FATAL_FAILURE(Open(ini));
  std::vector<std::vector<std::string>> const before = RowTexts();
  ASSERT_NO_FATAL_FAILURE(OpenModify({1}));
  ASSERT_NO_FATAL_FAILURE(FillApp("changed", "ck", "changed.exe"));
  ASSERT_NO_FATAL_FAILURE(ChooseType(CMD_APP, "アプリケーション"));
  ASSERT_NO_FATAL_FAILURE(CancelEdit());
  EXPECT_EQ(RowTexts(), before);
  // Escape ends it the same way.
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  ASSERT_NO_FATAL_FAILURE(FillApp("new", "nk", "new.exe"));
  ASSERT_TRUE(e2e::ClickAt(e2e::CentreOf(WindowRect(EditControl(IDC_NAME)))));
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == edit_; }));
  ASSERT_TRUE(e2e::PressKey(VK_ESCAPE));
  ASSERT_TRUE(e2e::WaitGone(edit_)) << "expected Escape to end the edit dialog";
  EXPECT_EQ(RowTexts(), before);
  // A change accepted in the list, then the settings dialog's Cancel: the file stays as it was.
  ASSERT_NO_FATAL_FAILURE(OpenModify({0}));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, "accepted"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
  EXPECT_EQ(Ini(), ini) << "expected pimbo.ini byte for byte as it was";
}

// --- Timing --------------------------------------------------------------------------------

// <chrono> cannot be compiled for code page 932 (its "µs" suffix has no such character).
long long NowMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return now.QuadPart * 1000 / frequency.QuadPart;
}

TEST_F(EditorCommandPerformance, OkWalksTenThousandRowsWithinAFrame) {
  std::vector<CommandEntry> commands;
  for (int i = 0; i < 10000; ++i) {
    char key[16];
    snprintf(key, sizeof key, "k%05d", i);
    commands.push_back({key, key, CMD_APP, "", "f.txt"});
  }
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));
  ASSERT_NO_FATAL_FAILURE(OpenNew());
  // A key that no stored key begins or ends in, so that OK walks every row without a box.
  ASSERT_NO_FATAL_FAILURE(FillApp("new", "new", "new.exe"));
  long long const start = NowMs();
  PressEdit(IDOK);
  ASSERT_TRUE(e2e::WaitGone(edit_));
  long long const ms = NowMs() - start;
  std::cout << "[ timing ] OK of the edit dialog with 10000 commands in the list: " << ms
            << " ms" << std::endl;
  EXPECT_LT(ms, 2000) << "expected the conflict walk over 10,000 rows within two seconds";
  EXPECT_EQ(ReadRows(1).rowCount, 10001);
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

}  // namespace
