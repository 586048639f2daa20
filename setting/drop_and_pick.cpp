// Filling the command edit dialog from the desktop: one file or folder dropped on it, a
// dropped shortcut taken as its target, kept, or copied beside the editor, and the window
// picked by dragging the drag icon onto another program's window.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "drop_rules.h"
#include "editor.h"
#include "system_calls.h"
#include "resource.h"
#include "texts.h"

namespace {

// Dropped and resolved paths: 255 bytes and the terminator.
DWORD const DROP_PATH_SIZE = 256;
// Link texts read from a shortcut.
int const LINK_TEXT_SIZE = 256;
// The window title taken by a pick: read with a count of 255 into a 256-byte buffer.
int const TITLE_SIZE = 256;
int const TITLE_COUNT = 255;

BOOL PickActive = FALSE;  // the left button, pressed on the drag icon, is held

bool Ask(HWND dialog, const char* text, const char* caption, UINT extra = 0) {
  return MessageBoxA(dialog, text, caption, MB_YESNO | MB_ICONQUESTION | extra) == IDYES;
}

bool FieldHasText(HWND dialog, int id) {
  return GetWindowTextLengthA(GetDlgItem(dialog, id)) > 0;
}

// Puts path into a field, after asking when the field already holds something.
void OfferToField(HWND dialog, int id, const char* question, const char* path) {
  if (!FieldHasText(dialog, id) || Ask(dialog, question, REPLACE_CAPTION)) {
    SetDlgItemTextA(dialog, id, path);
  }
}

bool LongPathForm(const char* path, char* out, std::size_t size, void*) {
  std::memset(out, 0, size);
  DWORD const length = GetLongPathNameA(path, out, static_cast<DWORD>(size));
  return length > 0 && length < size;
}

// Replaces path (DROP_PATH_SIZE bytes) by the shortcut's target when the target may stand for
// it. Every failure is silent and keeps the shortcut.
void ResolveShortcut(HWND dialog, char* path) {
  if (FAILED(CoInitialize(nullptr))) return;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr,
                                 CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR widePath[DROP_PATH_SIZE + 2] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, DROP_PATH_SIZE + 2) > 0 &&
        SUCCEEDED(file->Load(widePath, STGM_READ)) &&
        SUCCEEDED(link->Resolve(dialog, SLR_ANY_MATCH))) {
      char arguments[LINK_TEXT_SIZE] = {};
      char directory[LINK_TEXT_SIZE] = {};
      char target[LINK_TEXT_SIZE] = {};
      if (FAILED(link->GetArguments(arguments, LINK_TEXT_SIZE))) arguments[0] = '\0';
      if (FAILED(link->GetWorkingDirectory(directory, LINK_TEXT_SIZE))) directory[0] = '\0';
      // The working directory is compared with a folder that ends in a backslash.
      if (directory[0] != '\0' && std::strlen(directory) + 1 < sizeof directory) {
        PathAddBackslashA(directory);
      }
      if (SUCCEEDED(link->GetPath(target, LINK_TEXT_SIZE, nullptr, 0)) && target[0] != '\0' &&
          TakeShortcutTarget(target, arguments, directory, LongPathForm, nullptr)) {
        CopyTextWhole(path, DROP_PATH_SIZE, target);
      }
    }
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
}

// Copies the shortcut at path into the shortcuts folder beside the editor and makes path the
// copy's. False, with nothing changed, when the user keeps an existing copy or the copy fails.
bool CopyShortcut(HWND dialog, char* path) {
  char folder[PATH_BUFFER_SIZE];
  char destination[PATH_BUFFER_SIZE];
  // A destination that does not fit the dropped-path buffer would be cut into another
  // file's name: that is a failed copy, never a shortened one.
  bool fits = FormatDirectoryPath(ModuleDir, SHORTCUTS_FOLDER_FORMAT, folder, sizeof folder);
  if (fits) {
    CreateDirectoryA(folder, nullptr);
    int const length = std::snprintf(destination, sizeof destination, "%s\\%s", folder,
                                     PathFindFileNameA(path));
    fits = length > 0 && static_cast<std::size_t>(length) < DROP_PATH_SIZE;
  }
  if (fits && PathFileExistsA(destination)) {
    char question[PATH_BUFFER_SIZE + sizeof SHORTCUT_OVERWRITE_TAIL];
    std::snprintf(question, sizeof question, "%s%s", destination, SHORTCUT_OVERWRITE_TAIL);
    if (!Ask(dialog, question, SHORTCUT_CAPTION)) return false;
  }
  if (!fits || !CopyFileA(path, destination, FALSE)) {
    MessageBoxA(dialog, SHORTCUT_COPY_FAILED_TEXT, SHORTCUT_CAPTION, MB_OK | MB_ICONERROR);
    return false;
  }
  CopyTextWhole(path, DROP_PATH_SIZE, destination);
  return true;
}

// A dropped shortcut: its target, itself, or a copy of it. False when the drop is abandoned.
bool HandleShortcut(HWND dialog, char* path) {
  SHFILEINFOA info = {};
  info.dwAttributes = SFGAO_LINK;
  if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ATTRIBUTES) ||
      !(info.dwAttributes & SFGAO_LINK)) {
    return true;
  }
  if (Ask(dialog, SHORTCUT_TARGET_QUESTION, SHORTCUT_CAPTION, MB_DEFBUTTON2)) {
    ResolveShortcut(dialog, path);
    return true;
  }
  if (!Ask(dialog, SHORTCUT_COPY_QUESTION, SHORTCUT_CAPTION)) return true;
  return CopyShortcut(dialog, path);
}

void PlaceDroppedPath(HWND dialog, int type, const char* path) {
  switch (ChooseDropField(type, PathIsDirectoryA(path) != FALSE, path)) {
    case DropField::FileAskingAlways:
      // A folder is an unusual thing to run: asked even with an empty field, and no name.
      if (Ask(dialog, REPLACE_FILE_WITH_FOLDER_QUESTION, REPLACE_CAPTION)) {
        SetDlgItemTextA(dialog, IDC_FILE, path);
      }
      return;
    case DropField::Application:
      OfferToField(dialog, IDC_APPLICATION, REPLACE_APPLICATION_QUESTION, path);
      break;
    case DropField::File: {
      char text[DROP_PATH_SIZE + 2];
      if (!FileFieldText(type, FieldHasText(dialog, IDC_APPLICATION), path, text, sizeof text)) {
        return;
      }
      OfferToField(dialog, IDC_FILE,
                   type == CMD_APP ? REPLACE_FILE_QUESTION : REPLACE_FOLDER_QUESTION, text);
      break;
    }
  }
  FillNameFromPath(dialog, path);
}

void HandleDrop(HWND dialog, HDROP drop) {
  if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) != 1) return;
  SetForegroundWindow(dialog);
  UINT const length = DragQueryFileA(drop, 0, nullptr, 0);
  // A path longer than the field's buffer is not taken cut short: it would name another file.
  if (length == 0 || length >= DROP_PATH_SIZE) return;
  int const type = static_cast<int>(SendDlgItemMessageA(dialog, IDC_TYPE, CB_GETCURSEL, 0, 0));
  char path[DROP_PATH_SIZE] = {};
  if (DragQueryFileA(drop, 0, path, DROP_PATH_SIZE) != length) return;
  if (!HandleShortcut(dialog, path)) return;
  PlaceDroppedPath(dialog, type, path);
}

// The executable of process processId by the least access that asks for it, which an elevated
// or protected process grants too (where the process-status library's access is refused).
// Looked up at run time, for a system that lacks it.
bool LimitedQueryExecutable(DWORD processId, char (&path)[PATH_BUFFER_SIZE]) {
  using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, char*, DWORD*);
  auto queryImageName = reinterpret_cast<QueryImageName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA(KERNEL32_LIBRARY), QUERY_FULL_PROCESS_IMAGE_NAME)));
  if (queryImageName == nullptr) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  DWORD size = sizeof path;
  // The size comes back as the characters written, the terminator not counted.
  bool const found = queryImageName(process, 0, path, &size) && size > 0 && size < sizeof path;
  CloseHandle(process);
  if (!found) path[0] = '\0';
  return found;
}

// The executable of the process that owns window: by the limited query first, else through the
// process-status library on the NT family and tool-help on the other, all looked up at run time.
bool ProcessExecutable(HWND window, char (&path)[PATH_BUFFER_SIZE]) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (LimitedQueryExecutable(processId, path)) return true;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  bool found = false;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    HMODULE psapi = LoadSystemLibrary(PSAPI_LIBRARY);
    if (psapi == nullptr) return false;
    using EnumModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using ModuleFileName = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);
    auto enumModules = reinterpret_cast<EnumModules>(
        reinterpret_cast<void*>(GetProcAddress(psapi, PSAPI_ENUM_PROCESS_MODULES)));
    auto moduleFileName = reinterpret_cast<ModuleFileName>(
        reinterpret_cast<void*>(GetProcAddress(psapi, PSAPI_GET_MODULE_FILE_NAME_EX)));
    HANDLE process = nullptr;
    if (enumModules != nullptr && moduleFileName != nullptr) {
      process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    }
    if (process != nullptr) {
      // The first module of a process is its executable.
      HMODULE module = nullptr;
      DWORD needed = 0;
      found = enumModules(process, &module, sizeof module, &needed) &&
              moduleFileName(process, module, path, sizeof path) > 0;
      CloseHandle(process);
    }
    FreeLibrary(psapi);
  } else if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    HMODULE kernel = GetModuleHandleA(KERNEL32_LIBRARY);
    using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using Walk = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
    auto snapshot = reinterpret_cast<Snapshot>(
        reinterpret_cast<void*>(GetProcAddress(kernel, TOOLHELP_SNAPSHOT)));
    auto first = reinterpret_cast<Walk>(
        reinterpret_cast<void*>(GetProcAddress(kernel, TOOLHELP_PROCESS_FIRST)));
    auto next = reinterpret_cast<Walk>(
        reinterpret_cast<void*>(GetProcAddress(kernel, TOOLHELP_PROCESS_NEXT)));
    if (snapshot == nullptr || first == nullptr || next == nullptr) return false;
    HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(processes, &entry); more && !found; more = next(processes, &entry)) {
      // On that family the executable's name is its full path.
      if (entry.th32ProcessID == processId)
        found = CopyTextWhole(path, sizeof path, entry.szExeFile);
    }
    CloseHandle(processes);
  }
  return found;
}

void FinishPick(HWND dialog) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  HWND window = WindowFromPoint(cursor);
  if (window == nullptr) return;
  // Up through parents and owners to the window the user sees as the program's.
  for (HWND parent = GetParent(window); parent != nullptr; parent = GetParent(window)) {
    window = parent;
  }
  if (!IsWindow(window)) return;
  char own[PATH_BUFFER_SIZE] = {};
  DWORD const ownLength = GetModuleFileNameA(nullptr, own, sizeof own);
  if (ownLength == 0 || ownLength >= sizeof own) return;
  char program[PATH_BUFFER_SIZE] = {};
  // The editor's own windows name no program to start.
  if (!ProcessExecutable(window, program) || lstrcmpiA(program, own) == 0) return;
  char title[TITLE_SIZE] = {};
  GetWindowTextA(window, title, TITLE_COUNT);
  SetDlgItemTextA(dialog, IDC_NAME, title);
  SetDlgItemTextA(dialog, IDC_APPLICATION, program);
}

// Ends a pick with the capture let go and the arrow back; nothing is taken yet.
void EndPick(HWND dialog) {
  // Cleared first: letting the capture go sends WM_CAPTURECHANGED, which must find no pick.
  PickActive = FALSE;
  if (GetCapture() == dialog) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace

INT_PTR CommandEditOnDropFiles(HWND dialog, HDROP drop) {
  HandleDrop(dialog, drop);
  DragFinish(drop);
  return TRUE;
}

void CommandEditOnButtonDown(HWND dialog) {
  if (PickActive) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  RECT icon = {};
  GetWindowRect(GetDlgItem(dialog, IDC_DRAG_ICON), &icon);
  if (!PtInRect(&icon, cursor)) return;
  SetCapture(dialog);
  SetCursor(PickCursor);
  PickActive = TRUE;
}

void CommandEditOnButtonUp(HWND dialog) {
  if (!PickActive) return;
  EndPick(dialog);
  FinishPick(dialog);
}

void CommandEditOnLostCapture(HWND dialog) {
  if (PickActive) EndPick(dialog);
}
