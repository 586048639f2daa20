// One run: the editor started in a fresh folder on the run's starting file, its actions played
// on whichever dialog is in front (every box answered at random first), the dialog ended, and
// the checks: no hang, exit code 0, the launcher stand-in started once, and the file's checks.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "monkey.h"
#include "setting/texts.h"  // the editor's box texts

#include <commctrl.h>  // after <windows.h>, which it needs

namespace monkey {
namespace {

// The editor must answer a message within this time at every step, or it hangs.
constexpr DWORD ANSWER_MS = 10000;
// Loading 65,536 commands into the list takes Wine a while on a loaded machine.
constexpr DWORD START_MS = 120000;
// From the end of the dialog to the end of the process (the save of a long list included).
constexpr DWORD EXIT_MS = 60000;
// How long the editor's processor time must stand still for it to count as having read its
// input.
constexpr DWORD QUIET_MS = 200;

// The files, folders and shortcuts a drop takes, made once per run in the folder "drop".
std::vector<std::string> MakeDropItems(e2e::TestFolder const& folder) {
  std::string const dir = folder.PathOf("drop");
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\フォルダ").c_str(), nullptr);
  WriteBytes(dir + "\\memo.txt", "memo\r\n");
  WriteBytes(dir + "\\表.txt", "0x5C trail byte\r\n");
  WriteBytes(dir + "\\tool.exe", "MZ");
  // A name wider than the name field, which a drop fills in.
  std::string const wide =
      dir + "\\長いファイル名の書類、とても長い名前のファイル、さらに長く続く名前.txt";
  WriteBytes(wide, "wide\r\n");
  std::string error;
  e2e::MakeShortcut(dir + "\\link.lnk", {dir + "\\memo.txt", "/p", dir}, &error);
  e2e::MakeShortcut(dir + "\\ソフト.lnk", {dir + "\\tool.exe", "", ""}, &error);
  e2e::MakeShortcut(dir + "\\broken.lnk", {"", "", ""}, &error);
  return {dir + "\\memo.txt",   dir + "\\表.txt",   dir + "\\tool.exe",
          dir + "\\フォルダ",   dir + "\\link.lnk", dir + "\\ソフト.lnk",
          dir + "\\broken.lnk", dir + "\\gone.txt", wide};
}

// The editor's visible top-level windows, sorted by what they are.
struct Windows {
  HWND settings = nullptr;  // the settings dialog while it exists
  HWND edit = nullptr;      // the command dialog
  HWND box = nullptr;       // any other dialog that takes input: a box, a chooser
  HWND menu = nullptr;      // a popup menu (the system menu, say)
  HWND Front() const { return edit ? edit : settings; }
};

std::vector<HWND> ButtonsOf(HWND parent, bool deep) {
  struct Found {
    HWND parent;
    bool deep;
    std::vector<HWND> buttons;
  } found{parent, deep, {}};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<Found*>(param);
        if ((f->deep || GetParent(child) == f->parent) && e2e::ClassOf(child) == "Button" &&
            IsWindowVisible(child) && IsWindowEnabled(child)) {
          f->buttons.push_back(child);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.buttons;
}

// The visible, enabled edit fields that are direct children of the dialog.
std::vector<HWND> FieldsOf(HWND dialog) {
  std::vector<HWND> fields;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (e2e::ClassOf(child) == "Edit" && IsWindowVisible(child) && IsWindowEnabled(child)) {
      fields.push_back(child);
    }
  }
  return fields;
}

bool IsPushButton(HWND button) {
  LONG type = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

std::wstring Wide(std::string const& cp932) {
  int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(), n);
  return wide;
}

// Characters as an input method hands them over: one packet each, whatever the layout.
bool TypeCharacters(std::string const& cp932) {
  std::vector<INPUT> inputs;
  for (wchar_t ch : Wide(cp932)) {
    for (DWORD up : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = ch;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  return inputs.empty() ||
         SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// The clipboard needs an owner window of this process for SetClipboardData to take the text.
bool PutOnClipboard(std::string const& cp932) {
  static HWND owner = CreateWindowA("STATIC", "monkey clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, nullptr, nullptr);
  if (!owner || !e2e::WaitUntil([] { return OpenClipboard(owner) != FALSE; }, 2000)) return false;
  bool put = false;
  if (EmptyClipboard()) {
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, cp932.size() + 1)) {
      if (void* bytes = GlobalLock(memory)) {
        memcpy(bytes, cp932.c_str(), cp932.size() + 1);
        GlobalUnlock(memory);
        put = SetClipboardData(CF_TEXT, memory) != nullptr;
      }
      if (!put) GlobalFree(memory);  // the clipboard owns it only once it took it
    }
  }
  CloseClipboard();
  return put;
}

class Runner {
 public:
  Runner(std::uint64_t seed, std::vector<Action> const& actions, std::vector<int> const* only,
         bool log)
      : seed_(seed), log_(log) {
    for (size_t i = 0; i < actions.size(); ++i) {
      if (!only || std::find(only->begin(), only->end(), static_cast<int>(i)) != only->end()) {
        played_.emplace_back(static_cast<int>(i), actions[i]);
      }
    }
  }

  RunOutcome Run() {
    StartingFile const start = MakeStartingFile(seed_);
    e2e::TestFolder folder("monkey");
    if (!folder.Ok() || !folder.InstallEditor() || !folder.InstallProbe("pimbo.exe") ||
        (start.exists && !folder.WriteFile("pimbo.ini", start.bytes))) {
      Fail("setup", "could not lay out the test folder");
      return outcome_;
    }
    dropItems_ = MakeDropItems(folder);
    e2e::Process target;
    if (std::any_of(played_.begin(), played_.end(),
                    [](auto const& p) { return p.second.kind == ActionKind::DragPick; })) {
      target = StartPickTarget(folder);
    }

    editor_ = e2e::StartEditor(folder);
    if (!editor_.Started()) {
      Fail("setup",
           "CreateProcessA of the editor failed, error " + std::to_string(editor_.Error()));
      return outcome_;
    }
    if (!WaitForDialog()) return Finish(start, folder, false);

    for (auto const& [index, action] : played_) {
      if (log_) std::printf("    [%d] %s\n", index, Describe(action).c_str());
      Play(action);
      ++outcome_.actionsDone;
      if (!Settle("action " + std::to_string(index) + " (" + Describe(action) + ")")) break;
    }
    if (!hung_ && editor_.Running() && IsWindow(windows_.settings)) EndDialog();
    return Finish(start, folder, true);
  }

 private:
  void Fail(char const* check, std::string const& detail) {
    outcome_.failures.push_back({check, detail});
  }

  Windows Look() const {
    Windows w;
    w.settings = IsWindow(settings_) ? settings_ : nullptr;
    for (HWND window : e2e::TopLevelWindows(editor_.Id(), nullptr, nullptr, true)) {
      std::string const cls = e2e::ClassOf(window);
      if (window == settings_) continue;
      if (cls == "#32768") {
        w.menu = window;
      } else if (cls == "#32770") {
        if (!w.edit && e2e::WindowText(window) == EDIT_DIALOG_TITLE) {
          w.edit = window;
        } else if (IsWindowEnabled(window) || !w.box) {
          // Of a box over a chooser, the one that takes input.
          w.box = window;
        }
      }
    }
    return w;
  }

  // The settings dialog, once it is up; a box the editor shows while it starts (characters it
  // keeps, say) is answered with its first button.
  bool WaitForDialog() {
    e2e::WaitUntil(
        [&] {
          if (!editor_.Running()) return true;
          for (HWND window : e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true)) {
            if (e2e::WindowText(window) == e2e::EDITOR_TITLE) {
              settings_ = window;
              return true;
            }
            std::vector<HWND> buttons = ButtonsOf(window, true);
            if (!buttons.empty() && IsWindowEnabled(window)) e2e::Post(buttons.front(), BM_CLICK);
          }
          return false;
        },
        START_MS);
    if (!settings_) {
      Fail(editor_.Running() ? "start" : "exit-code",
           editor_.Running() ? "no settings dialog within " + std::to_string(START_MS / 1000) + " s"
                             : "the editor ended before its dialog came up, exit code " +
                                   Hex(editor_.ExitCode()));
      return false;
    }
    thread_ = GetWindowThreadProcessId(settings_, nullptr);
    list_ = GetDlgItem(settings_, IDC_COMMAND_LIST);
    windows_ = Look();
    touched_.lastRowCount = RowCount();
    return true;
  }

  static std::string Hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
  }

  int RowCount() const {
    LRESULT rows = -1;
    return e2e::Send(list_, LVM_GETITEMCOUNT, 0, 0, &rows, ANSWER_MS) ? static_cast<int>(rows) : -1;
  }

  HWND FocusRoot() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread_, &info) || !info.hwndFocus) return nullptr;
    return GetAncestor(info.hwndFocus, GA_ROOT);
  }

  void TouchAllSettings() {
    touched_.hotKey = touched_.colours = touched_.position = touched_.hideTime = touched_.noTray =
        true;
  }

  // What a press of the settings dialog's control id may change.
  void TouchControl(int id) {
    switch (id) {
      case IDC_HIDE_TIME:
        touched_.hideTime = true;
        break;
      case IDC_TEXT_COLOUR:
      case IDC_BACKGROUND_COLOUR:
        touched_.colours = true;
        break;
      case IDC_POSITION:
      case IDC_CENTRE:
        touched_.position = true;
        break;
      case IDC_NO_TRAY:
        touched_.noTray = true;
        break;
      default:
        break;
    }
  }

  // Keys reach whatever has the focus: in the settings dialog, any of its values.
  void TouchByKeys() {
    if (!windows_.edit || FocusRoot() == settings_) TouchAllSettings();
  }

  void BringToFront(HWND window) {
    SetForegroundWindow(window);
    e2e::WaitUntil([&] { return GetAncestor(GetForegroundWindow(), GA_ROOT) == window; }, 2000);
  }

  POINT ScreenPoint(std::uint32_t fx, std::uint32_t fy) const {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return {static_cast<LONG>(fx % 1000 * w / 1000), static_cast<LONG>(fy % 1000 * h / 1000)};
  }

  // A box or a chooser gets an answer instead of the action: one of its buttons at random, or
  // Escape; the same box asked again and again is cancelled.
  void Answer(HWND box, std::uint32_t pick) {
    int& asked = answered_[box];
    std::vector<HWND> buttons;
    for (HWND b : ButtonsOf(box, true)) {
      if (IsPushButton(b)) buttons.push_back(b);
    }
    size_t choice = ++asked > 3 ? buttons.size() : pick % (buttons.size() + 1);
    if (choice < buttons.size()) {
      if (log_)
        std::printf("        answer \"%s\" with \"%s\"\n", e2e::WindowText(box).c_str(),
                    e2e::WindowText(buttons[choice]).c_str());
      e2e::Post(buttons[choice], BM_CLICK);
    } else {
      if (log_) std::printf("        answer \"%s\" with Escape\n", e2e::WindowText(box).c_str());
      e2e::Post(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  }

  void Play(Action const& action) {
    if (windows_.box) return Answer(windows_.box, action.a);
    if (windows_.menu) {
      e2e::PressKey(VK_ESCAPE);
      return;
    }
    HWND const front = windows_.Front();
    if (!front) return;
    bool const onSettings = front == settings_;
    switch (action.kind) {
      case ActionKind::Click:
      case ActionKind::DoubleClick: {
        RECT r{};
        GetWindowRect(front, &r);
        // One click in three on the command dialog goes into one of its text fields, where
        // the caret lands between characters of a text that may be wider than the field.
        std::vector<HWND> fields = FieldsOf(front);
        if (!onSettings && !fields.empty() && action.c % 3 == 0) {
          GetWindowRect(fields[action.c / 3 % fields.size()], &r);
        }
        POINT p{r.left + static_cast<LONG>(action.a % 1000 * (r.right - r.left) / 1000),
                r.top + static_cast<LONG>(action.b % 1000 * (r.bottom - r.top) / 1000)};
        BringToFront(front);
        HWND hit = WindowFromPoint(p);
        if (onSettings && GetAncestor(hit, GA_ROOT) == settings_) {
          for (HWND w = hit; w && w != settings_; w = GetParent(w)) TouchControl(GetDlgCtrlID(w));
        }
        if (e2e::ClassOf(hit) == "ComboLBox") touched_.hideTime = true;
        e2e::ClickAt(p);
        if (action.kind == ActionKind::DoubleClick) e2e::ClickAt(p);
        break;
      }
      case ActionKind::Key: {
        WORD vk = 0;
        UINT mods = 0;
        KeyOf(action, &vk, &mods, nullptr);
        BringToFront(front);
        TouchByKeys();
        e2e::PressHotKey(mods, vk);
        break;
      }
      case ActionKind::Type:
        BringToFront(front);
        TouchByKeys();
        // In the command dialog, three times in four the caret is put first: at the start of
        // the name (Alt+N, Home) or of the launch key (Alt+K, Home), or at the end of the name.
        if (!onSettings && action.c % 4 != 0) {
          e2e::PressHotKey(MOD_ALT, action.c % 4 == 2 ? 'K' : 'N');
          e2e::PressKey(action.c % 4 == 3 ? VK_END : VK_HOME);
        }
        // Control characters may reach a button or end the command dialog half way.
        if (action.text.find_first_of("\t\r\n\x1b\x01\x7f\x08") != std::string::npos) {
          TouchAllSettings();
          ++touched_.editDialogs;
        }
        TypeCharacters(action.text);
        break;
      case ActionKind::Paste:
        if (!PutOnClipboard(action.text)) break;
        BringToFront(front);
        TouchByKeys();
        e2e::PressHotKey(MOD_CONTROL, 'V');
        break;
      case ActionKind::SelectRows: {
        int rows = RowCount();
        if (!onSettings || rows <= 0) break;
        std::vector<int> pick;
        std::uint32_t const parts[] = {action.b, action.c, action.b ^ action.c};
        for (std::uint32_t i = 0; i < action.a % 4; ++i)
          pick.push_back(static_cast<int>(parts[i] % rows));
        std::string error;
        e2e::SelectListRows(list_, pick, &error);
        break;
      }
      case ActionKind::HeaderClick: {
        std::string error;
        if (onSettings) e2e::ClickListHeader(list_, static_cast<int>(action.a % 4), &error);
        break;
      }
      case ActionKind::Button: {
        std::vector<HWND> buttons;
        for (HWND b : ButtonsOf(front, false)) {
          int id = GetDlgCtrlID(b);
          // The driver ends the settings dialog itself (random clicks and keys still may).
          if (!onSettings || (id != IDOK && id != IDCANCEL)) buttons.push_back(b);
        }
        if (buttons.empty()) break;
        HWND button = buttons[action.a % buttons.size()];
        if (onSettings) TouchControl(GetDlgCtrlID(button));
        e2e::Post(button, BM_CLICK);
        break;
      }
      case ActionKind::Combo: {
        std::vector<HWND> combos;
        EnumChildWindows(
            front,
            [](HWND child, LPARAM param) -> BOOL {
              std::string cls = e2e::ClassOf(child);
              if ((cls == "ComboBox" || cls == "ComboBoxEx32") && IsWindowVisible(child) &&
                  IsWindowEnabled(child) && e2e::ClassOf(GetParent(child)) == "#32770") {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
              }
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&combos));
        if (combos.empty()) break;
        HWND combo = combos[action.a % combos.size()];
        LRESULT count = 0;
        if (!e2e::Send(combo, CB_GETCOUNT, 0, 0, &count) || count <= 0) break;
        int id = GetDlgCtrlID(combo);
        if (onSettings) TouchControl(id);
        e2e::Send(combo, CB_SETCURSEL, action.b % static_cast<std::uint32_t>(count));
        // As a choice from the open list reports itself; posted, since it may raise a box.
        for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)}) {
          e2e::Post(front, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(combo));
        }
        break;
      }
      case ActionKind::DragPosition: {
        HWND picture = GetDlgItem(settings_, IDC_POSITION);
        if (!onSettings || !picture) break;
        RECT r{};
        GetWindowRect(picture, &r);
        touched_.position = true;
        BringToFront(settings_);
        e2e::DragMouse(e2e::CentreOf(r), ScreenPoint(action.a, action.b));
        break;
      }
      case ActionKind::DragPick: {
        HWND icon = windows_.edit ? GetDlgItem(windows_.edit, IDC_DRAG_ICON) : nullptr;
        if (!icon || !IsWindowVisible(icon)) break;
        RECT from{}, to{};
        GetWindowRect(icon, &from);
        switch (action.a % 4) {
          case 0:
            GetWindowRect(pickWindow_ ? pickWindow_ : settings_, &to);
            break;
          case 1:
            to = {0, 0, 0, 0};
            break;
          case 2:
            GetWindowRect(settings_, &to);
            break;
          default:
            GetWindowRect(windows_.edit, &to);
            break;
        }
        POINT at = action.a % 4 == 1 ? ScreenPoint(action.b, action.c) : e2e::CentreOf(to);
        BringToFront(windows_.edit);
        e2e::DragMouse(e2e::CentreOf(from), at);
        e2e::WaitUntil(
            [&] {
              GUITHREADINFO info{};
              info.cbSize = sizeof info;
              return GetGUIThreadInfo(thread_, &info) && info.hwndCapture == nullptr;
            },
            3000);
        break;
      }
      case ActionKind::Drop: {
        std::vector<std::string> paths;
        std::uint32_t const parts[] = {action.b, action.c, action.b / 7 + action.c};
        for (std::uint32_t i = 0; i <= action.a % 3; ++i) {
          paths.push_back(dropItems_[parts[i] % dropItems_.size()]);
        }
        std::string error;
        e2e::DropFiles(front, paths, &error);
        break;
      }
    }
  }

  // The editor's processor time so far, in 100 ns units.
  ULONGLONG EditorTime() const {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!GetProcessTimes(editor_.Handle(), &created, &ended, &kernel, &user)) return 0;
    auto value = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
  }

  // Typed keys wait in the editor's input queue behind every posted message, and WM_NULL is
  // answered before them: a posted press of OK would overtake keys that, read first, open the
  // command dialog. The editor has read its input once its processor time stops growing for a
  // moment (at most 3 s).
  void WaitUntilQuiet() {
    ULONGLONG last = EditorTime();
    ULONGLONG quietSince = GetTickCount64();
    e2e::WaitUntil(
        [&] {
          ULONGLONG const now = EditorTime();
          if (now != last) {
            last = now;
            quietSince = GetTickCount64();
          }
          return GetTickCount64() - quietSince >= QUIET_MS;
        },
        3000);
  }

  // After an action: the editor answers within ANSWER_MS, its windows settle, and what the
  // list and the dialogs show is taken down. False when the run is over (the dialog or the
  // program ended, or it hangs).
  bool Settle(std::string const& after) {
    if (!editor_.Running() || !IsWindow(settings_)) {
      ending_ = Ending::ByAction;
      return false;
    }
    if (!e2e::Responds(settings_, ANSWER_MS)) {
      if (!editor_.Running() || !IsWindow(settings_)) {
        ending_ = Ending::ByAction;
        return false;
      }
      hung_ = true;
      Fail("hang", "WM_NULL not answered within " + std::to_string(ANSWER_MS / 1000) + " s after " +
                       after + Shown());
      return false;
    }
    WaitUntilQuiet();
    // Until the set of windows stays the same for a moment (at most 2 s): a posted press may
    // still be on its way to the box it opens.
    Windows now = Look();
    int same = 0;
    e2e::WaitUntil(
        [&] {
          Windows next = Look();
          same = next.settings == now.settings && next.edit == now.edit && next.box == now.box &&
                         next.menu == now.menu
                     ? same + 1
                     : 0;
          now = next;
          return same >= 8;
        },
        2000);
    windows_ = now;
    if (!windows_.settings) {
      ending_ = Ending::ByAction;
      return false;
    }
    if (windows_.edit && windows_.edit != lastEdit_) {
      ++touched_.editDialogs;
      lastEdit_ = windows_.edit;
    }
    int rows = RowCount();
    if (rows >= 0) {
      if (touched_.lastRowCount >= 0 && rows < touched_.lastRowCount) {
        touched_.rowsRemoved += touched_.lastRowCount - rows;
      }
      touched_.lastRowCount = rows;
    }
    return true;
  }

  // The windows of the editor, for a failure's message.
  std::string Shown() const {
    std::string text;
    for (HWND w : e2e::TopLevelWindows(editor_.Id(), nullptr, nullptr, true)) {
      text += "; window \"" + Printable(e2e::WindowText(w)) + "\" (" + e2e::ClassOf(w) + ")";
      std::string message = e2e::MessageBoxText(w);
      if (!message.empty()) text += " saying \"" + Printable(message) + "\"";
    }
    return text;
  }

  // Alt or Alt+Space may leave a dialog of the editor in menu mode with no popup shown: Wine's
  // keyboard menu mode shows none, and a system menu's popup goes when another window comes to
  // the front while the menu's loop goes on. A user's click on a button would end that mode
  // first; a posted click does not, and the dialog would end inside the menu's loop, which then
  // waits for a key forever. So the mode is ended as the system ends it when the focus moves
  // (WM_CANCELMODE to the menu's owner), then by Escape keys posted to the owner.
  void EndMenuMode() {
    DWORD const thread = GetWindowThreadProcessId(settings_, nullptr);
    auto owner = [&]() -> HWND {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      if (!thread || !GetGUIThreadInfo(thread, &info) || !(info.flags & GUI_INMENUMODE))
        return nullptr;
      return info.hwndMenuOwner ? info.hwndMenuOwner : settings_;
    };
    for (int round = 0; round < 6; ++round) {
      HWND const window = owner();
      if (!window) return;
      if (round == 0) {
        e2e::Send(window, WM_CANCELMODE);
      } else {
        e2e::Post(window, WM_KEYDOWN, VK_ESCAPE, 1);
        e2e::Post(window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
      }
      e2e::WaitUntil([&] { return owner() == nullptr; }, 1000);
    }
  }

  // Every box and the command dialog closed (Escape first, then any button), then OK or Cancel
  // as the seed says.
  void EndDialog() {
    for (int round = 0; round < 40; ++round) {
      windows_ = Look();
      if (!windows_.box && !windows_.menu && !windows_.edit) break;
      if (!windows_.menu) EndMenuMode();
      if (windows_.box) {
        std::vector<HWND> buttons = ButtonsOf(windows_.box, true);
        if (round < 10 || buttons.empty()) {
          e2e::Post(windows_.box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else {
          e2e::Post(buttons[round % buttons.size()], BM_CLICK);
        }
      } else if (windows_.menu) {
        e2e::PressKey(VK_ESCAPE);
      } else {
        e2e::Post(windows_.edit, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      if (!Settle("closing the boxes and the command dialog") || !editor_.Running()) return;
    }
    if (windows_.box || windows_.edit) {
      Fail("close-dialogs", "the boxes and the command dialog did not close" + Shown());
      return;
    }
    touched_.lastRowCount = RowCount();
    bool const ok = (seed_ >> 8) % 3 != 0;
    ending_ = ok ? Ending::Ok : Ending::Cancel;
    if (log_) std::printf("    end with %s\n", ok ? "OK" : "Cancel");
    EndMenuMode();
    e2e::Post(GetDlgItem(settings_, ok ? IDOK : IDCANCEL), BM_CLICK);
  }

  // The end of the program: boxes after the dialog answered, its exit, the launcher's start,
  // the file.
  RunOutcome Finish(StartingFile const& start, e2e::TestFolder const& folder, bool dialogSeen) {
    if (hung_) {
      editor_.Stop(1000);
      return outcome_;
    }
    ULONGLONG const deadline = GetTickCount64() + EXIT_MS;
    e2e::WaitUntil(
        [&] {
          if (!editor_.Running()) return true;
          for (HWND box : e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true)) {
            if (box == settings_ || !IsWindowEnabled(box)) continue;
            std::string message = e2e::MessageBoxText(box);
            if (message == NOT_SAVED_TEXT) notSaved_ = true;
            if (e2e::WindowText(box) == SAVE_FAILED_CAPTION &&
                message.find("保存できません") != std::string::npos) {
              Fail("save-failed",
                   "the editor says it could not save: \"" + Printable(message) + "\"");
              e2e::Post(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            } else if (box != settings_) {
              std::vector<HWND> buttons = ButtonsOf(box, true);
              e2e::Post(buttons.empty() ? box : buttons.front(),
                        buttons.empty() ? WM_CLOSE : BM_CLICK);
            }
          }
          return GetTickCount64() >= deadline;
        },
        EXIT_MS + 1000);
    if (editor_.Running()) {
      Fail("no-exit", "the editor still runs " + std::to_string(EXIT_MS / 1000) +
                          " s after its dialog was ended" + Shown());
      editor_.Stop(1000);
      return outcome_;
    }
    DWORD const code = editor_.ExitCode();
    if (code != 0) {
      Fail("exit-code",
           "exit code " + Hex(code) + (code == 0xC0000005 ? " (access violation)" : ""));
      return outcome_;
    }
    if (!dialogSeen) return outcome_;

    // After OK and after Cancel alike, the editor starts the launcher once.
    std::string const log = folder.PathOf("probe.log");
    e2e::WaitUntil([&] { return !e2e::ReadProbeLog(log).empty(); }, 10000);
    e2e::StaysFalse([&] { return e2e::ReadProbeLog(log).size() > 1; });
    size_t starts = e2e::ReadProbeLog(log).size();
    if (starts != 1) {
      Fail("launcher-started-once", "pimbo.exe was started " + std::to_string(starts) + " time(s)");
    }

    FileCheckInput input;
    input.before = start;
    input.existsAfter = folder.Exists("pimbo.ini");
    input.after = input.existsAfter ? ReadBytes(folder.PathOf("pimbo.ini")) : std::string();
    input.ending = ending_;
    input.notSaved = notSaved_;
    input.touched = touched_;
    input.scratchFolder = folder.Path();
    CheckFile(input, &outcome_.failures);
    if (log_) KeepForReader(input);
    return outcome_;
  }

  // A replay keeps the file as it was and as the editor left it, for a look at the bytes.
  void KeepForReader(FileCheckInput const& input) const {
    char temp[MAX_PATH] = "";
    if (!GetTempPathA(sizeof temp, temp)) return;
    std::string const dir = std::string(temp) + "pimbo-monkey-replay";
    CreateDirectoryA(dir.c_str(), nullptr);
    WriteBytes(dir + "\\before.ini", input.before.bytes);
    WriteBytes(dir + "\\after.ini", input.after);
    std::string unixPath = e2e::UnixPath(dir);
    std::printf("    pimbo.ini before and after: %s\n",
                (unixPath.empty() ? dir : unixPath).c_str());
  }

  e2e::Process StartPickTarget(e2e::TestFolder const& folder) {
    if (!folder.CopyIn(e2e::PickTargetExe(), "pick_target.exe")) return {};
    e2e::Process target = e2e::Process::Start(folder.PathOf("pick_target.exe"));
    if (!target.Started()) return target;
    pickWindow_ =
        e2e::WaitForWindow(target.Id(), e2e::PICK_TARGET_CLASS, e2e::PICK_TARGET_TITLE, true);
    // In the corner, above everything: the centred dialogs do not reach it.
    if (pickWindow_) SetWindowPos(pickWindow_, HWND_TOPMOST, 0, 0, 240, 160, SWP_SHOWWINDOW);
    return target;
  }

  std::uint64_t const seed_;
  bool const log_;
  std::vector<std::pair<int, Action>> played_;
  std::vector<std::string> dropItems_;
  e2e::Process editor_;
  HWND settings_ = nullptr, list_ = nullptr, pickWindow_ = nullptr, lastEdit_ = nullptr;
  DWORD thread_ = 0;
  Windows windows_;
  std::map<HWND, int> answered_;
  Touched touched_;
  Ending ending_ = Ending::Cancel;
  bool hung_ = false, notSaved_ = false;
  RunOutcome outcome_;
};

}  // namespace

RunOutcome PlayRun(std::uint64_t runSeed, std::vector<Action> const& actions,
                   std::vector<int> const* only, bool log) {
  return Runner(runSeed, actions, only, log).Run();
}

}  // namespace monkey
