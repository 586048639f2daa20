// The settings editor's process-wide state and the routines its source files share.
//
// Ownership of the files:
//   main.cpp             EditorMain: single instance, paths, common controls, load, save,
//                        hand-over to the launcher
//   settings_dialog.cpp  SettingsDialogProc: hot key, hide time, colours, position, commands
//   command_list.cpp     the command list view: columns, rows, sorting, drawing
//   command_edit_dialog.cpp  EditCommand: one command's fields, choosers, OK
//   command_types.h      what each command type is: label, sub-operations, fields, icon, checks
//   drop_and_pick.cpp    dropped files and shortcuts, the window pick
//   validation.cpp       the window-free checks of an edited command
//   command_rows.cpp     the list's window-free rules (comparison, shortening)
//   scale.cpp            the scale of a window's monitor, sizes at that scale
//   globals.cpp          the definitions of the globals below
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "commands.h"
#include "settings.h"
#include "shared.h"

// What the settings dialog ends with (its DialogBoxParamA result).
INT_PTR const SETTINGS_OK = 1;      // OK: the settings and commands are saved
INT_PTR const SETTINGS_CANCEL = 2;  // Cancel or close: nothing is saved
// What the command edit dialog ends with.
INT_PTR const EDIT_OK = 1;          // OK after the checks passed: a new record was made
INT_PTR const EDIT_CANCEL = 2;      // Cancel, close, or a type list that could not be filled

// What the settings dialog asks of the command edit dialog.
struct CommandEditRequest {
  HWND listView;  // the command list; the new launch key is checked against its rows' keys
  int row;        // the row whose command is changed; -1 for a new command
};

// What the command edit dialog gives back.
struct CommandEditResult {
  CommandRecord* record;  // on OK the new record, owned by the caller from then on; else null
};

// The private message that takes the dialog out of the topmost band again after it was
// brought to the front once at its start.
UINT const WM_SETTINGS_UNTOPMOST = WM_APP + 0x84;

// Process-wide state, used only by the main thread (defined in globals.cpp).
extern HINSTANCE Instance;                 // for resources and dialog boxes
extern HANDLE InstanceMutex;               // single-instance mutex; may be null
extern char ModuleDir[PATH_BUFFER_SIZE];   // folder of pimbosetting.exe, no trailing backslash
extern char IniPath[PATH_BUFFER_SIZE];     // ModuleDir\pimbo.ini
extern char LauncherPath[PATH_BUFFER_SIZE];  // ModuleDir\pimbo.exe, started at the end
extern HICON AppIcon;                      // icon 101, the dialog's large and small icon
extern HCURSOR PickCursor;                 // cursor 107, shown during a window pick
extern Settings CurrentSettings;           // the settings keys, edited in place
// The configured commands. Owned by the list until the settings dialog fills its rows; from
// then until OK or Cancel the rows own the records and these links are stale.
extern CommandList Commands;

// Settings dialog state.
extern HWND CommandListView;        // list view 1002
extern HIMAGELIST TypeImages;       // bitmap 110: type icons of the rows, kept to the end
extern HIMAGELIST DragImage;        // bitmap 113: the position drag image, kept to the end
extern BOOL PositionDragActive;     // the position picture is being dragged
extern POINT DragGrabOffset;        // where the picture was grabbed, in its client coordinates
extern HCURSOR SavedCursor;         // cursor hidden by the drag; null outside one
extern int SortAscending;           // direction of the next header sort

// settings_dialog.cpp
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
int ChooseSettingsColour(HWND dialog, int which);
void ReadSettingsControls(HWND dialog);
int HasControlCommand();

// command_edit_dialog.cpp
// Runs the command edit dialog over owner for request; true, with result->record set, when the
// user ended it with OK. The request and result travel to the dialog through its lParam.
bool EditCommand(HWND owner, const CommandEditRequest& request, CommandEditResult* result);
// Puts the base name of path, without its extension, into the name field when it is empty.
void FillNameFromPath(HWND dialog, const char* path);

// drop_and_pick.cpp: dropped files and shortcuts, and the window pick, of the edit dialog
INT_PTR CommandEditOnDropFiles(HWND dialog, HDROP drop);
void CommandEditOnButtonDown(HWND dialog);
void CommandEditOnButtonUp(HWND dialog);
// The mouse capture lost in the middle of a pick (WM_CAPTURECHANGED, WM_CANCELMODE): the pick
// ends with nothing taken.
void CommandEditOnLostCapture(HWND dialog);

// command_list.cpp
void SetUpCommandColumns(HWND listView);
// Loads the type pictures at the list's scale and makes them its small image list, which sets
// the rows' height.
void LoadTypeImages(HWND listView);
void SetColumnDisplayOrder(HWND listView);
void FillCommandRows(HWND listView);
void SetCommandRow(HWND listView, CommandRecord* record, int index, int replace);
// Answers the list view's LVN_GETDISPINFO: a row's text, from its record.
void CommandRowText(NMLVDISPINFOA* request);
// Drops the icon kept for a row's record; called before the record is freed.
void ForgetRowIcon(const CommandRecord* record);
int FirstSelectedRow(HWND listView);
void DeleteSelectedRows(HWND listView);
CommandRecord* RowRecord(HWND listView, int row);
void RelinkCommandListFromRows(HWND listView);
void SortCommandRows(HWND listView, int column);
int CALLBACK CompareCommandRows(LPARAM a, LPARAM b, LPARAM order);
BOOL DrawCommandRow(HWND listView, HIMAGELIST typeImages, UINT controlId,
                    const DRAWITEMSTRUCT* item);

// scale.cpp: the scale of the monitor a window is on. Sizes of the design are pixels at 96 dpi
// (BASE_DPI), where everything is drawn exactly as given.
UINT const BASE_DPI = 96;
// The window's dots per inch: its monitor's with per-monitor awareness, else the system's.
UINT WindowDpi(HWND window);
// A size given in pixels at 96 dpi, in pixels at dpi.
int ScaleToDpi(int pixelsAt96, UINT dpi);
// The system's small icon size at dpi (SM_CXSMICON).
int SmallIconSize(UINT dpi);
// A bitmap of width by height pixels: the bitmap as it is when it is drawn at that size, else
// with its pixels repeated or left out evenly. The caller owns it.
HBITMAP LoadBitmapAtSize(int bitmapId, int width, int height);
// An image list of count images of width by height pixels from a bitmap of images side by
// side: as the bitmap is when it is drawn at that size, else with its pixels repeated or left
// out evenly. mask is the colour that shows the background. The caller owns the list.
HIMAGELIST LoadImagesAtSize(int bitmapId, int count, int width, int height, COLORREF mask);
