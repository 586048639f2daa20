// The driver's reads and changes that run inside the program under test: popup menus, list
// views and dialog layouts, through remote_reader.dll (see remote_reader.h).
#include "driver.h"

#include "remote_reader.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

// Base address of a module in process pid, or null.
BYTE* RemoteModuleBase(DWORD pid, std::string const& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  BYTE* base = nullptr;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more && !base;
       more = Module32Next(snapshot, &entry)) {
    if (SameText(entry.szModule, name)) base = entry.modBaseAddr;
  }
  CloseHandle(snapshot);
  return base;
}

// Outcome of a thread run in another process.
enum class RemoteRun { Done, Failed, TimedOut };

// Runs function (exported by a module loaded here at localModule) at its place in process,
// with argument; *code receives the thread's exit code.
RemoteRun RunRemote(HANDLE process, BYTE* remoteBase, HMODULE localModule, const char* function,
                    void* argument, DWORD timeoutMs, DWORD* code) {
  *code = 0;
  FARPROC local = GetProcAddress(localModule, function);
  if (!remoteBase || !local) return RemoteRun::Failed;
  BYTE* remote = remoteBase + (reinterpret_cast<BYTE*>(local) - reinterpret_cast<BYTE*>(localModule));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                     reinterpret_cast<LPTHREAD_START_ROUTINE>(remote), argument, 0,
                                     nullptr);
  if (!thread) return RemoteRun::Failed;
  RemoteRun run = RemoteRun::Done;
  if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) {
    run = RemoteRun::TimedOut;
  } else if (!GetExitCodeThread(thread, code)) {
    run = RemoteRun::Failed;
  }
  CloseHandle(thread);
  return run;
}

// Carries out request inside the process that owns request.window: loads remote_reader.dll
// there and runs RunRemoteRequest on a thread of that process. *report receives the lines.
bool RunInOwnerNow(RemoteRequest request, DWORD timeoutMs, std::string* report,
                   std::string* error) {
  DWORD pid = ProcessOf(request.window);
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                   PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                               FALSE, pid);
  if (!process) {
    *error = "OpenProcess failed, error " + std::to_string(GetLastError());
    return false;
  }
  static unsigned counter = 0;
  std::string dll = RemoteReaderDll();
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  std::string output = std::string(temp, n < sizeof temp ? n : 0) + "pimbo-e2e-remote-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) +
                       ".txt";
  lstrcpynA(request.outputPath, output.c_str(), sizeof request.outputPath);
  DeleteFileA(output.c_str());

  size_t size = sizeof request + dll.size() + 1;
  BYTE* remote = static_cast<BYTE*>(
      VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  HMODULE local = LoadLibraryA(dll.c_str());
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  bool ok = false;
  bool keepRemote = false;  // a thread that timed out may still read the request
  DWORD code = 0;
  if (!remote || !local) {
    *error = "cannot prepare " + dll + ", error " + std::to_string(GetLastError());
  } else if (!WriteProcessMemory(process, remote, &request, sizeof request, nullptr) ||
             !WriteProcessMemory(process, remote + sizeof request, dll.c_str(), dll.size() + 1,
                                 nullptr)) {
    *error = "WriteProcessMemory failed, error " + std::to_string(GetLastError());
  } else if (RunRemote(process, RemoteModuleBase(pid, "kernel32.dll"), kernel, "LoadLibraryA",
                       remote + sizeof request, 10000, &code) != RemoteRun::Done ||
             !code) {
    *error = "could not load " + dll + " into process " + std::to_string(pid);
  } else {
    RemoteRun run = RunRemote(process, RemoteModuleBase(pid, "remote_reader.dll"), local,
                              "RunRemoteRequest", remote, timeoutMs, &code);
    keepRemote = run == RemoteRun::TimedOut;
    ok = run == RemoteRun::Done && code == 1;
    if (ok) {
      *report = ReadFileBytes(output);
    } else if (keepRemote) {
      *error = "the request did not finish within " + std::to_string(timeoutMs) + " ms";
    } else {
      *error = "RunRemoteRequest in process " + std::to_string(pid) + " gave " +
               std::to_string(code);
    }
  }
  if (local) FreeLibrary(local);
  if (remote && !keepRemote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  DeleteFileA(output.c_str());
  return ok;
}

// RunInOwnerNow on a thread of its own, waited for with a bound. Under Wine, creating memory
// and threads in another process waits, without any timeout, for that process to carry the
// call out; seen on loaded machines, a test hung there for good, even after the process was
// ended. A call that does not come back in time fails the test instead, and its thread and
// context are left behind (they may still be used).
bool RunInOwner(RemoteRequest request, DWORD timeoutMs, std::string* report, std::string* error) {
  struct Call {
    RemoteRequest request;
    DWORD timeoutMs;
    std::string report, error;
    bool ok = false;
  };
  auto* call = new Call{request, timeoutMs, {}, {}};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* context) -> DWORD {
        auto* c = static_cast<Call*>(context);
        c->ok = RunInOwnerNow(c->request, c->timeoutMs, &c->report, &c->error);
        return 0;
      },
      call, 0, nullptr);
  if (!thread) {
    delete call;
    *error = "CreateThread failed, error " + std::to_string(GetLastError());
    return false;
  }
  // Loading the reader and the request's own time, with room for a loaded machine.
  DWORD const bound = 10000 + timeoutMs + 20000;
  bool finished = WaitForSingleObject(thread, bound) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (!finished) {
    *error = "the call into process " + std::to_string(ProcessOf(request.window)) +
             " did not come back within " + std::to_string(bound) + " ms";
    return false;
  }
  bool ok = call->ok;
  *report = std::move(call->report);
  *error = std::move(call->error);
  delete call;
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
