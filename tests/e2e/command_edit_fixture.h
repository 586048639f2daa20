// The fixture of the command edit dialog's end-to-end tests: the settings editor started on a
// pimbo.ini of chosen commands, its edit dialog opened by New or Modify, its fields and combo
// boxes read and driven from outside, and its answers on OK caught as message boxes.
#pragma once

#include "editor_fixture.h"

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

// The edit dialog's title (its controls are those of setting/resource.h).
inline constexpr char EDIT_TITLE[] = "Pimbo コマンド";

// Captions of the boxes that OK may show.
inline constexpr char ERROR_CAPTION[] = "PIMBO LAUNCHER コマンド エラー";
inline constexpr char WARNING_CAPTION[] = "警告";
inline constexpr char CHARACTER_ERROR_CAPTION[] = "Error";

// The answers of OK, byte for byte (the blanks before the line ends belong to them); %s is a
// launch key.
inline constexpr char NAME_TOO_LONG_TEXT[] =
    "名前が長すぎます。              \r\n\r\n２５５文字までの名前にしてください。";
inline constexpr char NAME_MISSING_TEXT[] = "名前を入力してください。            \r\n";
inline constexpr char KEY_TOO_LONG_TEXT[] =
    "起動キーが長すぎます。              \r\n\r\n３２文字までの名前にしてください。";
inline constexpr char KEY_MISSING_TEXT[] = "起動キーを入力してください。            \r\n";
inline constexpr char KEY_FULL_WIDTH_TEXT[] = "起動キーに全角文字は使えません。            \r\n";
inline constexpr char CONTROL_CHARACTER_TEXT[] =
    "名前、起動キー、パスに改行やタブなどの制御文字は使えません。\r\n";
inline constexpr char KEY_DUPLICATE_FORMAT[] = "起動キー \"%s\" は既に登録されています。        \r\n";
inline constexpr char KEY_MAKES_OTHER_UNUSABLE_FORMAT[] =
    "この起動キーの登録によって、起動キー「%s」が無効になります。\r\n";
inline constexpr char KEY_UNUSABLE_BECAUSE_FORMAT[] =
    "この起動キーは、起動キー「%s」があるために無効になります。\r\n";
inline constexpr char APPLICATION_TOO_LONG_TEXT[] = "起動するｱﾌﾟﾘｹｰｼｮﾝのファイル名が長すぎます。\r\n";
inline constexpr char FILE_TOO_LONG_TEXT[] =
    "ファイル名が長すぎます。                        \r\n\r\n２５５文字までのファイル名にしてください。";
inline constexpr char APPLICATION_OR_FILE_MISSING_TEXT[] =
    "ｱﾌﾟﾘｹｰｼｮﾝ名またはﾌｧｲﾙ名を指定してください。\r\n";
inline constexpr char CHOOSE_FROM_LIST_TEXT[] = "コンボボックスから選択してください。";
inline constexpr char FOLDER_TOO_LONG_TEXT[] =
    "フォルダ名が長すぎます。                        \r\n\r\n２５５文字までのファイル名にしてください。";
inline constexpr char FOLDER_MISSING_TEXT[] = "オープンするフォルダを指定してください。              \r\n";
inline constexpr char FOLDER_NAME_CHARACTERS_TEXT[] =
    "フォルダ名には次の文字は使えません。\r\n            \\ : , ; * ? \" < > |";

// The command stored as index i of a pimbo.ini text, quotes removed ("" for a missing key).
inline CommandEntry StoredCommand(std::string const& ini, int i) {
  auto text = [&](char const* stem) {
    return Unquoted(IniValue(ini, "commands", stem + std::to_string(i)).value_or(""));
  };
  return {text("command name"), text("command key"), std::atoi(text("command type").c_str()),
          text("command exe"), text("command file")};
}
inline bool operator==(CommandEntry const& a, CommandEntry const& b) {
  return a.name == b.name && a.key == b.key && a.type == b.type && a.exe == b.exe &&
         a.file == b.file;
}
inline std::ostream& operator<<(std::ostream& out, CommandEntry const& c) {
  return out << "{" << c.name << ", " << c.key << ", " << c.type << ", " << c.exe << ", "
             << c.file << "}";
}

class CommandEditTest : public EditorTest {
 protected:
  // Presses New and waits for the edit dialog.
  void OpenNew() {
    Press(IDC_NEW);
    ASSERT_NO_FATAL_FAILURE(WaitEdit());
  }
  // Selects the rows, presses Modify and waits for the edit dialog.
  void OpenModify(std::vector<int> const& rows) {
    std::string error;
    ASSERT_TRUE(e2e::SelectListRows(list_, rows, &error)) << error;
    Press(IDC_MODIFY);
    ASSERT_NO_FATAL_FAILURE(WaitEdit());
  }
  void WaitEdit() {
    edit_ = e2e::WaitForWindow(editor_.Id(), "#32770", EDIT_TITLE, true);
    ASSERT_TRUE(edit_) << "expected the dialog \"" << EDIT_TITLE << "\", got none";
    ASSERT_TRUE(e2e::Responds(edit_));
  }
  // The edit dialogs of the editor now open.
  std::vector<HWND> EditDialogs() const {
    return e2e::TopLevelWindows(editor_.Id(), "#32770", EDIT_TITLE);
  }

  HWND EditControl(int id) const { return GetDlgItem(edit_, id); }
  void SetField(int id, std::string const& text) {
    ASSERT_TRUE(e2e::Send(EditControl(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        << "could not set the text of control " << id;
  }
  std::string Field(int id) const { return e2e::WindowText(EditControl(id)); }
  bool Shown(int id) const { return IsWindowVisible(EditControl(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(EditControl(id)) != FALSE; }
  bool AcceptsDrops() const {
    return (GetWindowLongA(edit_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
  }
  void PressEdit(int id) {
    ASSERT_TRUE(EditControl(id)) << "expected control " << id << " in the edit dialog";
    ASSERT_TRUE(e2e::Post(EditControl(id), BM_CLICK));
  }

  e2e::ComboExState Combo(int id) const {
    e2e::ComboExState state;
    std::string error;
    EXPECT_TRUE(e2e::ReadComboEx(EditControl(id), &state, &error)) << error;
    return state;
  }
  int Selection(int id) const {
    LRESULT selection = CB_ERR;
    EXPECT_TRUE(e2e::Send(EditControl(id), CB_GETCURSEL, 0, 0, &selection));
    return static_cast<int>(selection);
  }

  // Chooses item index of an extended combo box as a user does: its list open, Home and Down
  // walk to the item, Enter accepts it.
  void ChooseItem(int id, int index) {
    // The focus goes to the box as Tab would take it there, then the box opens its list: a
    // click on the extended box under Wine does not reliably land on its selection field.
    HWND combo = EditControl(id);
    ASSERT_TRUE(e2e::Send(edit_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE));
    ASSERT_TRUE(e2e::Post(combo, CB_SHOWDROPDOWN, TRUE, 0));
    ASSERT_TRUE(e2e::WaitUntil([&] {
      LRESULT dropped = 0;
      return e2e::Send(EditControl(id), CB_GETDROPPEDSTATE, 0, 0, &dropped) && dropped;
    })) << "expected the click to open the list of control " << id;
    ASSERT_TRUE(e2e::PressKey(VK_HOME));
    for (int i = 0; i < index; ++i) ASSERT_TRUE(e2e::PressKey(VK_DOWN));
    ASSERT_TRUE(e2e::PressKey(VK_RETURN));
    ASSERT_TRUE(e2e::WaitUntil([&] {
      LRESULT dropped = 1;
      return e2e::Send(EditControl(id), CB_GETDROPPEDSTATE, 0, 0, &dropped) && !dropped &&
             Selection(id) == index;
    })) << "expected item " << index << " chosen in control " << id << ", got "
        << Selection(id);
  }
  // Chooses the command type and waits until its first label shows.
  void ChooseType(int type, char const* firstLabel) {
    ASSERT_NO_FATAL_FAILURE(ChooseItem(IDC_TYPE, type));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Field(IDC_FIRST_LABEL) == firstLabel; }))
        << "expected the label \"" << firstLabel << "\" for type " << type << ", got \""
        << Field(IDC_FIRST_LABEL) << "\"";
  }

  // OK in the edit dialog answers with this box; it is dismissed and the dialog stays open.
  void ExpectRefused(std::string const& caption, std::string const& text) {
    PressEdit(IDOK);
    HWND box = ExpectBox(caption, text);
    ASSERT_TRUE(box);
    ASSERT_TRUE(e2e::DismissMessageBox(box, IDOK));
    EXPECT_TRUE(IsWindow(edit_) && e2e::Responds(edit_)) << "expected the edit dialog to stay";
  }
  // OK in the edit dialog ends it without any box.
  void Accept() {
    PressEdit(IDOK);
    ASSERT_TRUE(e2e::WaitGone(edit_)) << "expected OK to end the edit dialog";
    EXPECT_TRUE(NoOtherBox()) << "expected no box after the edit dialog";
  }
  void CancelEdit() {
    PressEdit(IDCANCEL);
    ASSERT_TRUE(e2e::WaitGone(edit_)) << "expected Cancel to end the edit dialog";
  }
  // Fills name, key and application, the fields every application command needs.
  void FillApp(std::string const& name, std::string const& key, std::string const& app) {
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, name));
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, key));
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, app));
  }

  // True when no box but the two dialogs shows for the quiet period.
  bool NoOtherBox() const {
    return e2e::StaysFalse([&] {
      for (HWND w : e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true)) {
        if (w != dialog_ && w != edit_) return true;
      }
      return false;
    });
  }
  // A visible window of the editor's dialog class that is neither of its two dialogs and
  // holds a child of childClass (the system file dialog, the folder browser).
  HWND WaitForChooser(char const* childClass) const {
    HWND found = nullptr;
    e2e::WaitUntil([&] {
      for (HWND w : e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true)) {
        if (w != dialog_ && w != edit_ && FindChild(w, childClass)) found = w;
      }
      return found != nullptr;
    });
    return found;
  }
  static HWND FindChild(HWND parent, char const* className) {
    struct Search {
      char const* className;
      HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          if (e2e::SameText(e2e::ClassOf(child), s->className)) s->found = child;
          return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The row texts (key, name, operation, file) of every row.
  std::vector<std::vector<std::string>> RowTexts() const {
    std::vector<std::vector<std::string>> rows;
    for (auto const& row : ReadRows().rows) {
      rows.push_back({row.text[0], row.text[1], row.text[2], row.text[3]});
    }
    return rows;
  }

  HWND edit_ = nullptr;
};
