// Resource and control identifiers of the settings editor; shared by setting.rc and the code.
#pragma once

// Icon, cursor and bitmaps.
#define IDI_APP 101
#define IDB_DRAG_ICON 103
#define IDC_PICK 107
#define IDB_TYPE_ICONS 110
#define IDB_POSITION_SMALL 112
#define IDB_POSITION_DRAG 113
// Bitmaps 110 and 103 with every pixel doubled, drawn from above 96 dpi.
#define IDB_TYPE_ICONS_2X 210
#define IDB_DRAG_ICON_2X 203

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

// Controls of the command edit dialog.
#define IDC_NAME 1007
#define IDC_KEY 1008
#define IDC_APPLICATION 1010
#define IDC_BROWSE_APPLICATION 1014
#define IDC_BROWSE_FILE 1015
#define IDC_FILE 1016
#define IDC_SECOND_LABEL 1017
#define IDC_TYPE_LABEL 1018
#define IDC_TYPE 1019
#define IDC_FIRST_LABEL 1020
#define IDC_OPERATION 1023
#define IDC_DRAG_ICON 1024
#define IDC_KEEP_IN_FRONT 1037
