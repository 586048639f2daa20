// A helper DLL that reads menus, list views and dialogs from inside the process that owns them:
// Wine keeps a menu's items in the process that created it and passes no pointers of LVM_ and
// HDM_ messages to another process (measured with Wine 8), while Windows shares menus and
// marshals none of these either.
#include "remote_reader.h"

#include <commctrl.h>
#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <new>

#include <string>
#include <vector>

namespace {

// Every message goes to the window's own thread; a stuck program fails the read instead of
// hanging the reader (and with it the test).
bool Ask(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) {
    return false;
  }
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

std::string Escape(const char* text, size_t length) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Escape(const char* text) { return Escape(text, lstrlenA(text)); }

std::string Num(long long value) { return std::to_string(value); }

std::string RectFields(RECT const& r) {
  return Num(r.left) + "\t" + Num(r.top) + "\t" + Num(r.right) + "\t" + Num(r.bottom);
}

// A rectangle in window's client coordinates, in screen coordinates.
RECT ToScreen(HWND window, RECT r) {
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool WriteReport(const char* path, std::string const& lines) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == lines.size();
}

DWORD ReadMenu(RemoteRequest const& request, std::string* lines) {
  LRESULT handle = 0;
  // The menu's own thread answers from inside its menu loop.
  if (!Ask(request.window, MN_GETHMENU, 0, 0, &handle) || !handle) return 2;
  HMENU menu = reinterpret_cast<HMENU>(handle);
  int count = GetMenuItemCount(menu);
  if (count < 0) return 3;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) return 4;
    char text[256] = {};
    int n = GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    *lines += Num(info.wID) + "\t" + ((info.fType & MFT_SEPARATOR) ? "1" : "0") + "\t" +
              Escape(text, n > 0 ? n : 0) + "\n";
  }
  return 1;
}

// Text of one cell; row texts are at most 1023 bytes (a command's file), so 4096 holds any.
bool CellText(HWND list, int row, int column, std::string* text) {
  char buffer[4096] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  LRESULT length = 0;
  if (!Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item),
           &length)) {
    return false;
  }
  *text = Escape(buffer, length > 0 && length < static_cast<LRESULT>(sizeof buffer) ? length : 0);
  return true;
}

DWORD ReadListView(RemoteRequest const& request, std::string* lines) {
  HWND list = request.window;
  LRESULT rows = 0, headerHandle = 0, columns = 0;
  if (!Ask(list, LVM_GETITEMCOUNT, 0, 0, &rows)) return 2;
  if (!Ask(list, LVM_GETHEADER, 0, 0, &headerHandle) || !headerHandle) return 3;
  HWND header = reinterpret_cast<HWND>(headerHandle);
  if (!Ask(header, HDM_GETITEMCOUNT, 0, 0, &columns) || columns < 0) return 4;
  *lines += "rows\t" + Num(rows) + "\ncolumns\t" + Num(columns) + "\n";

  for (int i = 0; i < columns; ++i) {
    char title[256] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    LRESULT ok = 0;
    if (!Ask(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column), &ok) || !ok) return 5;
    RECT rect{};
    if (!Ask(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect), &ok) || !ok) return 6;
    *lines += "column\t" + Num(i) + "\t" + Num(column.cx) + "\t" + Escape(title) + "\n";
    *lines += "header\t" + Num(i) + "\t" + RectFields(ToScreen(header, rect)) + "\n";
  }
  std::vector<int> order(columns > 0 ? columns : 1);
  LRESULT ok = 0;
  if (!Ask(list, LVM_GETCOLUMNORDERARRAY, columns, reinterpret_cast<LPARAM>(order.data()), &ok) ||
      !ok) {
    return 7;
  }
  *lines += "order";
  for (int i = 0; i < columns; ++i) *lines += "\t" + Num(order[i]);
  *lines += "\n";

  int shown = request.maxRows > 0 && request.maxRows < rows ? request.maxRows : static_cast<int>(rows);
  for (int row = 0; row < shown; ++row) {
    LRESULT state = 0;
    if (!Ask(list, LVM_GETITEMSTATE, row, LVIS_SELECTED, &state)) return 8;
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (!Ask(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect), &ok) || !ok) return 9;
    std::string line = "row\t" + Num(row) + "\t" + ((state & LVIS_SELECTED) ? "1" : "0") + "\t" +
                       RectFields(ToScreen(list, rect));
    for (int column = 0; column < 4; ++column) {
      std::string text;
      if (!CellText(list, row, column, &text)) return 10;
      line += "\t" + text;
    }
    *lines += line + "\n";
  }
  return 1;
}

DWORD ClickHeader(RemoteRequest const& request, std::string* lines) {
  HWND list = request.window;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (!header || request.rowCount != 1) return 2;
  NMHEADERA click{};
  click.hdr.hwndFrom = header;
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
  click.hdr.code = HDN_ITEMCLICKA;
  click.iItem = request.rows[0];
  click.iButton = 0;
  LRESULT ignored = 0;
  if (!Ask(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click),
           &ignored)) {
    return 3;
  }
  *lines += "clicked\n";
  return 1;
}

DWORD SelectRows(RemoteRequest const& request, std::string* lines) {
  HWND list = request.window;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  LRESULT ok = 0;
  // Row -1 addresses every row.
  if (!Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item), &ok) ||
      !ok) {
    return 2;
  }
  int count = request.rowCount < REMOTE_MAX_ROWS ? request.rowCount : REMOTE_MAX_ROWS;
  for (int i = 0; i < count; ++i) {
    item.state = LVIS_SELECTED;
    if (!Ask(list, LVM_SETITEMSTATE, request.rows[i], reinterpret_cast<LPARAM>(&item), &ok) ||
        !ok) {
      return 3;
    }
  }
  *lines += "selected\t" + Num(count) + "\n";
  return 1;
}

DWORD ReadDialog(RemoteRequest const& request, std::string* lines) {
  HWND dialog = request.window;
  RECT base = {0, 0, 4, 8};
  if (!MapDialogRect(dialog, &base) || base.right <= 0 || base.bottom <= 0) return 2;
  int baseX = base.right, baseY = base.bottom;
  *lines += "base\t" + Num(baseX) + "\t" + Num(baseY) + "\n";
  // GW_CHILD / GW_HWNDNEXT walk the direct children in creation order, which for a dialog is
  // the order of its template.
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[256] = {};
    GetClassNameA(child, className, sizeof className);
    char text[1024] = {};
    int n = GetWindowTextA(child, text, sizeof text);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    int id = GetDlgCtrlID(child);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    *lines += "control\t" + Num(static_cast<short>(id)) + "\t" + Escape(className) + "\t" +
              Num(static_cast<unsigned long>(style)) + "\t" + Num(MulDiv(r.left, 4, baseX)) + "\t" +
              Num(MulDiv(r.top, 8, baseY)) + "\t" + Num(MulDiv(r.right - r.left, 4, baseX)) +
              "\t" + Num(MulDiv(r.bottom - r.top, 8, baseY)) + "\t" + Num(r.right - r.left) +
              "\t" + Num(r.bottom - r.top) + "\t" + Escape(text, n > 0 ? n : 0) + "\n";
    if (lstrcmpiA(className, "ComboBox") == 0) {
      LRESULT count = 0;
      if (!Ask(child, CB_GETCOUNT, 0, 0, &count)) return 3;
      for (int i = 0; i < count; ++i) {
        char entry[1024] = {};
        LRESULT length = 0;
        if (!Ask(child, CB_GETLBTEXTLEN, i, 0, &length) || length < 0 ||
            length >= static_cast<LRESULT>(sizeof entry)) {
          return 4;
        }
        if (!Ask(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry), &length)) return 5;
        *lines += "item\t" + Num(static_cast<short>(id)) + "\t" + Num(i) + "\t" +
                  Escape(entry, length > 0 ? length : 0) + "\n";
      }
    }
  }
  return 1;
}

// An extended combo box keeps its texts in its own item records (its inner combo box is
// owner-drawn without strings), so CB_GETLBTEXT does not read them; CBEM_GETITEMA does.
DWORD ReadComboEx(RemoteRequest const& request, std::string* lines) {
  HWND combo = request.window;
  LRESULT count = 0, selection = 0;
  if (!Ask(combo, CB_GETCOUNT, 0, 0, &count) || count < 0) return 2;
  if (!Ask(combo, CB_GETCURSEL, 0, 0, &selection)) return 3;
  *lines += "selection\t" + Num(selection) + "\n";
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    LRESULT ok = 0;
    if (!Ask(combo, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item), &ok) || !ok) return 4;
    text[sizeof text - 1] = '\0';
    *lines += "item\t" + Num(i) + "\t" + Escape(text) + "\n";
  }
  return 1;
}

// Bytes of the double-NUL list of paths, the closing NUL included; 0 when it is not closed
// within the buffer.
size_t PathListSize(const char* list, size_t capacity) {
  for (size_t i = 0; i + 1 < capacity; ++i) {
    if (list[i] == '\0' && list[i + 1] == '\0') return i + 2;
  }
  return 0;
}

DWORD PostDrop(RemoteRequest const& request, std::string* lines) {
  HWND window = request.window;
  if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) {
    *lines += "refused\n";
    return 1;
  }
  size_t const listSize = PathListSize(request.dropPaths, sizeof request.dropPaths);
  if (listSize == 0) return 2;
  // DROPFILES with the paths right after it, as the shell lays it out: ANSI, double-NUL end.
  HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + listSize);
  if (!drop) return 3;
  auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
  if (!files) {
    GlobalFree(drop);
    return 4;
  }
  files->pFiles = sizeof(DROPFILES);
  files->fWide = FALSE;
  memcpy(reinterpret_cast<BYTE*>(files) + sizeof(DROPFILES), request.dropPaths, listSize);
  GlobalUnlock(drop);
  // From here the window owns the drop and frees it with DragFinish.
  if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
    GlobalFree(drop);
    return 5;
  }
  const char* outcome = "pending";
  for (int i = 0; i < 1000; ++i) {
    if (GlobalFlags(drop) == GMEM_INVALID_HANDLE) {
      outcome = "handled";
      break;
    }
    // A message box owned by the window disables it while it shows.
    if (!IsWindowEnabled(window)) {
      outcome = "asking";
      break;
    }
    Sleep(10);
  }
  *lines += std::string(outcome) + "\n";
  return 1;
}

DWORD RunRemoteRequest(RemoteRequest const& request) {
  std::string lines;
  DWORD result = 20;
  switch (request.kind) {
    case REMOTE_READ_MENU: result = ReadMenu(request, &lines); break;
    case REMOTE_READ_LIST_VIEW: result = ReadListView(request, &lines); break;
    case REMOTE_SELECT_ROWS: result = SelectRows(request, &lines); break;
    case REMOTE_CLICK_HEADER: result = ClickHeader(request, &lines); break;
    case REMOTE_READ_DIALOG: result = ReadDialog(request, &lines); break;
    case REMOTE_READ_COMBO_EX: result = ReadComboEx(request, &lines); break;
    case REMOTE_POST_DROP: result = PostDrop(request, &lines); break;
    default: break;
  }
  if (result != 1) return result;
  return WriteReport(request.outputPath, lines) ? 1 : 21;
}

// One request on its way: the driver's shared block and its event, opened here so that the
// driver may give up on the request and close its own handles at any time.
struct Job {
  HANDLE mapping;
  RemoteChannel* channel;
  HANDLE done;
};

DWORD WINAPI RunJob(void* param) {
  Job* job = static_cast<Job*>(param);
  // A copy: the driver's block is only written back to.
  RemoteRequest* request = new (std::nothrow) RemoteRequest(job->channel->request);
  LONG result = request ? static_cast<LONG>(RunRemoteRequest(*request)) : 22;
  delete request;
  InterlockedExchange(&job->channel->result, result);
  SetEvent(job->done);
  UnmapViewOfFile(job->channel);
  CloseHandle(job->mapping);
  CloseHandle(job->done);
  delete job;
  return 0;
}

void StartJob(DWORD driver, unsigned number) {
  char name[REMOTE_CHANNEL_NAME_SIZE];
  RemoteChannelName(driver, number, name, sizeof name);
  char doneName[REMOTE_CHANNEL_NAME_SIZE + 8];
  snprintf(doneName, sizeof doneName, "%s-done", name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, doneName);
  auto* channel = mapping ? static_cast<RemoteChannel*>(MapViewOfFile(
                                mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(RemoteChannel)))
                          : nullptr;
  Job* job = channel && done ? new (std::nothrow) Job{mapping, channel, done} : nullptr;
  HANDLE thread = job ? CreateThread(nullptr, 0, RunJob, job, 0, nullptr) : nullptr;
  if (thread) {
    CloseHandle(thread);
    return;
  }
  // The driver waits in vain and reports the request as not done.
  delete job;
  if (channel) UnmapViewOfFile(channel);
  if (mapping) CloseHandle(mapping);
  if (done) CloseHandle(done);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RemoteRequestHook(int code, WPARAM wParam,
                                                                     LPARAM lParam) {
  if (code == HC_ACTION && lParam) {
    static UINT const requestMessage = RegisterWindowMessageA(REMOTE_REQUEST_MESSAGE);
    auto const* sent = reinterpret_cast<CWPSTRUCT const*>(lParam);
    if (requestMessage && sent->message == requestMessage) {
      // The system unloads a hook's DLL after each call, and the request's thread runs on
      // here: the DLL stays for the life of the process.
      HMODULE self = nullptr;
      if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                             reinterpret_cast<LPCSTR>(&RemoteRequestHook), &self)) {
        StartJob(static_cast<DWORD>(sent->wParam), static_cast<unsigned>(sent->lParam));
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
