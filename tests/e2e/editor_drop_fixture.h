// The fixture of the command edit dialog's drop and window-pick tests: the editor started with
// its settings dialog, the edit dialog opened by 新規作成, and the fields as the user sees them.
#pragma once

#include <ostream>
#include <string>

#include "editor_fixture.h"

// The edit dialog's title (its controls are those of setting/resource.h).
inline constexpr char EDIT_DIALOG_TITLE[] = "Pimbo コマンド";

// The three fields that drops and the pick fill.
struct EditFields {
  std::string name, application, file;
  bool operator==(EditFields const&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, EditFields const& f) {
  return out << "{name \"" << f.name << "\", application \"" << f.application << "\", file \""
             << f.file << "\"}";
}

class EditDialogTest : public EditorTest {
 protected:
  // Opens the editor on pimbo.ini (none when nullopt) and a new command's edit dialog.
  void OpenNewCommand(std::optional<std::string> ini = std::nullopt, bool realLauncher = false) {
    ASSERT_NO_FATAL_FAILURE(Open(ini, realLauncher));
    Press(IDC_NEW);
    edit_ = e2e::WaitForWindow(editor_.Id(), "#32770", EDIT_DIALOG_TITLE, true);
    ASSERT_TRUE(edit_) << "expected the dialog \"" << EDIT_DIALOG_TITLE << "\", got none";
    ASSERT_TRUE(e2e::Responds(edit_));
  }

  HWND EditControl(int id) const { return GetDlgItem(edit_, id); }
  std::string Field(int id) const { return e2e::WindowText(EditControl(id)); }
  EditFields Fields() const {
    return {Field(IDC_NAME), Field(IDC_APPLICATION), Field(IDC_FILE)};
  }
  // Types text into a field as a whole (WM_SETTEXT, which crosses processes).
  void SetField(int id, std::string const& text) {
    ASSERT_TRUE(e2e::Send(EditControl(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())));
    ASSERT_EQ(Field(id), text);
  }
  void SetFields(EditFields const& f) {
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_NAME, f.name));
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_APPLICATION, f.application));
    ASSERT_NO_FATAL_FAILURE(SetField(IDC_FILE, f.file));
  }

  // Chooses a command type as an accepted choice from the type list.
  void ChooseType(int type) {
    HWND combo = EditControl(IDC_TYPE);
    ASSERT_TRUE(e2e::Send(combo, CB_SETCURSEL, static_cast<WPARAM>(type)));
    ASSERT_TRUE(e2e::Send(edit_, WM_COMMAND, MAKEWPARAM(IDC_TYPE, CBN_SELENDOK),
                          reinterpret_cast<LPARAM>(combo)));
    ASSERT_EQ(SelectedType(), type);
  }
  int SelectedType() const {
    LRESULT selection = CB_ERR;
    EXPECT_TRUE(e2e::Send(EditControl(IDC_TYPE), CB_GETCURSEL, 0, 0, &selection));
    return static_cast<int>(selection);
  }

  // Drops the paths on the edit dialog; the outcome must be want.
  void Drop(std::vector<std::string> const& paths, e2e::DropOutcome want) {
    std::string error;
    e2e::DropOutcome got = e2e::DropFiles(edit_, paths, &error);
    ASSERT_NE(got, e2e::DropOutcome::Failed) << error;
    ASSERT_EQ(static_cast<int>(got), static_cast<int>(want))
        << "drop outcome (1 refused, 2 handled, 3 asking, 4 pending)";
  }

  // The question box with this caption and text, answered with button; fails when none comes.
  void Answer(std::string const& caption, std::string const& text, int button) {
    HWND box = ExpectBox(caption, text);
    ASSERT_TRUE(box);
    ASSERT_TRUE(e2e::DismissMessageBox(box, button));
  }

  // Windows of the editor that are neither of its two dialogs (a box, a search dialog).
  std::vector<HWND> OtherWindows() const {
    std::vector<HWND> others;
    for (HWND w : e2e::TopLevelWindows(editor_.Id(), nullptr, nullptr, true)) {
      if (w != dialog_ && w != edit_) others.push_back(w);
    }
    return others;
  }
  // True when no further box appears for the quiet period and the dialog answers again: the
  // drop has been handled to its end.
  bool Settled() const {
    return e2e::StaysFalse([&] { return !OtherWindows().empty(); }) && e2e::Responds(edit_);
  }

  HWND edit_ = nullptr;
};
