// The launcher's input window: its procedure, typing and keyboard commands, the candidate
// list, painting, and showing and hiding.
#include <windows.h>

#include "launcher.h"
#include "startup_rules.h"
#include "texts.h"

namespace {

// Ten blanks: the width of the launch-key column of the candidate list.
char const KEY_COLUMN_BLANKS[] = "          ";

// The system's dpi and the height of a small caption at that scale, taken once at start: the
// system metrics come at the system's scale, and the window scales them to its monitor's.
UINT SystemDpi = BASE_DPI;
int SmallCaptionHeight = 0;
// The scale the window is drawn at: its monitor's dpi.
UINT LauncherDpi = BASE_DPI;

// Pixels at the window's scale for pixels at BASE_DPI.
int Scaled(int pixels) {
  return MulDiv(pixels, static_cast<int>(LauncherDpi), static_cast<int>(BASE_DPI));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

HFONT CreateLauncherFont() {
  LOGFONTW font = {};
  font.lfHeight = -LineHeight;
  font.lfWidth = LineHeight / 2;
  // GDI converts the A texts it draws by the font's character set, not by the process's code
  // page: with this one the code page 932 texts draw right on any system.
  font.lfCharSet = SHIFTJIS_CHARSET;
  wchar_t const* face = LAUNCHER_FONT_FACE;
  // FixedSys is a raster font of one size, the size of 96 dpi.
  if (LauncherDpi != BASE_DPI) {
    face = LAUNCHER_SCALABLE_FONT_FACE;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  }
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

// The rows the window shows now (the input line and the listed candidates).
int ShownRows(HWND window) {
  RECT now = {};
  int const pitch = RowPitch();
  if (!GetWindowRect(window, &now) || pitch <= 0) return 1;
  int const rows = (now.bottom - now.top + pitch / 2) / pitch;
  return rows > 1 ? rows : 1;
}

void RepaintAll(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
}

void ClearCandidates() {
  FreeCandidates(CandidateList);
  CandidateList = nullptr;
}

// Lists afresh the commands whose keys begin with the text; returns the number of rows the
// window needs to show them under the input line.
int RebuildCandidates() {
  int rows = 1;
  ClearCandidates();
  BuildCandidates(Commands.head, InputText, &CandidateList, &rows);
  return rows;
}

void ShowCandidateRows(HWND window) {
  int rows = RebuildCandidates();
  if (CandidateList != nullptr) {
    ResizeToRows(window, rows);
  }
}

// Keys that reach the hidden window were typed for a line that has already gone: the focus
// moved away while they were still queued (a click elsewhere), or the window hid itself before
// a command and the user typed on. Taken in, they would stand at the start of the next line or
// even run a command no one sees.
bool IgnoredWhileHidden(HWND window) { return !IsWindowVisible(window); }

void HideLauncherWindow(HWND window) {
  ShowWindow(window, SW_HIDE);
}

LRESULT LauncherOnChar(HWND window, WPARAM wParam) {
  if (IgnoredWhileHidden(window)) return 0;
  TypingResult result = TypeCharacter(InputText, static_cast<int>(wParam), Commands.head);
  if (result.outcome == TypingOutcome::Ignored) {
    // Backspace, Tab, Enter and Escape arrive here after their WM_KEYDOWN: this repaints
    // what those keys changed.
    RepaintAll(window);
    return 0;
  }
  ClearCandidates();
  ResizeToRows(window, 1);
  switch (result.outcome) {
    case TypingOutcome::Refused:
      // A refused first character lists nothing; a later one lists what the text still fits.
      if (InputText[0] != '\0') {
        ShowCandidateRows(window);
      }
      return 0;
    case TypingOutcome::Matched:
      RunCommand(window, &HideTimerId, InputText, result.command);
      break;
    case TypingOutcome::Dropped:  // the emptied line must not keep showing the old text
    case TypingOutcome::Accepted:
    case TypingOutcome::Ignored:
      break;
  }
  RepaintAll(window);
  return 0;
}

void LauncherOnBackspace(HWND window) {
  ClearCandidates();
  ResizeToRows(window, 1);
  RemoveLastCharacter(InputText);
}

void LauncherOnTab(HWND window) {
  int rows = RebuildCandidates();
  if (CandidateList == nullptr) {
    return;
  }
  if (CompleteInput(InputText, CandidateList)) {
    // The completed text stays unrun, even when it now equals a launch key.
    RepaintAll(window);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_NOINTERNALPAINT);
    return;
  }
  ResizeToRows(window, rows);
}

void LauncherOnEnter(HWND window) {
  int rows = RebuildCandidates();
  EnterDecision const decision = DecideEnter(CandidateList);
  switch (decision.action) {
    case EnterAction::Run: {
      CommandRecord* command = decision.command;
      lstrcpynA(InputText, command->key != nullptr ? command->key : "", INPUT_TEXT_SIZE);
      ResizeToRows(window, 1);
      RunCommand(window, &HideTimerId, InputText, command);
      break;
    }
    case EnterAction::List:
      ResizeToRows(window, rows);
      break;
    case EnterAction::Nothing:
      break;
  }
}

LRESULT LauncherOnKeyDown(HWND window, WPARAM virtualKey) {
  if (IgnoredWhileHidden(window)) return 0;
  switch (virtualKey) {
    case VK_BACK:
      LauncherOnBackspace(window);
      break;
    case VK_TAB:
      LauncherOnTab(window);
      break;
    case VK_RETURN:
      LauncherOnEnter(window);
      break;
    case VK_ESCAPE:
      InputText[0] = '\0';
      HideLauncherWindow(window);
      break;
    case VK_DOWN:
      ShowCandidateRows(window);
      break;
    default:
      break;
  }
  return 0;
}

void PaintCandidates(HWND window, HDC dc) {
  if (CandidateList == nullptr) {
    return;
  }
  SIZE keyColumn = {};
  GetTextExtentPoint32A(dc, KEY_COLUMN_BLANKS, lstrlenA(KEY_COLUMN_BLANKS), &keyColumn);
  RECT client = {};
  GetClientRect(window, &client);
  // The separator under the input line, drawn with the DC's default pen.
  int const separator = LineHeight + Scaled(ROW_GAP / 2);
  MoveToEx(dc, 0, separator, nullptr);
  LineTo(dc, client.right, separator);
  int y = RowPitch();
  for (const Candidate* candidate = CandidateList; candidate != nullptr;
       candidate = candidate->next, y += RowPitch()) {
    char text[LIST_TEXT_SIZE];
    std::size_t length = ListKeyText(candidate->command->key, text);
    TextOutA(dc, 0, y, text, static_cast<int>(length));
    length = ListNameText(candidate->command->name, text);
    TextOutA(dc, keyColumn.cx, y, text, static_cast<int>(length));
  }
}

LRESULT LauncherOnPaint(HWND window) {
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(window, &paint);
  if (dc == nullptr) {
    return 0;
  }
  COLORREF oldBackground = SetBkColor(dc, BackgroundColor);
  COLORREF oldText = SetTextColor(dc, TextColor);
  HGDIOBJ oldFont = LauncherFont != nullptr ? SelectObject(dc, LauncherFont) : nullptr;

  TextOutA(dc, 0, 0, InputText, lstrlenA(InputText));
  PaintCandidates(window, dc);

  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBackground);
  if (oldFont != nullptr) {
    SelectObject(dc, oldFont);
  }
  EndPaint(window, &paint);
  return 0;
}

LRESULT LauncherOnTimer(HWND window, WPARAM timerId) {
  if (timerId == TRAY_RETRY_TIMER_ID) {
    RetryTrayIcon(window);
    return 0;
  }
  if (HideTimerId != 0 && timerId == HideTimerId) {
    HideLauncherWindow(window);
    KillTimer(window, HideTimerId);
    HideTimerId = 0;
  }
  return 0;
}

LRESULT LauncherOnSetFocus(HWND window) {
  RepaintAll(window);
  return 0;
}

// A click elsewhere, or a started program taking the foreground, ends the input at once.
LRESULT LauncherOnKillFocus(HWND window) {
  HideLauncherWindow(window);
  InputText[0] = '\0';
  return 0;
}

// The window came onto a monitor of another scale (or the user changed the scale): the
// system's rectangle gives the place, the size follows the window's own rule at the new scale.
LRESULT LauncherOnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  int const rows = ShownRows(window);
  RECT const* suggested = reinterpret_cast<RECT const*>(lParam);
  ScaleLauncherWindow(window, HIWORD(wParam));
  if (suggested != nullptr) {
    BaseRect = {suggested->left, suggested->top, suggested->left + LauncherWidth(),
                suggested->top + RowPitch()};
  }
  ResizeToRows(window, rows);
  RepaintAll(window);
  return 0;
}

LRESULT LauncherOnHotKey(HWND window, WPARAM id) {
  if (id == static_cast<WPARAM>(HOTKEY_ID)) {
    PresentLauncherWindow(window);
  }
  return 0;
}

}  // namespace

int LauncherWidth() {
  return Scaled(LAUNCHER_WIDTH);
}

int RowPitch() {
  return LineHeight + Scaled(ROW_GAP);
}

void TakeSystemScale() {
  HDC const screen = GetDC(nullptr);
  if (screen != nullptr) {
    int const dpi = GetDeviceCaps(screen, LOGPIXELSY);
    if (dpi > 0) SystemDpi = static_cast<UINT>(dpi);
    ReleaseDC(nullptr, screen);
  }
  SmallCaptionHeight = GetSystemMetrics(SM_CYSMCAPTION);
  LauncherDpi = SystemDpi;
  LineHeight = SmallCaptionHeight;
}

UINT LauncherWindowDpi(HWND window) {
  // GetDpiForWindow came with Windows 10 1607. user32 is loaded in this process already:
  // asking for it loads nothing. FARPROC only stands for "some function"; the detour through
  // void (*)() says so to the compiler's function-cast check.
  FARPROC const found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
  auto const dpiForWindow =
      reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
  // Before GetDpiForWindow the manifest's fallback makes the process system aware: every
  // window is then drawn at the system's dpi, which is also all that GetDpiForMonitor would
  // answer it.
  UINT const dpi = dpiForWindow != nullptr ? dpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi;
}

// Takes dpi as the window's scale: its line height and font, and the size of its one row,
// where the window is now.
void ScaleLauncherWindow(HWND window, UINT dpi) {
  LauncherDpi = dpi;
  LineHeight = MulDiv(SmallCaptionHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi));
  HFONT const font = CreateLauncherFont();
  if (font != nullptr) {
    if (LauncherFont != nullptr) DeleteObject(LauncherFont);
    LauncherFont = font;
  }
  SetWindowPos(window, nullptr, 0, 0, LauncherWidth(), RowPitch(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The stored place keeps its corner and takes the size of the new scale.
  StoredRect.right = StoredRect.left + LauncherWidth();
  StoredRect.bottom = StoredRect.top + RowPitch();
}

void ResizeToRows(HWND window, int rows) {
  int const width = BaseRect.right - BaseRect.left;
  int const height = BaseRect.bottom - BaseRect.top;
  // Every hot key asks for one row, which the window mostly has already; a move of the window
  // costs a trip to the display under Wine, so only a real change makes one.
  RECT now = {};
  if (GetWindowRect(window, &now) && now.left == BaseRect.left && now.top == BaseRect.top &&
      now.right - now.left == width && now.bottom - now.top == height * rows) {
    return;
  }
  MoveWindow(window, BaseRect.left, BaseRect.top, width, height * rows, TRUE);
}

// A place saved on a monitor that is no longer attached would show the line, with the keyboard
// focus in it, where no one sees it: it is shown on the nearest monitor's work area instead,
// and StoredRect, like the file, keeps the stored place for the day that monitor returns.
void PlaceLauncherWindow() {
  BaseRect = StoredRect;
  HMONITOR const monitor = MonitorFromRect(&StoredRect, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) return;
  auto const screen = [](RECT const& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
  ScreenRect const placed =
      PlaceOnMonitor(screen(StoredRect), screen(info.rcMonitor), screen(info.rcWork));
  BaseRect = {placed.left, placed.top, placed.right, placed.bottom};
}

void PresentLauncherWindow(HWND window) {
  if (HideTimerId != 0) {
    KillTimer(window, HideTimerId);
    HideTimerId = 0;
  }
  ClearCandidates();
  // Monitors come and go while the launcher runs: each showing finds its place afresh.
  PlaceLauncherWindow();
  ResizeToRows(window, 1);
  // The hot key on a shown window starts the typing afresh.
  if (IsWindowVisible(window)) {
    RepaintAll(window);
    InputText[0] = '\0';
  }
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  SetFocus(window);
}

LRESULT CALLBACK LauncherWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A registered message number, so it cannot be a case label; 0 until WM_CREATE sets it.
  if (msg >= 0xC000 && msg == TaskbarCreatedMsg) {
    return LauncherOnTaskbarCreated(window);
  }
  switch (msg) {
    case WM_CREATE:
      return LauncherOnCreate(window);
    case WM_DESTROY:
      return LauncherOnDestroy(window);
    case WM_SETFOCUS:
      return LauncherOnSetFocus(window);
    case WM_KILLFOCUS:
      return LauncherOnKillFocus(window);
    case WM_PAINT:
      return LauncherOnPaint(window);
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_ENDSESSION:
      // wParam FALSE: the user cancelled the shut-down and the session goes on, and so does
      // the launcher with its hot key. TRUE: the window is destroyed and the quit message
      // posted before this returns. WM_QUERYENDSESSION goes to DefWindowProcA, which never
      // objects.
      if (wParam) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_KEYDOWN:
      return LauncherOnKeyDown(window, wParam);
    case WM_CHAR:
      return LauncherOnChar(window, wParam);
    case WM_COMMAND:
      return LauncherOnCommand(window, wParam);
    case WM_TIMER:
      return LauncherOnTimer(window, wParam);
    case WM_HOTKEY:
      return LauncherOnHotKey(window, wParam);
    case WM_DPICHANGED:
      return LauncherOnDpiChanged(window, wParam, lParam);
    case WM_TRAYNOTIFY:
      return LauncherOnTrayNotify(window, lParam);
    default:
      return DefWindowProcA(window, msg, wParam, lParam);
  }
}
