// The settings dialog: the launcher's hot key, hide time, colours, position and tray option,
// edited in place, and the command list with new, modify, delete and header sorting.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include "editor.h"
#include "resource.h"
#include "texts.h"

namespace {

int const HIDE_TIME_COUNT = sizeof HIDE_TIME_TEXTS / sizeof HIDE_TIME_TEXTS[0];
// The drag image is the launcher window: 240 by 18 pixels at 96 dpi, at the dialog's scale
// elsewhere, as the launcher draws itself at its monitor's scale.
int const DRAG_IMAGE_WIDTH = 240;
int const DRAG_IMAGE_HEIGHT = 18;
COLORREF const DRAG_MASK_COLOUR = RGB(0x88, 0x88, 0x88);
UINT const FRONT_FLAGS = SWP_NOMOVE | SWP_NOSIZE | SWP_NOOWNERZORDER;

// The scale the list's columns were last sized for.
UINT ColumnsDpi = BASE_DPI;

void LoadDragImage(HWND dialog) {
  UINT const dpi = WindowDpi(dialog);
  if (DragImage != nullptr) ImageList_Destroy(DragImage);
  DragImage = LoadImagesAtSize(IDB_POSITION_DRAG, 1, ScaleToDpi(DRAG_IMAGE_WIDTH, dpi),
                               ScaleToDpi(DRAG_IMAGE_HEIGHT, dpi), DRAG_MASK_COLOUR);
}

void SettingsOnInitDialog(HWND dialog) {
  SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon));
  SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon));
  CommandListView = GetDlgItem(dialog, IDC_COMMAND_LIST);
  LoadTypeImages(CommandListView);
  SetWindowTextA(dialog, SETTINGS_TITLE);

  HWND hotKey = GetDlgItem(dialog, IDC_HOT_KEY);
  // No combination is refused, so any key the launcher can register can be entered.
  SendMessageA(hotKey, HKM_SETRULES, 0, MAKELPARAM(0x0F, 0));
  SendMessageA(hotKey, HKM_SETHOTKEY, HotKeyToControl(CurrentSettings.hotKey), 0);

  SetUpCommandColumns(CommandListView);
  FillCommandRows(CommandListView);

  HWND hideTime = GetDlgItem(dialog, IDC_HIDE_TIME);
  for (const char* text : HIDE_TIME_TEXTS) ComboBox_AddString(hideTime, text);
  // A value outside the entries shows no selection.
  ComboBox_SetCurSel(hideTime, CurrentSettings.hideTime < HIDE_TIME_COUNT
                                   ? CurrentSettings.hideTime
                                   : -1);

  LoadDragImage(dialog);
  ColumnsDpi = WindowDpi(CommandListView);
  Button_SetCheck(GetDlgItem(dialog, IDC_NO_TRAY),
                  CurrentSettings.noTray ? BST_CHECKED : BST_UNCHECKED);
  SetColumnDisplayOrder(CommandListView);
  CenterWindowOnDesktop(dialog);
  // In front once, above whatever the user was working in, then an ordinary window again.
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, FRONT_FLAGS);
  SendMessageA(dialog, WM_SETTINGS_UNTOPMOST, 0, 0);
}

// Brings an open command edit dialog to the front; true when there was one.
bool FocusOpenEditDialog() {
  HWND open = FindWindowA(nullptr, EDIT_DIALOG_TITLE);
  if (open == nullptr) return false;
  SetForegroundWindow(open);
  return true;
}

void SettingsOnNew(HWND dialog) {
  if (FocusOpenEditDialog()) return;
  CommandEditResult result = {};
  if (!EditCommand(dialog, CommandEditRequest{CommandListView, -1}, &result)) return;
  // Right below the first selected row, or at the top without a selection.
  SetCommandRow(CommandListView, result.record, FirstSelectedRow(CommandListView) + 1, 0);
}

void SettingsOnModify(HWND dialog) {
  int const row = FirstSelectedRow(CommandListView);
  if (row == -1) return;
  if (FocusOpenEditDialog()) return;
  CommandEditResult result = {};
  if (!EditCommand(dialog, CommandEditRequest{CommandListView, row}, &result)) return;
  CommandRecord* old = RowRecord(CommandListView, row);
  ForgetRowIcon(old);
  FreeCommandRecord(old);
  SetCommandRow(CommandListView, result.record, row, 1);
}

void SettingsOnDelete(HWND dialog) {
  if (FirstSelectedRow(CommandListView) == -1) return;
  if (MessageBoxA(dialog, DELETE_QUESTION, DELETE_CAPTION, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    DeleteSelectedRows(CommandListView);
  }
}

void SettingsOnCentre(HWND dialog) {
  if (MessageBoxA(dialog, CENTRE_QUESTION, CENTRE_CAPTION, MB_OKCANCEL | MB_ICONINFORMATION) ==
      IDOK) {
    CurrentSettings.x = DEFAULT_POINT;
    CurrentSettings.y = DEFAULT_POINT;
  }
}

void SettingsOnOk(HWND dialog) {
  ReadSettingsControls(dialog);
  RelinkCommandListFromRows(CommandListView);
  // Without the icon and without a control command the launcher could not be ended.
  if (CurrentSettings.noTray && !HasControlCommand() &&
      MessageBoxA(dialog, NO_TRAY_WARNING, NO_TRAY_CAPTION, MB_OKCANCEL | MB_ICONWARNING) !=
          IDOK) {
    return;
  }
  EndDialog(dialog, SETTINGS_OK);
}

void SettingsOnCancel(HWND dialog) {
  RelinkCommandListFromRows(CommandListView);
  EndDialog(dialog, SETTINGS_CANCEL);
}

INT_PTR SettingsOnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_TEXT_COLOUR:
    case IDC_BACKGROUND_COLOUR: {
      int const which = LOWORD(wParam) == IDC_TEXT_COLOUR ? 1 : 2;
      if (ChooseSettingsColour(dialog, which)) {
        InvalidateRect(GetDlgItem(dialog, LOWORD(wParam)), nullptr, TRUE);
      }
      return FALSE;
    }
    case IDC_CENTRE:
      SettingsOnCentre(dialog);
      return FALSE;
    case IDC_NEW:
      SettingsOnNew(dialog);
      return FALSE;
    case IDC_MODIFY:
      SettingsOnModify(dialog);
      return FALSE;
    case IDC_DELETE:
      SettingsOnDelete(dialog);
      return FALSE;
    case IDOK:
      SettingsOnOk(dialog);
      return TRUE;
    case IDCANCEL:
      SettingsOnCancel(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR SettingsOnNotify(HWND dialog, NMHDR* header) {
  switch (header->code) {
    case HDN_ITEMCLICKA: {
      const NMHEADERA* click = reinterpret_cast<const NMHEADERA*>(header);
      if (click->iButton == 0) SortCommandRows(CommandListView, click->iItem);
      break;
    }
    case LVN_GETDISPINFOA:
      CommandRowText(reinterpret_cast<NMLVDISPINFOA*>(header));
      break;
    case NM_DBLCLK:
      // Posted, so that the list view has finished with its notification first.
      PostMessageA(dialog, WM_COMMAND, IDC_MODIFY, 0);
      break;
    default:
      break;
  }
  return FALSE;
}

INT_PTR SettingsOnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->CtlID == IDC_COMMAND_LIST) {
    return DrawCommandRow(CommandListView, TypeImages, item->CtlID, item);
  }
  RECT box = item->rcItem;
  UINT const state = (item->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0;
  DrawFrameControl(item->hDC, &box, DFC_BUTTON, DFCS_BUTTONPUSH | state);
  RECT swatch = box;
  InflateRect(&swatch, -4, -4);
  HBRUSH brush = CreateSolidBrush(item->CtlID == IDC_TEXT_COLOUR
                                      ? CurrentSettings.textColor
                                      : CurrentSettings.backgroundColor);
  FillRect(item->hDC, &swatch, brush);
  DeleteObject(brush);
  if (item->itemState & ODS_FOCUS) {
    RECT focus = box;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item->hDC, &focus);
  }
  return TRUE;
}

void SettingsOnButtonDown(HWND dialog) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  HWND picture = GetDlgItem(dialog, IDC_POSITION);
  RECT area = {};
  GetWindowRect(picture, &area);
  if (!PtInRect(&area, cursor)) return;
  SetCapture(dialog);
  if (GetCapture() != dialog) return;
  PositionDragActive = TRUE;
  ShowWindow(picture, SW_HIDE);
  SavedCursor = SetCursor(nullptr);
  DragGrabOffset = cursor;
  ScreenToClient(picture, &DragGrabOffset);
  ImageList_BeginDrag(DragImage, 0, DragGrabOffset.x, DragGrabOffset.y);
  ImageList_DragEnter(GetDesktopWindow(), cursor.x, cursor.y);
}

void SettingsOnMouseMove() {
  if (!PositionDragActive) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  ImageList_DragMove(cursor.x, cursor.y);
}

// Ends the drag: the image gone, the picture and the cursor back, the capture let go. Nothing
// is stored.
void EndPositionDrag(HWND dialog) {
  // Cleared first: letting the capture go sends WM_CAPTURECHANGED, which must find no drag.
  PositionDragActive = FALSE;
  if (GetCapture() == dialog) ReleaseCapture();
  ImageList_DragLeave(GetDesktopWindow());
  ImageList_EndDrag();
  ShowWindow(GetDlgItem(dialog, IDC_POSITION), SW_SHOW);
  SetCursor(SavedCursor);
  SavedCursor = nullptr;
}

// The capture taken away in the middle of a drag (Alt+Tab, the Win key, another window's
// SetCapture, WM_CANCELMODE): the position stays as it was.
void SettingsOnLostCapture(HWND dialog) {
  if (PositionDragActive) EndPositionDrag(dialog);
}

void SettingsOnButtonUp(HWND dialog) {
  if (!PositionDragActive) return;
  EndPositionDrag(dialog);
  POINT cursor = {};
  GetCursorPos(&cursor);
  // The drag image's top-left corner becomes the launcher window's.
  CurrentSettings.x = cursor.x - DragGrabOffset.x;
  CurrentSettings.y = cursor.y - DragGrabOffset.y;
}

// Moved to a monitor of another scale: the dialog manager scales the dialog, its font and its
// controls; the pictures drawn here and the columns' widths follow.
void SettingsOnDpiChanged(UINT dpi) {
  LoadTypeImages(CommandListView);
  LoadDragImage(GetParent(CommandListView));
  HWND header = ListView_GetHeader(CommandListView);
  int const columns = Header_GetItemCount(header);
  for (int column = 0; column < columns; ++column) {
    int const width = ListView_GetColumnWidth(CommandListView, column);
    ListView_SetColumnWidth(CommandListView, column,
                            MulDiv(width, static_cast<int>(dpi), static_cast<int>(ColumnsDpi)));
  }
  ColumnsDpi = dpi;
  InvalidateRect(CommandListView, nullptr, TRUE);
}

}  // namespace

int ChooseSettingsColour(HWND dialog, int which) {
  // Built anew on every call: the dialog offers the button face and white, nothing kept.
  COLORREF custom[16];
  custom[0] = GetSysColor(COLOR_BTNFACE);
  for (int i = 1; i < 16; ++i) custom[i] = RGB(255, 255, 255);
  std::uint32_t& colour = which == 1 ? CurrentSettings.textColor : CurrentSettings.backgroundColor;
  CHOOSECOLORA choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.rgbResult = colour;
  choice.lpCustColors = custom;
  choice.Flags = CC_RGBINIT;
  if (!ChooseColorA(&choice)) return 0;
  colour = choice.rgbResult;
  return 1;
}

void ReadSettingsControls(HWND dialog) {
  LRESULT const hotKey = SendDlgItemMessageA(dialog, IDC_HOT_KEY, HKM_GETHOTKEY, 0, 0);
  CurrentSettings.hotKey =
      HotKeyToStore(static_cast<std::uint16_t>(hotKey & 0xFFFF), CurrentSettings.hotKey);
  // No selection (CB_ERR) is kept as its low byte, 255.
  CurrentSettings.hideTime = static_cast<std::uint8_t>(
      ComboBox_GetCurSel(GetDlgItem(dialog, IDC_HIDE_TIME)) & 0xFF);
  CurrentSettings.noTray = Button_GetCheck(GetDlgItem(dialog, IDC_NO_TRAY)) == BST_CHECKED;
}

int HasControlCommand() {
  for (const CommandRecord* record = Commands.head; record; record = record->next) {
    if (record->type == CMD_CONTROL) return 1;
  }
  return 0;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SettingsOnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      return SettingsOnCommand(dialog, wParam);
    case WM_NOTIFY:
      return SettingsOnNotify(dialog, reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM:
      return SettingsOnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MOUSEMOVE:
      SettingsOnMouseMove();
      return FALSE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a second quick press on the picture starts a drag all the same
      SettingsOnButtonDown(dialog);
      return FALSE;
    case WM_LBUTTONUP:
      SettingsOnButtonUp(dialog);
      return FALSE;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      SettingsOnLostCapture(dialog);
      return FALSE;
    case WM_DPICHANGED:
      SettingsOnDpiChanged(LOWORD(wParam));
      return FALSE;  // the dialog manager's own scaling follows
    case WM_SETTINGS_UNTOPMOST:
      SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, FRONT_FLAGS);
      return TRUE;
    default:
      return FALSE;
  }
}
