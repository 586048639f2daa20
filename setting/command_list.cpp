// The command list view of the settings dialog: one owner-drawn row per command, whose item
// data is the CommandRecord it shows and owns; columns, sorting, relinking and drawing.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstring>

#include "command_rows.h"
#include "command_types.h"
#include "editor.h"
#include "resource.h"
#include "texts.h"

namespace {

// Size of the row text being drawn and of its shortened copy.
std::size_t const ROW_TEXT_SIZE = 1024;
// The gap after the icon at the left end of a row, in pixels at 96 dpi.
int const ICON_GAP = 2;
// Space between a column's edge and its text, as the list view leaves it for its labels, in
// pixels at 96 dpi.
int const LABEL_MARGIN = 2;
// The type pictures: four images side by side, drawn for 16 and for 32 pixels.
int const TYPE_PICTURE_COUNT = 4;
int const TYPE_PICTURE_SIZE = 16;
COLORREF const TYPE_PICTURE_MASK = RGB(255, 255, 255);

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool HasText(const char* text) { return text != nullptr && text[0] != '\0'; }

// The text a row shows in a column, read from its record.
const char* RowColumnText(const CommandRecord* record, int column) {
  if (record == nullptr) return "";
  switch (column) {
    case COLUMN_KEY: return OrEmpty(record->key);
    case COLUMN_NAME: return OrEmpty(record->name);
    case COLUMN_OPERATION: {
      const CommandTypeInfo* type = CommandTypeOf(record->type);
      return type ? type->label : "";
    }
    case COLUMN_FILE: return OrEmpty(record->file);
    default: return "";
  }
}

// The path itself when its environment references do not expand into a path buffer.
void ExpandedOrAsIs(const char* path, char (&out)[PATH_BUFFER_SIZE]) {
  if (!ExpandPath(path, out, sizeof out)) {
    CopyTextWhole(out, sizeof out, path);
  }
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The icon of each row, looked up once; see RowIconCache.
RowIconCache RowIcons;
// The system's small image list, in which the kept icons are indexes; set by the first lookup
// that finds one.
HIMAGELIST SystemImages = nullptr;
// The system's large image list, the same icons at the same indexes; looked up the first time
// a row is drawn larger than the small list's icons.
HIMAGELIST SystemLargeImages = nullptr;

bool DriveIsNetwork(char letter, void*) {
  char const root[] = {letter, ':', '\\', '\0'};
  return GetDriveTypeA(root) == DRIVE_REMOTE;
}

bool OnNetwork(const char* path) { return IsNetworkPath(path, DriveIsNetwork, nullptr); }

// The system icon of path. With attributes, the file system is not asked: the icon is the one
// of any file (or folder) of that name, found by its extension alone.
int SystemIconIndex(const char* path, DWORD attributes) {
  SHFILEINFOA info = {};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  if (attributes != 0) flags |= SHGFI_USEFILEATTRIBUTES;
  HIMAGELIST images =
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(path, attributes, &info, sizeof info, flags));
  if (images == nullptr) return NO_ROW_ICON;
  SystemImages = images;
  return info.iIcon;
}

// The icon of path as a row shows it: one on a network drive or share by its extension alone,
// since a server that does not answer would hold the dialog's thread; a local one when it
// exists (mustExist) or when the shell knows it.
int PathIcon(const char* path, DWORD networkAttributes, bool mustExist) {
  if (OnNetwork(path)) return SystemIconIndex(path, networkAttributes);
  if (mustExist && !Exists(path)) return NO_ROW_ICON;
  return SystemIconIndex(path, 0);
}

// The path whose icon shows for a program command: the program when it exists or the shell
// knows one for it, else the document; empty when neither is given. Neither is asked about a
// program on the network.
void ProgramIconPath(const CommandRecord* record, char (&path)[PATH_BUFFER_SIZE]) {
  path[0] = '\0';
  if (HasText(record->exe)) {
    ExpandedOrAsIs(record->exe, path);
    if (OnNetwork(record->exe) || OnNetwork(path)) return;
    if (Exists(record->exe)) {
      CopyTextWhole(path, sizeof path, record->exe);
      return;
    }
    char found[PATH_BUFFER_SIZE] = {};
    if (reinterpret_cast<INT_PTR>(FindExecutableA(record->exe, nullptr, found)) > 32) {
      CopyTextWhole(path, sizeof path, found);
    }
  } else if (HasText(record->file)) {
    ExpandedOrAsIs(record->file, path);
  }
}

// The one lookup of a row's icon on the file system (a RowIconCache::Lookup).
int LookUpRowIcon(const CommandRecord* record, void*) {
  const CommandTypeInfo* type = CommandTypeOf(record->type);
  char path[PATH_BUFFER_SIZE];
  switch (type->icon) {
    case RowIcon::Program:
      ProgramIconPath(record, path);
      if (path[0] == '\0') return NO_ROW_ICON;
      return PathIcon(path, FILE_ATTRIBUTE_NORMAL, true);
    case RowIcon::Folder:
      ExpandedOrAsIs(OrEmpty(record->file), path);
      return PathIcon(path, FILE_ATTRIBUTE_DIRECTORY, false);
    case RowIcon::Launcher:
      return PathIcon(LauncherPath, FILE_ATTRIBUTE_NORMAL, false);
    case RowIcon::Picture:
      break;
  }
  return NO_ROW_ICON;
}

int IconSizeOf(HIMAGELIST images) {
  int width = 0;
  int height = 0;
  return images != nullptr && ImageList_GetIconSize(images, &width, &height) ? width : 0;
}

// Draws image index of images size pixels square: as it is when the list holds it at that
// size, else stretched from the list's own size.
void DrawImageAtSize(HIMAGELIST images, int index, HDC dc, POINT at, int size) {
  if (IconSizeOf(images) == size) {
    ImageList_Draw(images, index, dc, at.x, at.y, ILD_TRANSPARENT);
    return;
  }
  HICON const icon = ImageList_GetIcon(images, index, ILD_TRANSPARENT);
  if (icon == nullptr) return;
  DrawIconEx(dc, at.x, at.y, icon, size, size, 0, nullptr, DI_NORMAL);
  DestroyIcon(icon);
}

// The system image list to draw icons of size pixels from: the small one when its icons are
// that large, else the large one, shrunk, which stays sharper than the small one grown.
HIMAGELIST SystemImagesFor(int size) {
  if (IconSizeOf(SystemImages) >= size) return SystemImages;
  if (SystemLargeImages == nullptr) {
    SHFILEINFOA info = {};
    SystemLargeImages = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
        SYSTEM_ICON_PROBE_PATH, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
  }
  return SystemLargeImages != nullptr ? SystemLargeImages : SystemImages;
}

// A row of a type outside the table shows no icon. Only the first drawing of a row asks the
// file system; every repaint after it draws the icon kept for the row. The icon is the small
// icon size of the list's scale.
void DrawRowIcon(HDC dc, HIMAGELIST typeImages, const CommandRecord* record, POINT at,
                 int size) {
  const CommandTypeInfo* type = record ? CommandTypeOf(record->type) : nullptr;
  if (type == nullptr) return;
  if (type->icon == RowIcon::Picture) {
    DrawImageAtSize(typeImages, type->picture, dc, at, size);
    return;
  }
  int const icon = RowIcons.IconOf(record, LookUpRowIcon, nullptr);
  if (icon != NO_ROW_ICON && SystemImages != nullptr) {
    DrawImageAtSize(SystemImagesFor(size), icon, dc, at, size);
  }
}

// The list's font with the code page 932 character set, which GDI draws the rows' text by:
// the list's own font where it has that set, else a copy made once for each font the list
// gets (at each scale), kept to the end.
HFONT RowFont(HWND listView) {
  static HFONT source = nullptr;
  static HFONT copy = nullptr;
  auto const font = reinterpret_cast<HFONT>(SendMessageA(listView, WM_GETFONT, 0, 0));
  if (font == nullptr) return nullptr;
  if (font == source) return copy != nullptr ? copy : font;
  LOGFONTA face = {};
  if (GetObjectA(font, sizeof face, &face) != sizeof face) return font;
  if (copy != nullptr) DeleteObject(copy);
  source = font;
  copy = nullptr;
  if (face.lfCharSet == SHIFTJIS_CHARSET) return font;
  face.lfCharSet = SHIFTJIS_CHARSET;
  copy = CreateFontIndirectA(&face);
  return copy != nullptr ? copy : font;
}

int MeasureText(const char* text, std::size_t length, void* context) {
  SIZE size = {};
  GetTextExtentPoint32A(static_cast<HDC>(context), text, static_cast<int>(length), &size);
  return size.cx;
}

UINT AlignmentOf(HWND listView, int column) {
  LVCOLUMNA info = {};
  info.mask = LVCF_FMT;
  ListView_GetColumn(listView, column, &info);
  switch (info.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

// Where a column's text goes in a row. The label rectangle of column 0 keeps an icon slot
// that this list never fills, so the key text takes it back. Wine places that rectangle at the
// row's left end whatever the display order, so column 0 is taken from its header item, which
// scrolls with the rows.
RECT ColumnTextRect(HWND listView, int row, int column, UINT dpi) {
  int const margin = ScaleToDpi(LABEL_MARGIN, dpi);
  int const icon = SmallIconSize(dpi);
  RECT box = {};
  ListView_GetSubItemRect(listView, row, column, LVIR_LABEL, &box);
  if (column == COLUMN_KEY) {
    RECT item = {};
    HWND header = ListView_GetHeader(listView);
    if (Header_GetItemRect(header, COLUMN_KEY, &item)) {
      MapWindowPoints(header, listView, reinterpret_cast<POINT*>(&item), 2);
      box.left = item.left + margin;
      box.right = item.right - margin;
    } else {
      box.left -= icon;
    }
  }
  // The name column makes room for the row's icon, drawn where that column shows, at the
  // left end of the row.
  if (column == COLUMN_NAME) box.left += icon + ScaleToDpi(ICON_GAP, dpi);
  return box;
}

void DrawRowTexts(HWND listView, HDC dc, int row, const CommandRecord* record, UINT dpi) {
  static char shown[ROW_TEXT_SIZE];
  for (int column = 0; column < COLUMN_COUNT; ++column) {
    RECT box = ColumnTextRect(listView, row, column, dpi);
    ShortenToWidth(RowColumnText(record, column), box.right - box.left, MeasureText, dc, shown,
                   sizeof shown);
    DrawTextA(dc, shown, -1, &box,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentOf(listView, column));
  }
}

}  // namespace

void SetUpCommandColumns(HWND listView) {
  RECT window = {};
  GetWindowRect(listView, &window);
  int const width = window.right - window.left;
  for (int column = 0; column < COLUMN_COUNT; ++column) {
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    info.fmt = LVCFMT_LEFT;
    info.cx = width * COLUMN_SHARES[column] / 100 - 2;
    info.pszText = const_cast<char*>(COLUMN_TITLES[column]);
    ListView_InsertColumn(listView, column, &info);
  }
}

void LoadTypeImages(HWND listView) {
  // At the rows' icon size: from the pictures drawn for 16 pixels up to that size, from those
  // drawn for 32 above it.
  int const size = SmallIconSize(WindowDpi(listView));
  int const source = size > TYPE_PICTURE_SIZE ? IDB_TYPE_ICONS_2X : IDB_TYPE_ICONS;
  HIMAGELIST const old = TypeImages;
  TypeImages = LoadImagesAtSize(source, TYPE_PICTURE_COUNT, size, size, TYPE_PICTURE_MASK);
  if (TypeImages != nullptr) ImageList_SetBkColor(TypeImages, GetSysColor(COLOR_WINDOW));
  // The list's small image list only sets the height of its rows, which are drawn here: the
  // type pictures are as high as the system's small icons. Asking the shell for its own list
  // at the start would load the shell before the dialog shows, for a list that may have no
  // commands; the system icons are drawn from the list the shell returns at the first row's
  // look-up. LVS_SHAREIMAGELISTS: the list view never destroys TypeImages, so the old ones go
  // only once the list holds the new.
  ListView_SetImageList(listView, TypeImages, LVSIL_SMALL);
  if (old != nullptr) ImageList_Destroy(old);
}

void SetColumnDisplayOrder(HWND listView) {
  int order[COLUMN_COUNT] = {COLUMN_NAME, COLUMN_KEY, COLUMN_OPERATION, COLUMN_FILE};
  HWND header = ListView_GetHeader(listView);
  Header_SetOrderArray(header, COLUMN_COUNT, order);
}

void FillCommandRows(HWND listView) {
  // New rows: no icon of an earlier list is theirs.
  RowIcons.Clear();
  // One repaint after the last row rather than one per row.
  SetWindowRedraw(listView, FALSE);
  ListView_SetItemCount(listView, Commands.count);
  int index = 0;
  for (CommandRecord* record = Commands.head; record; record = record->next, ++index) {
    SetCommandRow(listView, record, index, 0);
  }
  SetWindowRedraw(listView, TRUE);
  InvalidateRect(listView, nullptr, TRUE);
}

void SetCommandRow(HWND listView, CommandRecord* record, int index, int replace) {
  // The row keeps no copy of its texts: the list view asks for them (CommandRowText) when it
  // shows or sorts a row, so that filling 10,000 rows costs one insertion each.
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = LPSTR_TEXTCALLBACK;
  item.lParam = reinterpret_cast<LPARAM>(record);
  if (replace) {
    ListView_SetItem(listView, &item);
    // The texts asked for on the last paint are the old record's.
    ListView_RedrawItems(listView, index, index);
  } else {
    ListView_InsertItem(listView, &item);
  }
}

void CommandRowText(NMLVDISPINFOA* request) {
  LVITEMA& item = request->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  // The list view's notification carries the row's item data only for drawing; ask for it.
  CommandRecord const* record = RowRecord(request->hdr.hwndFrom, item.iItem);
  CopyTextWhole(item.pszText, static_cast<std::size_t>(item.cchTextMax),
                RowColumnText(record, item.iSubItem));
}

void ForgetRowIcon(const CommandRecord* record) { RowIcons.Forget(record); }

int FirstSelectedRow(HWND listView) {
  return ListView_GetNextItem(listView, -1, LVNI_SELECTED);
}

CommandRecord* RowRecord(HWND listView, int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!ListView_GetItem(listView, &item)) return nullptr;
  return reinterpret_cast<CommandRecord*>(item.lParam);
}

void DeleteSelectedRows(HWND listView) {
  SetWindowRedraw(listView, FALSE);
  for (int row = FirstSelectedRow(listView); row != -1; row = FirstSelectedRow(listView)) {
    CommandRecord* record = RowRecord(listView, row);
    RowIcons.Forget(record);
    FreeCommandRecord(record);
    ListView_DeleteItem(listView, row);
  }
  SetWindowRedraw(listView, TRUE);
  InvalidateRect(listView, nullptr, TRUE);
}

void RelinkCommandListFromRows(HWND listView) {
  int const rows = ListView_GetItemCount(listView);
  HANDLE const heap = GetProcessHeap();
  auto records = static_cast<CommandRecord**>(
      rows > 0 ? HeapAlloc(heap, 0, sizeof(CommandRecord*) * static_cast<SIZE_T>(rows))
               : nullptr);
  if (records != nullptr) {
    for (int row = 0; row < rows; ++row) records[row] = RowRecord(listView, row);
    LinkCommandRecords(records, rows, &Commands);
    HeapFree(heap, 0, records);
    return;
  }
  // No rows, or no memory for their order: link them one by one as they are read.
  Commands = CommandList();
  for (int row = 0; row < rows; ++row) AppendCommandRecord(&Commands, RowRecord(listView, row));
}

void SortCommandRows(HWND listView, int column) {
  RowOrder const order = {SortAscending, column};
  ListView_SortItems(listView, CompareCommandRows, static_cast<LPARAM>(PackRowOrder(order)));
  SortAscending = !SortAscending;
}

int CALLBACK CompareCommandRows(LPARAM a, LPARAM b, LPARAM order) {
  return CompareCommandRecords(reinterpret_cast<const CommandRecord*>(a),
                               reinterpret_cast<const CommandRecord*>(b), UnpackRowOrder(order),
                               lstrcmpA, lstrcmpiA);
}

BOOL DrawCommandRow(HWND listView, HIMAGELIST typeImages, UINT, const DRAWITEMSTRUCT* item) {
  HDC const dc = item->hDC;
  int const row = static_cast<int>(item->itemID);
  int const saved = SaveDC(dc);

  RECT bounds = {};
  ListView_GetItemRect(listView, row, &bounds, LVIR_BOUNDS);
  bool const selected = (ListView_GetItemState(listView, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
  HBRUSH fill;
  if (selected) {
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    // Text over the highlight is drawn transparently so that the fill stays visible.
    SetBkMode(dc, TRANSPARENT);
    fill = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
  } else {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    fill = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  }
  FillRect(dc, &bounds, fill);
  DeleteObject(fill);

  UINT const dpi = WindowDpi(listView);
  if (HFONT const font = RowFont(listView)) SelectObject(dc, font);
  CommandRecord const* record = RowRecord(listView, row);
  DrawRowTexts(listView, dc, row, record, dpi);
  DrawRowIcon(dc, typeImages, record, POINT{bounds.left, bounds.top}, SmallIconSize(dpi));

  if (selected && GetFocus() == listView) DrawFocusRect(dc, &bounds);
  RestoreDC(dc, saved);
  return TRUE;
}
