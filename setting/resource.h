// Resource and control identifiers of the settings editor; shared by setting.rc and the code.
#pragma once

// Icon, cursor and bitmaps.
#define IDI_APP 101
#define IDB_DRAG_ICON 103
#define IDC_PICK 107
#define IDB_TYPE_ICONS 110
#define IDB_POSITION_SMALL 112
#define IDB_POSITION_DRAG 113

// Dialogs.
#define IDD_COMMAND_EDIT 104
#define IDD_SETTINGS 129

// Controls of the settings dialog.
#define IDC_HOT_KEY 1000
#define IDC_COMMAND_LIST 1002
#define IDC_NEW 1003
#define IDC_MODIFY 1004
#define IDC_DELETE 1005
#define IDC_TEXT_COLOUR 1026
#define IDC_BACKGROUND_COLOUR 1027
#define IDC_HIDE_TIME 1029
#define IDC_POSITION 1031
#define IDC_CENTRE 1032
#define IDC_NO_TRAY 1035
