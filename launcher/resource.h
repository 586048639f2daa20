// Resource and menu-command identifiers of the launcher; shared by launcher.rc and the code.
#pragma once

// Icon 101 (32 x 32, 16 colours); the code knows it as IDI_LAUNCHER (launcher.h).
#define IDI_LAUNCHER_ICON 101

// Notification-area menu commands (WM_COMMAND, low word of wParam).
#define IDM_ABOUT 40001
#define IDM_EXIT 40002
#define IDM_SETTINGS 40003
#define IDM_HOMEPAGE 40004
#define IDM_RESTART 40006
