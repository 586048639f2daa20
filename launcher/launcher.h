// The launcher's process-wide state and the routines its source files share.
//
// Ownership of the files:
//   main.cpp        LauncherMain, paths, settings, window class and creation, exit sequence
//   tray.cpp        global hot key, notification-area icon, its menu, menu commands
//   window.cpp      LauncherWndProc, typing and keys, painting, showing and hiding
//   run_command.cpp RunCommand and the seven command types
//   globals.cpp     the definitions of the globals below
#pragma once

#include <windows.h>

#include "commands.h"
#include "matching.h"

// Identifiers fixed by the launcher's design.
UINT const WM_TRAYNOTIFY = WM_USER + 183;  // notification-area icon callback (1207)
int const HOTKEY_ID = 64;                  // the one global hot key
UINT const TRAY_ICON_ID = 32;              // the one notification-area icon
UINT_PTR const HIDE_TIMER_ID = 1;          // hides the window after a command ran
// A second timer, deliberately beside the hide timer that was the launcher's only one: it
// retries adding the notification-area icon while the shell is not up yet (tray.cpp).
UINT_PTR const TRAY_RETRY_TIMER_ID = 2;
int const IDI_LAUNCHER = 101;              // icon resource (32, 16, 20, 24 pixels, 16 colours)
int const LAUNCHER_WIDTH = 240;            // window width in pixels at BASE_DPI
int const ROW_GAP = 4;                     // row pitch less the line height, at BASE_DPI
UINT const BASE_DPI = 96;                  // the scale the sizes above are given in

enum ExitActionValue {
  EXIT_ACTION_NONE = 0,      // just end
  EXIT_ACTION_SETTINGS = 1,  // start pimbosetting.exe after the loop
  EXIT_ACTION_RESTART = 2,   // start pimbo.exe again after the loop
};

// Process-wide state, used only by the main thread (defined in globals.cpp).
extern HINSTANCE Instance;            // GetModuleHandleA(NULL), taken first
extern HANDLE ProcessHeap;            // heap of every dynamic record of the launcher
extern HANDLE InstanceMutex;          // single-instance mutex; null once closed
extern char IniPath[MAX_PATH];        // full path of pimbo.ini
extern int LineHeight;                // SM_CYSMCAPTION at the window's dpi: the font height
extern WORD HotKey;                   // "hot key": high byte modifiers, low byte virtual key
extern COLORREF TextColor;            // "FGColor"
extern COLORREF BackgroundColor;      // "BGColor"
extern BYTE HideTime;                 // "HIDE TIME"
extern int NoTray;                    // "NoTray": nonzero hides the notification-area icon
extern int ExitAction;                // ExitActionValue to carry out after the loop
extern HFONT LauncherFont;            // input line font, deleted in the exit sequence
extern HICON TrayIcon;                // icon 101 at the system's small icon size
extern HIMC SavedImeContext;          // input method detached from the window at creation
extern RECT StoredRect;               // window rectangle at the place the settings give
extern RECT BaseRect;                 // StoredRect, or moved onto a monitor (PlaceLauncherWindow)
extern UINT TaskbarCreatedMsg;        // registered "TaskbarCreated" message
extern CommandList Commands;          // configured commands, in file order
extern char InputText[INPUT_TEXT_SIZE];  // typed text, or the display line after a launch
extern Candidate* CandidateList;      // commands listed under the input line
extern UINT_PTR HideTimerId;          // pending hide timer, 0 when none

// main.cpp
[[noreturn]] void LauncherMain();
void BuildLauncherPaths(char* editorPath);  // editorPath: null or at least 261 bytes
void SetUpLauncherWindow(HWND window);
void TearDownLauncherWindow(HWND window);
LRESULT LauncherOnCreate(HWND window);
LRESULT LauncherOnDestroy(HWND window);

// tray.cpp
BOOL SetLauncherHotKey(HWND window, BOOL enable);
BOOL NotifyTrayIcon(HWND window, DWORD message, UINT id, HICON icon, const char* tip);
LRESULT LauncherOnTrayNotify(HWND window, LPARAM mouseMessage);
LRESULT LauncherOnCommand(HWND window, WPARAM wParam);
LRESULT LauncherOnTaskbarCreated(HWND window);
void AddTrayIcon(HWND window);
void RetryTrayIcon(HWND window);

// window.cpp
LRESULT CALLBACK LauncherWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void PresentLauncherWindow(HWND window);
void ResizeToRows(HWND window, int rows);
void PlaceLauncherWindow();
void TakeSystemScale();
UINT LauncherWindowDpi(HWND window);
void ScaleLauncherWindow(HWND window, UINT dpi);
int LauncherWidth();
int RowPitch();

// run_command.cpp
void RunCommand(HWND window, UINT_PTR* hideTimerId, char* inputText, CommandRecord* command);
