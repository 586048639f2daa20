// The settings editor's entry: single instance, paths, common controls, loading, the settings
// dialog, saving after OK, and the hand-over to the launcher in every case but a refused start.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "configuration.h"
#include "editor.h"
#include "system_calls.h"
#include "resource.h"
#include "texts.h"

namespace {

// The classes of the editor's dialogs: the list view (and its header), the hot-key control and
// the extended combo boxes of the command edit dialog. The manifest binds the common controls
// 6 from the system's side-by-side store, so the call is imported directly: looked up in a
// library loaded by its system path it would register the classes of the old controls.
void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX classes = {};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS | ICC_USEREX_CLASSES;
  if (!InitCommonControlsEx(&classes)) {
    MessageBoxA(nullptr, COMMON_CONTROLS_FAILED_TEXT, COMMON_CONTROLS_FAILED_CAPTION,
                MB_OK | MB_ICONWARNING);
  }
}

// Settings as a missing file gives them.
void DefaultSettings(Settings* settings) {
  settings->hotKey = DEFAULT_HOT_KEY;
  settings->textColor = GetSysColor(COLOR_BTNTEXT);
  settings->backgroundColor = GetSysColor(COLOR_WINDOW);
  settings->x = DEFAULT_POINT;
  settings->y = DEFAULT_POINT;
  settings->hideTime = DEFAULT_HIDE_TIME;
  settings->noTray = DEFAULT_NO_TRAY;
}

// Reads pimbo.ini once, settings and commands, and says so once when the file holds characters
// that this program's code page cannot show.
void LoadEditorConfiguration() {
  Settings defaults{};
  DefaultSettings(&defaults);
  CurrentSettings = defaults;
  if (IniPath[0] == '\0') return;
  ConfigurationFile file;
  LoadConfiguration(IniPath, defaults, &CurrentSettings, &Commands, &file);
  if (!file.complete) {
    MessageBoxA(nullptr, TOO_MANY_CHARACTERS_TEXT, TOO_MANY_CHARACTERS_CAPTION,
                MB_OK | MB_ICONWARNING);
  } else if (file.keptCharacters > 0) {
    MessageBoxA(nullptr, KEPT_CHARACTERS_TEXT, KEPT_CHARACTERS_CAPTION,
                MB_OK | MB_ICONINFORMATION);
  }
}

// The settings and the commands in one replacement of the file. A failed save must not pass
// for one: the user may retry (after freeing the file, say) or leave with the old file as it
// was.
void SaveEditorConfiguration() {
  for (;;) {
    ConfigurationSave const result =
        IniPath[0] != '\0' ? SaveConfiguration(IniPath, &CurrentSettings, Commands)
                           : CONFIGURATION_NOT_SAVED;
    if (result == CONFIGURATION_SAVED) return;
    if (result == CONFIGURATION_WOULD_LOSE) {
      MessageBoxA(nullptr, NOT_SAVED_TEXT, NOT_SAVED_CAPTION, MB_OK | MB_ICONWARNING);
      return;
    }
    if (MessageBoxA(nullptr, SAVE_FAILED_TEXT, SAVE_FAILED_CAPTION,
                    MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
      return;
    }
  }
}

}  // namespace

void BuildEditorPaths() {
  char modulePath[PATH_BUFFER_SIZE] = {};
  DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  // A path cut to fit the buffer names some other folder: then there is no file of ours.
  if (length == 0 || length >= sizeof modulePath) return;
  char* name = FileNamePart(modulePath);
  if (name == modulePath) return;  // no backslash: no folder to cut from
  name[-1] = '\0';
  if (!FormatDirectoryPath(modulePath, "%s", ModuleDir, sizeof ModuleDir) ||
      !FormatDirectoryPath(ModuleDir, INI_FILE_FORMAT, IniPath, sizeof IniPath) ||
      !FormatDirectoryPath(ModuleDir, LAUNCHER_FILE_FORMAT, LauncherPath, sizeof LauncherPath)) {
    ModuleDir[0] = IniPath[0] = LauncherPath[0] = '\0';
  }
}

int EditorMain() {
  RestrictDllSearch();
  WarnUnlessCodePage932(CodePageWarning::Wait);
  Instance = GetModuleHandleA(nullptr);

  // Cleared first so that only this call can leave ERROR_ALREADY_EXISTS behind.
  SetLastError(ERROR_SUCCESS);
  InstanceMutex = CreateMutexA(nullptr, TRUE, MUTEX_NAME);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    MessageBoxA(nullptr, ALREADY_RUNNING_TEXT, ALREADY_RUNNING_CAPTION,
                MB_OK | MB_ICONINFORMATION);
    if (InstanceMutex != nullptr) CloseHandle(InstanceMutex);
    return 1;
  }

  BuildEditorPaths();
  InitialiseCommonControls();
  AppIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IDI_APP));
  PickCursor = LoadCursorA(Instance, MAKEINTRESOURCEA(IDC_PICK));

  LoadEditorConfiguration();

  INT_PTR const result = DialogBoxParamA(Instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                         SettingsDialogProc, 0);
  if (result == SETTINGS_OK) SaveEditorConfiguration();
  // The dialog relinked the list from its rows at OK and Cancel alike.
  FreeCommandList(&Commands);

  if (InstanceMutex != nullptr) {
    CloseHandle(InstanceMutex);
    InstanceMutex = nullptr;
  }
  if (LauncherPath[0] != '\0') {
    StartProgramInItsFolder(LauncherPath);
  }
  return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return EditorMain(); }
