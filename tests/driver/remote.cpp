// The driver's reads and changes that run inside the program under test: popup menus, list
// views and dialog layouts, through remote_reader.dll (see remote_reader.h).
#include "driver.h"

#include "remote_reader.h"

#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

// Carries out request inside the process that owns request.window (see remote_reader.h): the
// request goes into a named shared block, the window's thread is hooked with the reader's
// RemoteRequestHook and sent the request message, and the reader's thread there signals when
// the report is written. *report receives its lines. Every wait is bounded.
bool RunInOwner(RemoteRequest request, DWORD timeoutMs, std::string* report, std::string* error) {
  DWORD pid = 0;
  DWORD thread = GetWindowThreadProcessId(request.window, &pid);
  if (!thread) {
    *error = "the window is gone";
    return false;
  }
  static unsigned counter = 0;
  unsigned const number = ++counter;
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  std::string output = std::string(temp, n < sizeof temp ? n : 0) + "pimbo-e2e-remote-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(number) +
                       ".txt";
  lstrcpynA(request.outputPath, output.c_str(), sizeof request.outputPath);
  DeleteFileA(output.c_str());

  char name[REMOTE_CHANNEL_NAME_SIZE];
  RemoteChannelName(GetCurrentProcessId(), number, name, sizeof name);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(RemoteChannel), name);
  auto* channel = mapping ? static_cast<RemoteChannel*>(MapViewOfFile(
                                mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(RemoteChannel)))
                          : nullptr;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, (std::string(name) + "-done").c_str());
  std::string dll = RemoteReaderDll();
  HMODULE local = LoadLibraryA(dll.c_str());
  FARPROC exported = local ? GetProcAddress(local, "RemoteRequestHook") : nullptr;
  HOOKPROC hookProc = nullptr;
  if (exported) memcpy(&hookProc, &exported, sizeof hookProc);
  bool ok = false;
  if (!channel || !done || !hookProc) {
    *error = "cannot prepare the request for " + dll + ", error " + std::to_string(GetLastError());
  } else {
    channel->request = request;
    channel->result = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, local, thread);
    UINT const message = RegisterWindowMessageA(REMOTE_REQUEST_MESSAGE);
    DWORD_PTR ignored = 0;
    // The hook only starts the request; the window's thread answers at once unless it is busy.
    bool sent = hook && message &&
                SendMessageTimeoutA(request.window, message, GetCurrentProcessId(), number,
                                    SMTO_NORMAL, 10000 + timeoutMs, &ignored);
    DWORD const sendError = GetLastError();
    if (hook) UnhookWindowsHookEx(hook);
    if (!hook) {
      *error = "cannot hook the thread of process " + std::to_string(pid) + ", error " +
               std::to_string(sendError);
    } else if (!sent) {
      *error = "process " + std::to_string(pid) + " did not take the request, error " +
               std::to_string(sendError);
    } else if (WaitForSingleObject(done, timeoutMs + 10000) != WAIT_OBJECT_0) {
      *error = "the request in process " + std::to_string(pid) + " did not finish within " +
               std::to_string(timeoutMs + 10000) + " ms";
    } else if (channel->result != 1) {
      *error = "the request in process " + std::to_string(pid) + " gave " +
               std::to_string(channel->result);
    } else {
      *report = ReadBytes(output);
      ok = true;
    }
  }
  if (local) FreeLibrary(local);
  if (channel) UnmapViewOfFile(channel);
  if (mapping) CloseHandle(mapping);
  if (done) CloseHandle(done);
  DeleteFileA(output.c_str());
  return ok;
}

std::string Unescape(std::string const& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
  }
  return out;
}

// The report's lines, each split at its tabs and unescaped.
std::vector<std::vector<std::string>> ReportFields(std::string const& report) {
  std::vector<std::vector<std::string>> lines;
  for (size_t at = 0, end; (end = report.find('\n', at)) != std::string::npos; at = end + 1) {
    std::vector<std::string> fields;
    std::string line = report.substr(at, end - at) + "\t";
    for (size_t from = 0, tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      fields.push_back(Unescape(line.substr(from, tab - from)));
    }
    lines.push_back(fields);
  }
  return lines;
}

int Int(std::string const& field) { return static_cast<int>(std::strtol(field.c_str(), nullptr, 10)); }

RECT RectAt(std::vector<std::string> const& fields, size_t first) {
  return RECT{Int(fields[first]), Int(fields[first + 1]), Int(fields[first + 2]),
              Int(fields[first + 3])};
}

RemoteRequest Request(RemoteRequestKind kind, HWND window) {
  RemoteRequest request{};
  request.kind = kind;
  request.window = window;
  return request;
}

std::string* ErrorSink(std::string* error, std::string* fallback) {
  std::string* sink = error ? error : fallback;
  sink->clear();
  return sink;
}

}  // namespace

std::vector<MenuItem> ReadPopupMenu(HWND popup, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  std::string report;
  if (!RunInOwner(Request(REMOTE_READ_MENU, popup), 10000, &report, error)) return {};
  std::vector<MenuItem> items;
  for (auto const& fields : ReportFields(report)) {
    if (fields.size() != 3) {
      *error = "unreadable menu line with " + std::to_string(fields.size()) + " fields";
      return {};
    }
    items.push_back({static_cast<UINT>(std::strtoul(fields[0].c_str(), nullptr, 10)),
                     fields[1] == "1", fields[2]});
  }
  return items;
}

bool ReadListView(HWND list, ListViewState* state, std::string* error, int maxRows,
                  DWORD timeoutMs) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  *state = ListViewState();
  RemoteRequest request = Request(REMOTE_READ_LIST_VIEW, list);
  request.maxRows = maxRows;
  std::string report;
  if (!RunInOwner(request, timeoutMs, &report, error)) return false;
  for (auto const& f : ReportFields(report)) {
    std::string const& kind = f[0];
    bool fits = (kind == "rows" && f.size() == 2) || (kind == "columns" && f.size() == 2) ||
                (kind == "column" && f.size() == 4) || (kind == "header" && f.size() == 6) ||
                (kind == "order") || (kind == "row" && f.size() == 11);
    if (!fits) {
      *error = "unreadable list-view line \"" + kind + "\" with " + std::to_string(f.size()) +
               " fields";
      return false;
    }
    if (kind == "rows") {
      state->rowCount = Int(f[1]);
    } else if (kind == "columns") {
      state->columns.resize(Int(f[1]));
    } else if (kind == "column" || kind == "header") {
      size_t i = static_cast<size_t>(Int(f[1]));
      if (i >= state->columns.size()) continue;
      if (kind == "column") {
        state->columns[i].width = Int(f[2]);
        state->columns[i].title = f[3];
      } else {
        state->columns[i].header = RectAt(f, 2);
      }
    } else if (kind == "order") {
      for (size_t i = 1; i < f.size(); ++i) state->order.push_back(Int(f[i]));
    } else {
      ListViewRow row;
      row.selected = f[2] == "1";
      row.rect = RectAt(f, 3);
      for (int c = 0; c < 4; ++c) row.text[c] = f[7 + c];
      state->rows.push_back(row);
    }
  }
  return true;
}

bool SelectListRows(HWND list, std::vector<int> const& rows, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  if (rows.size() > static_cast<size_t>(REMOTE_MAX_ROWS)) {
    *error = "at most " + std::to_string(REMOTE_MAX_ROWS) + " rows can be selected at once";
    return false;
  }
  RemoteRequest request = Request(REMOTE_SELECT_ROWS, list);
  request.rowCount = static_cast<int>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) request.rows[i] = rows[i];
  std::string report;
  return RunInOwner(request, 10000, &report, error);
}

bool ClickListHeader(HWND list, int column, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  RemoteRequest request = Request(REMOTE_CLICK_HEADER, list);
  request.rowCount = 1;
  request.rows[0] = column;
  std::string report;
  return RunInOwner(request, 10000, &report, error);
}

bool ReadDialogLayout(HWND dialog, DialogLayout* layout, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  *layout = DialogLayout();
  std::string report;
  if (!RunInOwner(Request(REMOTE_READ_DIALOG, dialog), 10000, &report, error)) return false;
  for (auto const& f : ReportFields(report)) {
    if (f[0] == "base" && f.size() == 3) {
      layout->baseX = Int(f[1]);
      layout->baseY = Int(f[2]);
    } else if (f[0] == "control" && f.size() == 11) {
      DialogControl control;
      control.id = Int(f[1]);
      control.className = f[2];
      control.style = static_cast<DWORD>(std::strtoul(f[3].c_str(), nullptr, 10));
      control.x = Int(f[4]);
      control.y = Int(f[5]);
      control.width = Int(f[6]);
      control.height = Int(f[7]);
      control.pixelWidth = Int(f[8]);
      control.pixelHeight = Int(f[9]);
      control.text = f[10];
      layout->controls.push_back(control);
    } else if (f[0] == "item" && f.size() == 4) {
      layout->comboItems[Int(f[1])].push_back(f[3]);
    } else {
      *error = "unreadable dialog line \"" + f[0] + "\"";
      return false;
    }
  }
  return true;
}

bool ReadComboEx(HWND combo, ComboExState* state, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  *state = ComboExState();
  std::string report;
  if (!RunInOwner(Request(REMOTE_READ_COMBO_EX, combo), 10000, &report, error)) return false;
  for (auto const& f : ReportFields(report)) {
    if (f[0] == "selection" && f.size() == 2) {
      state->selection = Int(f[1]);
    } else if (f[0] == "item" && f.size() == 3) {
      state->items.push_back(f[2]);
    } else {
      *error = "unreadable combo line \"" + f[0] + "\"";
      return false;
    }
  }
  return true;
}

DropOutcome DropFiles(HWND window, std::vector<std::string> const& paths, std::string* error) {
  std::string ignored;
  error = ErrorSink(error, &ignored);
  RemoteRequest request = Request(REMOTE_POST_DROP, window);
  size_t at = 0;
  for (std::string const& path : paths) {
    if (path.empty() || at + path.size() + 2 > sizeof request.dropPaths) {
      *error = "the paths do not fit the drop request";
      return DropOutcome::Failed;
    }
    memcpy(request.dropPaths + at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  if (at == 0) {
    *error = "a drop needs at least one path";
    return DropOutcome::Failed;
  }
  request.dropPaths[at] = '\0';
  std::string report;
  if (!RunInOwner(request, 20000, &report, error)) return DropOutcome::Failed;
  if (report == "refused\n") return DropOutcome::Refused;
  if (report == "handled\n") return DropOutcome::Handled;
  if (report == "asking\n") return DropOutcome::Asking;
  if (report == "pending\n") return DropOutcome::Pending;
  *error = "unreadable drop report \"" + report + "\"";
  return DropOutcome::Failed;
}

}  // namespace e2e
