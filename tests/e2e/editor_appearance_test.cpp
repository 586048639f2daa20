// End-to-end tests of where and in which colours the launcher window will appear: dragging the
// position picture with the mouse, the centre button, and the two colour buttons with the
// system's colour dialog.
#include "editor_fixture.h"

#include <colordlg.h>

namespace {

using EditorAppearance = EditorTest;

// At 150 % the corner is in the screen's own pixels, as the launcher places its window.
TEST_F(EditorAppearance, DraggingThePictureStoresTheDropCorner) {
  for (DWORD const dpi : {96, 144}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    ScreenDpi screen(dpi);
    ASSERT_TRUE(screen.Ok()) << "could not set the prefix's LogPixels";
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"XPOINT=-1", "YPOINT=-1"}, {})));
    HWND picture = Control(IDC_POSITION);
    ASSERT_TRUE(picture);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(picture, &rect));
    POINT grab{rect.left + 20, rect.top + 5};
    POINT offset = grab;
    ASSERT_TRUE(ScreenToClient(picture, &offset));
    POINT drop{400, 300};

    ASSERT_TRUE(e2e::DragMouse(grab, drop)) << "expected the press on the picture to start a drag";
    // The release ends the drag once the editor lets the mouse go; only then may OK come, for a
    // posted click would be handled before the release still waiting among the input.
    DWORD const thread = GetWindowThreadProcessId(picture, nullptr);
    EXPECT_TRUE(e2e::WaitUntil([&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
    })) << "expected the release to end the drag";
    EXPECT_TRUE(e2e::WaitVisible(picture, true)) << "expected the picture shown after the drop";
    EXPECT_EQ(EndWith(IDOK), 0u);
    EXPECT_EQ(Setting("XPOINT"), std::to_string(drop.x - offset.x));
    EXPECT_EQ(Setting("YPOINT"), std::to_string(drop.y - offset.y));
  }
}

// The capture taken away in the middle of the drag (what Alt+Tab or the Win key do): the drag
// ends where it began, and the next one works.
TEST_F(EditorAppearance, ADragThatLosesTheMouseStoresNothing) {
  for (bool const again : {false, true}) {
    SCOPED_TRACE(again ? "then a whole drag" : "alone");
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"XPOINT=100", "YPOINT=50"}, {})));
    HWND picture = Control(IDC_POSITION);
    ASSERT_TRUE(picture);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(picture, &rect));
    POINT const grab{rect.left + 20, rect.top + 5};
    POINT offset = grab;
    ASSERT_TRUE(ScreenToClient(picture, &offset));
    POINT const drop{400, 300};
    DWORD const thread = GetWindowThreadProcessId(picture, nullptr);
    auto const released = [&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
    };
    bool cancelled = false;
    ASSERT_TRUE(e2e::DragMouse(grab, drop, 8, [&] {
      cancelled = e2e::Send(dialog_, WM_CANCELMODE, 0, 0) && e2e::WaitUntil(released);
    })) << "expected the press on the picture to start a drag";
    EXPECT_TRUE(cancelled) << "expected WM_CANCELMODE to let the mouse go";
    EXPECT_TRUE(e2e::WaitVisible(picture, true)) << "expected the picture back after the cancel";
    if (again) {
      ASSERT_TRUE(e2e::DragMouse(grab, drop)) << "expected a new drag to start";
      EXPECT_TRUE(e2e::WaitUntil(released)) << "expected the release to end the drag";
      EXPECT_TRUE(e2e::WaitVisible(picture, true));
    }
    EXPECT_EQ(EndWith(IDOK), 0u);
    EXPECT_EQ(Setting("XPOINT"), again ? std::to_string(drop.x - offset.x) : "100");
    EXPECT_EQ(Setting("YPOINT"), again ? std::to_string(drop.y - offset.y) : "50");
  }
}

inline constexpr char CENTRE_QUESTION[] = "表示位置を画面の中心に設定します";

TEST_F(EditorAppearance, CentreButtonAsksAndItsOkStoresMinusOne) {
  struct Case {
    int answer;
    const char* x;
    const char* y;
  } const cases[] = {{IDCANCEL, "100", "50"}, {IDOK, "-1", "-1"}};
  for (Case const& c : cases) {
    SCOPED_TRACE(c.answer == IDOK ? "OK" : "Cancel");
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"XPOINT=100", "YPOINT=50"}, {})));
    Press(IDC_CENTRE);
    HWND box = ExpectBox("Pimbo", CENTRE_QUESTION);
    ASSERT_TRUE(box);
    EXPECT_TRUE(GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL)) << "expected OK and Cancel";
    ASSERT_TRUE(e2e::DismissMessageBox(box, c.answer));
    EXPECT_EQ(EndWith(IDOK), 0u);
    EXPECT_EQ(Setting("XPOINT"), c.x);
    EXPECT_EQ(Setting("YPOINT"), c.y);
  }
}

// The system's colour dialog that a colour button opened: a "#32770" of the editor other than
// its own dialog.
HWND WaitForColourDialog(DWORD pid, HWND settings) {
  HWND found = nullptr;
  e2e::WaitUntil([&] {
    for (HWND w : e2e::TopLevelWindows(pid, "#32770", nullptr, true)) {
      if (w != settings && GetDlgItem(w, COLOR_RED)) found = w;
    }
    return found != nullptr;
  });
  return found;
}

// Types the colour into the dialog's red, green and blue fields, as a user would.
void EnterColour(HWND colours, BYTE r, BYTE g, BYTE b) {
  int const ids[] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
  BYTE const values[] = {r, g, b};
  for (int i = 0; i < 3; ++i) {
    std::string text = std::to_string(values[i]);
    ASSERT_TRUE(e2e::Send(GetDlgItem(colours, ids[i]), WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(text.c_str())));
  }
}

TEST_F(EditorAppearance, ColourChosenInTheColourDialogIsSaved) {
  struct Case {
    int button;
    const char* key;
  } const cases[] = {{IDC_TEXT_COLOUR, "FGColor"}, {IDC_BACKGROUND_COLOUR, "BGColor"}};
  for (Case const& c : cases) {
    SCOPED_TRACE(c.key);
    ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"FGColor=255", "BGColor=16777215"}, {})));
    Press(c.button);
    HWND colours = WaitForColourDialog(editor_.Id(), dialog_);
    ASSERT_TRUE(colours) << "expected the colour dialog";
    ASSERT_NO_FATAL_FAILURE(EnterColour(colours, 18, 52, 86));
    ASSERT_TRUE(e2e::DismissMessageBox(colours, IDOK));
    EXPECT_EQ(EndWith(IDOK), 0u);
    std::string other = c.button == IDC_TEXT_COLOUR ? "BGColor" : "FGColor";
    EXPECT_EQ(Setting(c.key), std::to_string(RGB(18, 52, 86)));
    EXPECT_EQ(Setting(other), c.button == IDC_TEXT_COLOUR ? "16777215" : "255");
  }
}

TEST_F(EditorAppearance, ColourDialogCancelChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(Open(CommandsIni({"FGColor=255", "BGColor=16777215"}, {})));
  Press(IDC_TEXT_COLOUR);
  HWND colours = WaitForColourDialog(editor_.Id(), dialog_);
  ASSERT_TRUE(colours) << "expected the colour dialog";
  ASSERT_NO_FATAL_FAILURE(EnterColour(colours, 18, 52, 86));
  ASSERT_TRUE(e2e::DismissMessageBox(colours, IDCANCEL));
  EXPECT_TRUE(e2e::Responds(dialog_));
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(Setting("FGColor"), "255");
  EXPECT_EQ(Setting("BGColor"), "16777215");
}

// comdlg32, which the editor loads at the first colour or file chooser, comes from the system
// folder even with a comdlg32.dll beside the editor and Wine told to prefer it there.
TEST_F(EditorAppearance, ColourDialogTakesNoLibraryFromTheEditorsFolder) {
  ASSERT_NO_FATAL_FAILURE(Layout(CommandsIni({"FGColor=255"}, {})));
  ASSERT_TRUE(folder_->CopyIn(e2e::WinePath(PIMBO_E2E_PLANTED_DLL_UNIX_PATH), "comdlg32.dll"));
  e2e::ScopedWineOverride native("pimbosetting.exe", "comdlg32", "native,builtin");
  ASSERT_TRUE(native.Ok()) << "could not write Wine's override for pimbosetting.exe";
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  Press(IDC_TEXT_COLOUR);
  HWND colours = WaitForColourDialog(editor_.Id(), dialog_);
  EXPECT_FALSE(folder_->Exists("comdlg32.loaded")) << "expected the planted comdlg32.dll unused";
  ASSERT_TRUE(colours) << "expected the colour dialog, from the system's comdlg32";
  ASSERT_TRUE(e2e::DismissMessageBox(colours, IDCANCEL));
  EXPECT_EQ(EndWith(IDOK), 0u);
}

}  // namespace
