// Every text the settings editor shows or hands to the system, in one place. Literals are
// UTF-8 in this file and code page 932 in the program (-fexec-charset=CP932).
#pragma once

// Start-up.
inline constexpr char ALREADY_RUNNING_TEXT[] =
    "既にPimboが起動しています。Pimboの設定メニューをクリックしてください。";
inline constexpr char ALREADY_RUNNING_CAPTION[] = "Information";
inline constexpr char COMMON_CONTROLS_FAILED_TEXT[] = "コモンコントロールの初期化に失敗しました。";
inline constexpr char COMMON_CONTROLS_FAILED_CAPTION[] = "Error";
inline constexpr char COMCTL32_LIBRARY[] = "COMCTL32.DLL";
inline constexpr char COMCTL32_INIT_EX[] = "InitCommonControlsEx";

// Saving: the file stays as it was, and the user may try again (after making the file
// writable, say) or leave without saving.
inline constexpr char SAVE_FAILED_TEXT[] =
    "設定を保存できませんでした。\r\n\r\n"
    "pimbo.ini が読み取り専用になっていないか、フォルダに書き込めるかを確かめてください。\r\n"
    "［再試行］でもう一度保存し、［キャンセル］で保存せずに終了します。";
inline constexpr char SAVE_FAILED_CAPTION[] = "Pimbo";

// Settings dialog.
inline constexpr char SETTINGS_TITLE[] = "Pimbo 設定";
inline constexpr char EDIT_DIALOG_TITLE[] = "Pimbo コマンド";
inline constexpr char CENTRE_QUESTION[] = "表示位置を画面の中心に設定します";
inline constexpr char CENTRE_CAPTION[] = "Pimbo";
inline constexpr char DELETE_QUESTION[] = "選択されたアイテムを削除てもよろしいですか？     \r\n";
inline constexpr char DELETE_CAPTION[] = "確認";
inline constexpr char NO_TRAY_WARNING[] =
    "Pimbo制御コマンドを登録せずにタスクトレイに入らないと、Pimboを終了できなくなります。";
inline constexpr char NO_TRAY_CAPTION[] = "pimbo";

// "HIDE TIME" entries, in the order of their values.
inline constexpr const char* HIDE_TIME_TEXTS[] = {
    "起動前", "起動後すぐ", "起動後１秒後", "起動後２秒後", "起動後３秒後",
};

// Command list: column titles by column index, and operation texts by command type.
inline constexpr const char* COLUMN_TITLES[] = {
    "キー", "名前", "オペレーション", "ファイル/フォルダ",
};
inline constexpr const char* OPERATION_TEXTS[] = {
    "アプリケーション起動", "フォルダオープン", "WINDOWS の終了", "スクリーンセーバ起動",
    "Pimbo 制御", "ごみ箱を空にする", "デスクトップにフォルダ作成",
};
inline constexpr char ELLIPSIS[] = "...";
inline constexpr char SYSTEM_ICON_PROBE_PATH[] = "C:\\";
