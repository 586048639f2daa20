// End-to-end tests of the settings dialog as the user sees and drives it: its controls and
// their places, the command list's columns and rows, the hot key, hide time and tray settings,
// deleting rows and sorting them by a click on a column header.
#include "editor_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

using EditorDialog = EditorTest;
using EditorCommands = EditorTest;

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
  int x, y, width, height;
  DWORD styles;  // bits that must be set
};

// Dialog 129 in template (and tab) order. Sizes in dialog units; the combo box's height is its
// dropped-down height, so only its closed width is checked.
ExpectedControl const CONTROLS[] = {
    {1002, "SysListView32", "", 7, 58, 267, 130,
     LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | WS_BORDER |
         WS_TABSTOP},
    {-1, "Static", "起動ｷｰ(&K)", 7, 9, 32, 8, 0},
    {1000, "msctls_hotkey32", "", 48, 7, 125, 12, WS_BORDER | WS_TABSTOP},
    {-1, "Static", "ﾌｫﾝﾄ色(&C)", 181, 34, 32, 8, 0},
    {1026, "Button", "ﾌｫﾝﾄ色", 215, 31, 33, 14, BS_OWNERDRAW | WS_TABSTOP},
    {-1, "Static", "背景色(&B)", 257, 34, 31, 8, 0},
    {1027, "Button", "背景色", 288, 31, 33, 14, BS_OWNERDRAW | WS_TABSTOP},
    {1003, "Button", "新規作成(&N)", 284, 61, 47, 14, WS_TABSTOP},
    {1004, "Button", "変更(&M)", 284, 75, 47, 14, WS_TABSTOP},
    {1005, "Button", "削除(&D)", 284, 89, 47, 14, WS_TABSTOP},
    {1, "Button", "OK", 284, 160, 47, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, "Button", "ｷｬﾝｾﾙ", 284, 174, 47, 14, WS_TABSTOP},
    {-1, "Static", "消去時間(&H)", 7, 25, 38, 8, 0},
    {1029, "ComboBox", "", 48, 22, 126, 95, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
    {1032, "Button", "中心", 150, 39, 24, 12, WS_TABSTOP},
    {-1, "Button", "ウインドウの色", 177, 21, 148, 30, BS_GROUPBOX},
    {1035, "Button", "タスクトレイに入らない(&T)", 177, 8, 138, 9, BS_AUTOCHECKBOX | WS_TABSTOP},
    {-1, "Static", "表示位置", 7, 41, 28, 8, 0},
    {1031, "Static", "", 48, 39, 97, 12, SS_BITMAP},
};

// At 100, 150 and 200 % the dialog grows with its font, and every control keeps its place and
// size in dialog units: its pixels are those that MapDialogRect gives for the template's.
TEST_F(EditorDialog, EveryControlSitsWhereTheTemplatePutsIt) {
  int baseX96 = 0;
  int baseY96 = 0;
  for (DWORD const dpi : SCREEN_DPIS) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    ScreenDpi screen(dpi);
    ASSERT_TRUE(screen.Ok()) << "could not set the prefix's LogPixels";
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(e2e::WindowText(dialog_), e2e::EDITOR_TITLE);
    e2e::DialogLayout layout;
    std::string error;
    ASSERT_TRUE(e2e::ReadDialogLayout(dialog_, &layout, &error)) << error;
    ASSERT_EQ(layout.controls.size(), std::size(CONTROLS)) << "expected 19 controls";
    if (dpi == 96) {
      baseX96 = layout.baseX;
      baseY96 = layout.baseY;
    } else {
      // The font's pixels round on their own at each scale.
      EXPECT_NEAR(layout.baseX, MulDiv(baseX96, dpi, 96), 2) << "at 96 dpi " << baseX96;
      EXPECT_NEAR(layout.baseY, MulDiv(baseY96, dpi, 96), 2) << "at 96 dpi " << baseY96;
    }

    for (size_t i = 0; i < std::size(CONTROLS); ++i) {
      ExpectedControl const& want = CONTROLS[i];
      e2e::DialogControl const& got = layout.controls[i];
      SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
      EXPECT_EQ(got.id, want.id);
      EXPECT_TRUE(e2e::SameText(got.className, want.className))
          << "expected class " << want.className << ", got " << got.className;
      // A drop-down list shows its choice as its text, a bitmap static its resource ordinal.
      if (want.id != 1029 && want.id != 1031) {
        EXPECT_EQ(got.text, want.text);
      }
      EXPECT_NEAR(got.x, want.x, 1);
      EXPECT_NEAR(got.y, want.y, 1);
      if (want.id == 1031) {
        // Either the template's size with the picture fitted to it, or the bitmap's own size.
        bool templateSize = std::abs(got.width - want.width) <= 1 &&
                            std::abs(got.height - want.height) <= 1;
        EXPECT_TRUE(templateSize || (got.pixelWidth == 170 && got.pixelHeight == 18))
            << "got " << got.width << " x " << got.height << " units, " << got.pixelWidth << " x "
            << got.pixelHeight << " pixels";
      } else {
        EXPECT_NEAR(got.width, want.width, 1);
        EXPECT_NEAR(got.pixelWidth, MulDiv(want.width, layout.baseX, 4), 1);
        if (want.id != 1029) {
          EXPECT_NEAR(got.height, want.height, 1);
          EXPECT_NEAR(got.pixelHeight, MulDiv(want.height, layout.baseY, 8), 1);
        }
      }
      // Button kinds and the static's picture kind are numbers in the low bits, not flags.
      DWORD kindMask = got.className == "Button" ? BS_TYPEMASK : want.id == 1031 ? SS_TYPEMASK : 0;
      DWORD flags = want.styles & ~kindMask;
      // The common controls turn a border into a client edge; a combo box hands its scroll bar
      // to its drop-down list (both measured under Wine 8).
      HWND window = GetDlgItem(dialog_, want.id);
      if ((flags & WS_BORDER) && window &&
          (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
        flags &= ~WS_BORDER;
      }
      if (want.id == 1029) flags &= ~WS_VSCROLL;
      EXPECT_EQ(got.style & flags, flags) << "style " << std::hex << got.style;
      if (kindMask) {
        EXPECT_EQ(got.style & kindMask, want.styles & kindMask);
      }
    }
    e2e::DialogControl const& list = layout.controls[0];
    EXPECT_FALSE(list.style & LVS_SINGLESEL) << "expected several rows selectable";
    e2e::DialogControl const& picture = layout.controls.back();
    EXPECT_FALSE(picture.style & SS_NOTIFY)
        << "expected presses on the picture to reach the dialog";

    std::vector<std::string> hideTimes = {"起動前", "起動後すぐ", "起動後１秒後", "起動後２秒後",
                                          "起動後３秒後"};
    EXPECT_EQ(layout.comboItems[1029], hideTimes);
    EXPECT_EQ(EndWith(IDCANCEL), 0u);
  }
}

// The owner-drawn rows grow with the scale and keep room for the small icon of that scale.
TEST_F(EditorDialog, RowsGrowWithTheScale) {
  std::vector<CommandEntry> const commands = {
      {"ごみ箱", "g", CMD_EMPTY_RECYCLE_BIN, "", ""},
      {"Windows", "w", CMD_FOLDER, "0", "C:\\windows"},
  };
  int height96 = 0;
  for (DWORD const dpi : SCREEN_DPIS) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    ScreenDpi screen(dpi);
    ASSERT_TRUE(screen.Ok()) << "could not set the prefix's LogPixels";
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));
    e2e::ListViewState state = ReadRows();
    ASSERT_EQ(state.rows.size(), commands.size());
    int const height = state.rows[0].rect.bottom - state.rows[0].rect.top;
    EXPECT_EQ(state.rows[1].rect.top, state.rows[0].rect.bottom) << "expected rows edge to edge";
    EXPECT_GE(height, MulDiv(16, dpi, 96)) << "expected room for the small icon";
    if (dpi == 96) {
      height96 = height;
    } else {
      EXPECT_NEAR(height, MulDiv(height96, dpi, 96), 2) << "at 96 dpi " << height96;
    }
    EXPECT_EQ(EndWith(IDCANCEL), 0u);
  }
}

TEST_F(EditorDialog, ColumnsAndOneRowPerCommand) {
  std::vector<CommandEntry> commands = {
      {"メモ帳", "m", CMD_APP, "notepad.exe", "C:\\readme.txt"},
      {"Windows", "w", CMD_FOLDER, "1", "C:\\windows"},
      {"終了", "q", CMD_CONTROL, "1", ""},
      {"desk", "d", CMD_DESKTOP_FOLDER, "", "新しいフォルダ"},
      {"unknown type", "u", 9, "x", "y"},
  };
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));
  e2e::ListViewState state = ReadRows();

  RECT rect{};
  ASSERT_TRUE(GetWindowRect(list_, &rect));
  int w = rect.right - rect.left;
  char const* titles[] = {"キー", "名前", "オペレーション", "ファイル/フォルダ"};
  int const shares[] = {15, 20, 30, 35};
  ASSERT_EQ(state.columns.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(state.columns[i].title, titles[i]) << "column " << i;
    EXPECT_EQ(state.columns[i].width, w * shares[i] / 100 - 2) << "column " << i;
  }
  EXPECT_EQ(state.order, (std::vector<int>{1, 0, 2, 3})) << "expected the name column first";

  ASSERT_EQ(state.rowCount, static_cast<int>(commands.size()));
  ASSERT_EQ(state.rows.size(), commands.size());
  for (size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(state.rows[i].text[0], commands[i].key);
    EXPECT_EQ(state.rows[i].text[1], commands[i].name);
    EXPECT_EQ(state.rows[i].text[2], OperationText(commands[i].type));
    EXPECT_EQ(state.rows[i].text[3], commands[i].file);
    EXPECT_FALSE(state.rows[i].selected);
  }
  EXPECT_EQ(EndWith(IDCANCEL), 0u);
}

// --- Settings controls -----------------------------------------------------------------------

struct HotKeyCase {
  const char* stored;  // "hot key" before
  WORD shown;          // what the control shows for it
  BYTE vk, flags;      // what the test sets
  const char* saved;   // "hot key" after OK
};

HotKeyCase const HOT_KEYS[] = {
    {"305", MAKEWORD('1', HOTKEYF_ALT), 'A', HOTKEYF_CONTROL | HOTKEYF_SHIFT, "1601"},
    {"1601", MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 'Z', HOTKEYF_ALT | HOTKEYF_EXT,
     "2394"},  // 0x095A: MOD_ALT | MOD_WIN, 'Z'
    {"2394", MAKEWORD('Z', HOTKEYF_ALT | HOTKEYF_EXT), 0, 0, "0"},  // an empty control
    // Ctrl+Alt+Home as the real control gives it, its extended bit set by itself: no Win.
    {"305", MAKEWORD('1', HOTKEYF_ALT), VK_HOME, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT,
     "804"},  // 0x0324
    // Shown back with the key's extended bit; without it (Wine's control) the same key.
    {"804", MAKEWORD(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT), VK_HOME,
     HOTKEYF_CONTROL | HOTKEYF_ALT, "804"},
    // Win+Ctrl+Alt+Home has no form of its own in the control: kept while it is not changed.
    {"2852", MAKEWORD(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT), VK_HOME,
     HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT, "2852"},  // 0x0B24
    {"2852", MAKEWORD(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT), VK_END,
     HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT, "803"},  // changed: Ctrl+Alt+End
};

TEST_F(EditorDialog, HotKeyIsShownAndStoredInTheLaunchersEncoding) {
  for (HotKeyCase const& c : HOT_KEYS) {
    SCOPED_TRACE(std::string("stored ") + c.stored);
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({std::string("hot key=") + c.stored}, {})));
    EXPECT_EQ(HotKeyControl(), c.shown);
    ASSERT_NO_FATAL_FAILURE(SetHotKeyControl(c.vk, c.flags));
    EXPECT_EQ(EndWith(IDOK), 0u);
    EXPECT_EQ(Setting("hot key"), c.saved);
  }
}

TEST_F(EditorDialog, HideTimeFollowsTheComboBox) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"HIDE TIME=3"}, {})));
  LRESULT selection = 0;
  ASSERT_TRUE(e2e::Send(Control(IDC_HIDE_TIME), CB_GETCURSEL, 0, 0, &selection));
  EXPECT_EQ(selection, 3);
  ASSERT_TRUE(e2e::Send(Control(IDC_HIDE_TIME), CB_SETCURSEL, 0));
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(Setting("HIDE TIME"), "0");
}

TEST_F(EditorDialog, HideTimeOutOfRangeShowsNoChoiceAndStores255) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"HIDE TIME=7"}, {})));
  LRESULT selection = 0;
  ASSERT_TRUE(e2e::Send(Control(IDC_HIDE_TIME), CB_GETCURSEL, 0, 0, &selection));
  EXPECT_EQ(selection, CB_ERR) << "expected no entry selected";
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(Setting("HIDE TIME"), "255");
}

inline constexpr char NO_TRAY_WARNING[] =
    "Pimbo制御コマンドを登録せずにタスクトレイに入らないと、Pimboを終了できなくなります。";

TEST_F(EditorDialog, NoTrayWithoutControlCommandWarnsAndCancelKeepsTheDialog) {
  std::string ini = CommandsIni({"NoTray=0"}, {{"app", "a", CMD_APP, "", "x.txt"},
                                               {"folder", "f", CMD_FOLDER, "0", "C:\\"}});
  ASSERT_NO_FATAL_FAILURE(Open(ini));
  Press(IDC_NO_TRAY);
  ASSERT_TRUE(e2e::WaitUntil([&] {
    LRESULT check = 0;
    return e2e::Send(Control(IDC_NO_TRAY), BM_GETCHECK, 0, 0, &check) && check == BST_CHECKED;
  })) << "expected the click to tick the check box";

  Press(IDOK);
  HWND box = ExpectBox("pimbo", NO_TRAY_WARNING);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));
  EXPECT_TRUE(e2e::StaysFalse([&] { return !editor_.Running(); }))
      << "expected the dialog to stay open after Cancel";
  EXPECT_TRUE(e2e::Responds(dialog_));
  EXPECT_EQ(Ini(), ini) << "expected nothing written yet";
  EXPECT_TRUE(LauncherStarts().empty());

  Press(IDOK);
  box = ExpectBox("pimbo", NO_TRAY_WARNING);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
  ASSERT_TRUE(editor_.WaitExit());
  EXPECT_EQ(editor_.ExitCode(), 0u);
  EXPECT_EQ(Setting("NoTray"), "1");
  ASSERT_NO_FATAL_FAILURE(ExpectLauncherStartedOnce());
}

TEST_F(EditorDialog, NoTrayWarningOnlyWithoutAControlCommand) {
  struct Case {
    const char* noTray;
    int type;
  } const cases[] = {{"1", CMD_CONTROL}, {"0", CMD_APP}};
  for (Case const& c : cases) {
    SCOPED_TRACE(std::string("NoTray=") + c.noTray + ", type " + std::to_string(c.type));
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni(
        {std::string("NoTray=") + c.noTray},
        {{"app", "a", CMD_APP, "", "x.txt"}, {"ctl", "c", c.type, "3", ""}})));
    Press(IDOK);
    // Ending by itself shows that no warning held it.
    ASSERT_TRUE(editor_.WaitExit()) << "expected OK to end the editor without a warning";
    EXPECT_EQ(editor_.ExitCode(), 0u);
    EXPECT_EQ(Setting("NoTray"), c.noTray);
  }
}

// --- Deleting and sorting rows ---------------------------------------------------------------

std::vector<CommandEntry> FiveCommands() {
  return {{"zero", "k0", CMD_APP, "", "f0"},     {"one", "k1", CMD_FOLDER, "0", "f1"},
          {"two", "k2", CMD_SCREENSAVER, "", ""}, {"three", "k3", CMD_CONTROL, "2", ""},
          {"four", "k4", CMD_APP, "", "f4"}};
}

inline constexpr char DELETE_QUESTION[] = "選択されたアイテムを削除てもよろしいですか？     \r\n";

std::vector<std::string> Names(e2e::ListViewState const& state) {
  std::vector<std::string> names;
  for (auto const& row : state.rows) names.push_back(row.text[1]);
  return names;
}

// The command names in the order pimbo.ini stores them.
std::vector<std::string> StoredNames(std::string const& ini) {
  std::vector<std::string> names;
  int count = std::atoi(IniValue(ini, "settings", "command count").value_or("0").c_str());
  for (int i = 0; i < count; ++i) {
    names.push_back(Unquoted(IniValue(ini, "commands", "command name" + std::to_string(i)).value_or("?")));
  }
  return names;
}

TEST_F(EditorCommands, DeleteRemovesEverySelectedRowAfterOneQuestion) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, FiveCommands())));
  // Nothing selected: no question, nothing deleted.
  Press(IDC_DELETE);
  EXPECT_TRUE(NoBox()) << "expected no question without a selection";

  // A real click selects one row; the question's No keeps it.
  e2e::ListViewState state = ReadRows();
  ASSERT_EQ(state.rows.size(), 5u);
  ASSERT_TRUE(e2e::ClickAt(e2e::CentreOf(state.rows[2].rect)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return ReadRows().rows[2].selected; }))
      << "expected the click to select row 2";
  Press(IDC_DELETE);
  HWND box = ExpectBox("確認", DELETE_QUESTION);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDNO));
  EXPECT_EQ(ReadRows().rowCount, 5);

  std::string error;
  ASSERT_TRUE(e2e::SelectListRows(list_, {1, 3}, &error)) << error;
  Press(IDC_DELETE);
  box = ExpectBox("確認", DELETE_QUESTION);
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::DismissMessageBox(box, IDYES));
  EXPECT_TRUE(NoBox()) << "expected one question for all selected rows";
  EXPECT_EQ(Names(ReadRows()), (std::vector<std::string>{"zero", "two", "four"}));

  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(StoredNames(Ini()), (std::vector<std::string>{"zero", "two", "four"}));
  EXPECT_EQ(Unquoted(IniValue(Ini(), "commands", "command file2").value_or("")), "f4");
}

// Waits until the rows show names in this order.
bool WaitNames(HWND list, std::vector<std::string> const& names) {
  return e2e::WaitUntil([&] {
    e2e::ListViewState state;
    std::string error;
    return e2e::ReadListView(list, &state, &error) && Names(state) == names;
  });
}

TEST_F(EditorCommands, HeaderClicksSortUpThenDownAndOkStoresTheRowOrder) {
  // Keys, names, types and files ordered differently from each other. The operation texts in
  // alphabetical order would put "Pimbo 制御" (4) before "WINDOWS の終了" (2).
  std::vector<CommandEntry> commands = {
      {"bravo", "c", CMD_CONTROL, "0", "b.txt"},
      {"delta", "b", CMD_EXIT_WINDOWS, "1", "D.txt"},
      {"alpha", "d", CMD_APP, "", "c.txt"},
      {"charlie", "a", CMD_FOLDER, "0", "A.txt"},
  };
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({}, commands)));
  e2e::ListViewState state = ReadRows();
  ASSERT_EQ(state.columns.size(), 4u);
  // The first click is a real one; the later ones are the header's notification itself, as
  // the direction of each depends on all before it.
  ASSERT_TRUE(e2e::ClickAt(e2e::CentreOf(state.columns[0].header)));  // key, ascending
  EXPECT_TRUE(WaitNames(list_, {"charlie", "delta", "bravo", "alpha"}))
      << "expected keys a, b, c, d";
  std::string error;
  auto click = [&](int column) { return e2e::ClickListHeader(list_, column, &error); };

  ASSERT_TRUE(click(1));  // name, descending: the direction alternates over all headers
  EXPECT_TRUE(WaitNames(list_, {"delta", "charlie", "bravo", "alpha"}))
      << "expected names descending";
  ASSERT_TRUE(click(2));  // operation, ascending by type number
  EXPECT_TRUE(WaitNames(list_, {"alpha", "charlie", "delta", "bravo"}))
      << "expected types 0, 1, 2, 4";
  ASSERT_TRUE(click(3));  // file, descending, ignoring case
  EXPECT_TRUE(WaitNames(list_, {"delta", "alpha", "bravo", "charlie"}))
      << "expected files D, c, b, A";
  ASSERT_TRUE(click(1));  // name, ascending
  std::vector<std::string> final = {"alpha", "bravo", "charlie", "delta"};
  EXPECT_TRUE(WaitNames(list_, final)) << "expected names ascending";

  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(StoredNames(Ini()), final);
  std::string ini = Ini();
  EXPECT_EQ(IniValue(ini, "commands", "command type0"), "0");
  EXPECT_EQ(IniValue(ini, "commands", "command key3"), "\"b\"");
}

}  // namespace
