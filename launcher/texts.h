// Every text the launcher shows or hands to the system, in one place (the names it shares with
// the settings editor are in shared.h). Literals are UTF-8 in this file and code page 932 in
// the program (-fexec-charset=CP932).
#pragma once

#include "pimbo_version.h"

// Names the launcher is known by.
inline constexpr char WINDOW_CLASS_NAME[] = "Pimbo Main Window";
inline constexpr char WINDOW_TITLE[] = "Pimbo";
inline constexpr char TRAY_TIP[] = "Pimbo";
inline constexpr char TASKBAR_CREATED[] = "TaskbarCreated";
// The input line's font: the raster FixedSys at 96 dpi, where it was drawn for; a scalable
// monospaced Japanese font at every other scale. Wide, so that the face is found by its name
// whatever the process's code page.
inline constexpr wchar_t LAUNCHER_FONT_FACE[] = L"FixedSys";
inline constexpr wchar_t LAUNCHER_SCALABLE_FONT_FACE[] = L"ＭＳ ゴシック";
inline constexpr char LAUNCHER_FILE_TAIL[] = "\\pimbo.exe";
inline constexpr char HOME_PAGE_URL[] = "https://pimbo.example.org/";

// Hot key.
inline constexpr char HOTKEY_FAILED_TEXT[] =
    "ホットキーの設定に失敗しました。\r\n\r\n他のアプリケーションが使っている可能性があります。";
inline constexpr char HOTKEY_FAILED_CAPTION[] = "Pimbo";

// Notification-area menu.
inline constexpr char MENU_ABOUT[] = "ﾊﾞｰｼﾞｮﾝ情報(&A)";
inline constexpr char MENU_HOMEPAGE[] = "ﾎｰﾑﾍﾟｰｼﾞ(&W)";
inline constexpr char MENU_RESTART[] = "Pimbo 再起動(&R)";
inline constexpr char MENU_SETTINGS[] = "設定(&O)";
inline constexpr char MENU_EXIT[] = "終了(&Q)";

// About box: the version line keeps its 25 trailing blanks.
inline constexpr char ABOUT_TEXT[] = "Pimbo launcher ver" PIMBO_VERSION_TEXT "                         ";
inline constexpr char ABOUT_CAPTION[] = "ﾊﾞｰｼﾞｮﾝ情報";

// Ending the Windows session.
inline constexpr char EXITWIN_CAPTION_PREFIX[] = "Pimbo - ";
inline constexpr char EXITWIN_QUESTION_FORMAT[] = "%s しますか？";
inline constexpr char EXITWIN_LABEL_SHUTDOWN[] = "シャットダウン";
inline constexpr char EXITWIN_LABEL_REBOOT[] = "リブート";
inline constexpr char EXITWIN_LABEL_LOGOFF[] = "ログオフ";
inline constexpr char SHUTDOWN_PRIVILEGE[] = "SeShutdownPrivilege";
// The account may not shut the computer down or restart it (no shut-down privilege).
inline constexpr char EXITWIN_DENIED_TEXT[] =
    "このユーザーには Windows を終了する権限がないため、終了できませんでした。";

// Verbs and libraries bound at run time.
inline constexpr char VERB_OPEN[] = "open";
inline constexpr char VERB_EXPLORE[] = "explore";
inline constexpr char OLE32_LIBRARY[] = "ole32.dll";
inline constexpr char OLE32_CO_CREATE_INSTANCE[] = "CoCreateInstance";
inline constexpr char SHELL32_LIBRARY[] = "shell32.dll";
inline constexpr char SHELL32_EMPTY_RECYCLE_BIN[] = "SHEmptyRecycleBinA";
inline constexpr char SHELL32_UPDATE_RECYCLE_BIN_ICON[] = "SHUpdateRecycleBinIcon";
