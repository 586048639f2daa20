// The fixture of the settings editor's end-to-end tests: a folder with pimbosetting.exe, a
// pimbo.exe (the probe, which records that it was started, or the real launcher) and pimbo.ini;
// the editor started there with its dialog found; and the check that nothing is left running.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_fixture.h"  // CommandEntry, CommandsIni
#include "driver.h"

#include <commctrl.h>  // after <windows.h>, which it needs

// The raw value of key in section of a pimbo.ini text, read as the programs read it (names
// ignore ASCII case, the first occurrence counts, blanks around the value dropped); nullopt
// when the key is missing.
inline std::optional<std::string> IniValue(std::string const& text, std::string const& section,
                                           std::string const& key) {
  auto trim = [](std::string s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
  };
  bool inside = false;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (!line.empty() && line[0] == '[') {
      size_t close = line.find(']');
      inside = close != std::string::npos && e2e::SameText(trim(line.substr(1, close - 1)), section);
      continue;
    }
    size_t eq = line.find('=');
    if (inside && eq != std::string::npos && e2e::SameText(trim(line.substr(0, eq)), key)) {
      return trim(line.substr(eq + 1));
    }
  }
  return std::nullopt;
}

// A value without the one pair of enclosing double quotes that the editor writes around texts.
inline std::string Unquoted(std::string const& value) {
  return value.size() >= 2 && value.front() == '"' && value.back() == '"'
             ? value.substr(1, value.size() - 2)
             : value;
}

// The operation texts of the list, by command type.
inline std::string const OPERATION_TEXTS[] = {
    "アプリケーション起動", "フォルダオープン", "WINDOWS の終了", "スクリーンセーバ起動",
    "Pimbo 制御", "ごみ箱を空にする", "デスクトップにフォルダ作成",
};
inline std::string OperationText(int type) {
  return type >= 0 && type <= 6 ? OPERATION_TEXTS[type] : std::string();
}

// The screen's scale for the programs started while it lives: Wine takes a program's dots per
// inch from the prefix's LogPixels under HKCU\Control Panel\Desktop when the program starts
// (measured under Wine 8; the value under HKLM's Hardware Profiles\Current\Software\Fonts is
// not needed), and keeps it for the program's life. The old value (or none) comes back at the
// end, so that every other test runs at 96 dpi. This thread meanwhile takes per-monitor
// awareness, so that it sees the editor's windows in the screen's own pixels, as the editor
// does, instead of scaled back to the 96 dpi it started with.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KEY, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    set_ = RegSetValueExA(key_, VALUE, 0, REG_DWORD, reinterpret_cast<BYTE const*>(&dpi),
                          sizeof dpi) == ERROR_SUCCESS;
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    auto const setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE
    if (setContext) oldContext_ = setContext(reinterpret_cast<HANDLE>(-3));
  }
  ~ScreenDpi() {
    if (oldContext_) {
      using SetContext = HANDLE(WINAPI*)(HANDLE);
      auto const setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
      if (setContext) setContext(oldContext_);
    }
    if (key_ == nullptr) return;
    if (had_) {
      RegSetValueExA(key_, VALUE, 0, REG_DWORD, reinterpret_cast<BYTE const*>(&old_),
                     sizeof old_);
    } else {
      RegDeleteValueA(key_, VALUE);
    }
    RegCloseKey(key_);
  }
  ScreenDpi(ScreenDpi const&) = delete;
  ScreenDpi& operator=(ScreenDpi const&) = delete;
  bool Ok() const { return set_; }

 private:
  static constexpr char KEY[] = "Control Panel\\Desktop";
  static constexpr char VALUE[] = "LogPixels";
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
  bool set_ = false;
  HANDLE oldContext_ = nullptr;
};

// The scales the editor is tried at: 100, 150 and 200 %.
inline constexpr DWORD SCREEN_DPIS[] = {96, 144, 192};

inline constexpr char ALREADY_RUNNING_TEXT[] =
    "既にPimboが起動しています。Pimboの設定メニューをクリックしてください。";

class EditorTest : public ::testing::Test {
 protected:
  // Lays out a fresh folder: pimbosetting.exe, pimbo.exe (the probe, or the real launcher when
  // realLauncher) and pimbo.ini with these bytes (none when nullopt).
  void Layout(std::optional<std::string> ini = std::nullopt, bool realLauncher = false) {
    folder_ = std::make_unique<e2e::TestFolder>(TestName());
    ASSERT_TRUE(folder_->Ok()) << "could not create a test folder";
    ASSERT_TRUE(folder_->InstallEditor()) << "could not copy " << e2e::EditorExe();
    if (realLauncher) {
      ASSERT_TRUE(folder_->InstallLauncher()) << "could not copy " << e2e::LauncherExe();
    } else {
      ASSERT_TRUE(folder_->InstallProbe("pimbo.exe")) << "could not copy " << e2e::ProbeExe();
    }
    if (ini) {
      ASSERT_TRUE(folder_->WriteFile("pimbo.ini", *ini));
    }
  }

  // Starts the editor in the folder laid out and waits for its dialog and list view.
  void StartEditor() {
    editor_ = e2e::StartEditor(*folder_);
    ASSERT_TRUE(editor_.Started()) << "CreateProcessA failed, error " << editor_.Error();
    ASSERT_NO_FATAL_FAILURE(FindDialog());
  }

  // Takes the dialog of the running editor_.
  void FindDialog() {
    dialog_ = e2e::WaitForEditorDialog(editor_.Id());
    ASSERT_TRUE(dialog_) << "expected the dialog \"" << e2e::EDITOR_TITLE
                         << "\", got none (exit code " << editor_.ExitCode() << ")";
    list_ = GetDlgItem(dialog_, IDC_COMMAND_LIST);
    ASSERT_TRUE(list_) << "expected list view 1002 in the dialog";
  }

  // Layout, then StartEditor.
  void Open(std::optional<std::string> ini = std::nullopt, bool realLauncher = false) {
    ASSERT_NO_FATAL_FAILURE(Layout(ini, realLauncher));
    ASSERT_NO_FATAL_FAILURE(StartEditor());
  }

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // Presses a button of the dialog as a click would (BM_CLICK, posted: the handler may open a
  // modal box).
  void Press(int id) {
    HWND button = Control(id);
    ASSERT_TRUE(button) << "expected control " << id;
    ASSERT_TRUE(e2e::Post(button, BM_CLICK));
  }

  // Presses OK or Cancel and waits for the editor to end; its exit code.
  DWORD EndWith(int id) {
    Press(id);
    if (!editor_.WaitExit()) return STILL_ACTIVE;
    return editor_.ExitCode();
  }

  // The probe standing in for pimbo.exe: the starts it recorded.
  std::vector<e2e::ProbeRecord> LauncherStarts() const {
    return e2e::ReadProbeLog(folder_->PathOf("probe.log"));
  }
  // Waits until the editor has started pimbo.exe once, from its own folder, after closing
  // the mutex.
  void ExpectLauncherStartedOnce() {
    std::vector<e2e::ProbeRecord> starts;
    ASSERT_TRUE(e2e::WaitUntil([&] {
      starts = LauncherStarts();
      return !starts.empty();
    })) << "expected pimbo.exe to be started, it was not";
    EXPECT_TRUE(e2e::StaysFalse([&] { return LauncherStarts().size() > 1; }))
        << "expected one start of pimbo.exe";
    EXPECT_TRUE(e2e::SameText(starts[0].module, folder_->PathOf("pimbo.exe")))
        << "expected " << folder_->PathOf("pimbo.exe") << ", got " << starts[0].module;
    EXPECT_FALSE(starts[0].mutexHeld) << "expected the mutex closed before pimbo.exe starts";
  }

  // The one process folder\exeName once there is exactly one; 0 when none comes.
  DWORD WaitForOnly(std::string const& exeName) const {
    DWORD pid = 0;
    e2e::WaitUntil([&] {
      std::vector<DWORD> pids = e2e::ProcessesIn(folder_->Path(), exeName);
      pid = pids.size() == 1 ? pids.front() : 0;
      return pid != 0;
    });
    return pid;
  }

  std::string Ini() const { return ReadBytes(folder_->PathOf("pimbo.ini")); }
  std::optional<std::string> Setting(std::string const& key) const {
    return IniValue(Ini(), "settings", key);
  }

  // The rows as the list view holds them now.
  e2e::ListViewState ReadRows(int maxRows = 0) const {
    e2e::ListViewState state;
    std::string error;
    EXPECT_TRUE(e2e::ReadListView(list_, &state, &error, maxRows)) << error;
    return state;
  }

  // The hot-key control's value (HKM_GETHOTKEY carries no pointer, so it crosses processes).
  WORD HotKeyControl() const {
    LRESULT value = 0;
    EXPECT_TRUE(e2e::Send(Control(IDC_HOT_KEY), HKM_GETHOTKEY, 0, 0, &value));
    return static_cast<WORD>(value);
  }
  void SetHotKeyControl(BYTE vk, BYTE flags) {
    ASSERT_TRUE(e2e::Send(Control(IDC_HOT_KEY), HKM_SETHOTKEY, MAKEWORD(vk, flags)));
  }

  // A message box of the editor with this caption; fails the test when none appears.
  HWND ExpectBox(std::string const& caption, std::string const& text) {
    HWND box = e2e::WaitForMessageBox(editor_.Id(), caption);
    EXPECT_TRUE(box) << "expected a box \"" << caption << "\", got none";
    if (box) {
      EXPECT_EQ(e2e::MessageBoxText(box), text);
    }
    return box;
  }
  // True when the editor shows no message box (any "#32770" but its dialog) for the quiet
  // period.
  bool NoBox() const {
    return e2e::StaysFalse([&] {
      for (HWND w : e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true)) {
        if (w != dialog_) return true;
      }
      return false;
    });
  }

  void TearDown() override {
    editor_ = e2e::Process();
    launcher_ = e2e::Process();
    folder_.reset();
    ExpectNoProgramLeftRunning();
  }

  static std::string TestName() { return CurrentTestName(); }

  std::unique_ptr<e2e::TestFolder> folder_;  // declared first: it outlives the processes in it
  e2e::Process editor_;
  e2e::Process launcher_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
};
