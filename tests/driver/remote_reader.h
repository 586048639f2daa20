// The request that the driver hands to remote_reader.dll inside another process (see
// RunInOwner in remote.cpp), and the line format of the reports it writes back.
//
// Wine passes no pointers of menu, list-view and header messages between processes, so these
// reads run on a thread of the program under test, where the pointers are its own. The window
// procedures still run on the program's own thread: the reader's thread only sends messages.
//
// How a request gets there: the driver puts it into a named shared block, hooks the window's
// thread with RemoteRequestHook (WH_CALLWNDPROC, so the system loads the DLL there) and sends
// the window REMOTE_REQUEST_MESSAGE. The hook starts the request on a thread of that process
// and the thread signals the block's event when it is done. No memory or thread is made in the
// other process from outside: Wine carries such calls out inside the target asynchronously,
// and on a loaded machine that hung for good or broke the target's heap.
//
// Report lines are tab-separated fields ending in "\n"; texts are escaped ("\\" "\t" "\n" "\r"
// and "\0" for a NUL byte), so that any byte a hostile pimbo.ini holds comes back intact.
#pragma once

#include <windows.h>

#include <cstdio>

enum RemoteRequestKind : DWORD {
  // window = a "#32768" popup. Lines: id, separator flag (0/1), text.
  REMOTE_READ_MENU = 1,
  // window = a list view. Lines:
  //   "rows" count | "columns" count | "column" index width title | "order" a b c ...
  //   "header" index left top right bottom (screen) |
  //   "row" index selected left top right bottom (screen) text0 text1 text2 text3
  // maxRows limits the "row" lines (0: every row).
  REMOTE_READ_LIST_VIEW = 2,
  // window = a list view. Selects exactly the rows listed in rows[0..rowCount), none else.
  REMOTE_SELECT_ROWS = 3,
  // window = a dialog. Lines:
  //   "base" baseX baseY (MapDialogRect of a 4 by 8 rectangle)
  //   "control" id class style x y width height (dialog units) width height (pixels) text
  //   "item" id index text (the entries of each combo box)
  REMOTE_READ_DIALOG = 4,
  // window = an extended combo box ("ComboBoxEx32"). Lines:
  //   "selection" index (CB_GETCURSEL, -1 for none) | "item" index text (CBEM_GETITEMA)
  REMOTE_READ_COMBO_EX = 10,
  // window = a list view. Sends its parent the header's item click (HDN_ITEMCLICKA, left
  // button) on column rows[0], as the list view passes a click on that header item on.
  REMOTE_CLICK_HEADER = 11,
  // window = a window that may take dropped files. Builds a drop of the paths in dropPaths
  // inside this process (a drop handle lives in the receiving process) and posts WM_DROPFILES,
  // so that a question the drop raises does not hold the reader. A window without
  // WS_EX_ACCEPTFILES is refused, as the shell refuses it. Then waits (at most 10 s) until the
  // window has finished with the drop (DragFinish freed it) or disables itself for a modal box.
  // One line: "refused" | "handled" | "asking" | "pending" (neither within the wait).
  REMOTE_POST_DROP = 20,
};

inline constexpr int REMOTE_MAX_ROWS = 1024;

struct RemoteRequest {
  DWORD kind;             // RemoteRequestKind
  HWND window;            // the window the request is about
  int maxRows;            // REMOTE_READ_LIST_VIEW: at most this many "row" lines, 0 = all
  int rowCount;           // REMOTE_SELECT_ROWS: rows[0..rowCount)
  int rows[REMOTE_MAX_ROWS];
  char outputPath[1024];  // file that receives the report
  // REMOTE_POST_DROP: ANSI paths, each ended by a NUL, the list by a second NUL.
  char dropPaths[4096];
};

// Registered message that carries a request: wParam is the driver's process id, lParam the
// number of its request; together they name the shared block (RemoteChannelName).
inline constexpr char REMOTE_REQUEST_MESSAGE[] = "pimbo-e2e-remote-request";

// The shared block: the request, and what came of it. result is 0 while the request runs, then
// 1 when it was carried out and the report written, another small number naming the step that
// failed otherwise.
struct RemoteChannel {
  RemoteRequest request;
  volatile LONG result;
};

// Name of the file mapping of request number of driver process pid; the event that is set
// when the request is done has the same name with "-done" added.
inline void RemoteChannelName(DWORD pid, unsigned number, char* name, size_t size) {
  snprintf(name, size, "pimbo-e2e-remote-%lu-%u", static_cast<unsigned long>(pid), number);
}
inline constexpr size_t REMOTE_CHANNEL_NAME_SIZE = 64;

// Exported by remote_reader.dll: the WH_CALLWNDPROC hook that picks REMOTE_REQUEST_MESSAGE up.
extern "C" LRESULT CALLBACK RemoteRequestHook(int code, WPARAM wParam, LPARAM lParam);
