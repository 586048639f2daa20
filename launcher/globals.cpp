// The launcher's process-wide state: one definition of each global that launcher.h declares.
#include "launcher.h"

HINSTANCE Instance = nullptr;
HANDLE ProcessHeap = nullptr;
HANDLE InstanceMutex = nullptr;
char IniPath[MAX_PATH] = "";
int LineHeight = 0;
WORD HotKey = DEFAULT_HOT_KEY;
COLORREF TextColor = 0;
COLORREF BackgroundColor = 0;
BYTE HideTime = DEFAULT_HIDE_TIME;
int NoTray = DEFAULT_NO_TRAY;
int ExitAction = EXIT_ACTION_NONE;
HFONT LauncherFont = nullptr;
HICON TrayIcon = nullptr;
HIMC SavedImeContext = nullptr;
RECT StoredRect = {};
RECT BaseRect = {};
UINT TaskbarCreatedMsg = 0;
CommandList Commands;
char InputText[INPUT_TEXT_SIZE] = "";
Candidate* CandidateList = nullptr;
UINT_PTR HideTimerId = 0;
