// Every text the settings editor shows or hands to the system, in one place. Literals are
// UTF-8 in this file and code page 932 in the program (-fexec-charset=CP932).
#pragma once

// Start-up.
inline constexpr char ALREADY_RUNNING_TEXT[] =
    "既にPimboが起動しています。Pimboの設定メニューをクリックしてください。";
inline constexpr char ALREADY_RUNNING_CAPTION[] = "Information";
inline constexpr char COMMON_CONTROLS_FAILED_TEXT[] = "コモンコントロールの初期化に失敗しました。";
inline constexpr char COMMON_CONTROLS_FAILED_CAPTION[] = "Error";

// Saving: the file stays as it was, and the user may try again (after making the file
// writable, say) or leave without saving.
inline constexpr char SAVE_FAILED_TEXT[] =
    "設定を保存できませんでした。\r\n\r\n"
    "pimbo.ini は元のまま残っています。\r\n"
    "pimbo.ini が読み取り専用になっていないか、ほかのプログラムが開いたままにしていないか、"
    "フォルダに書き込めるかを確かめてください。\r\n"
    "［再試行］でもう一度保存し、［キャンセル］で保存せずに終了します。";
inline constexpr char SAVE_FAILED_CAPTION[] = "Pimbo";

// Reading a Unicode pimbo.ini that holds characters code page 932 has no form for (an emoji,
// a Korean name): they show as other characters here but are written back as they were.
inline constexpr char KEPT_CHARACTERS_TEXT[] =
    "pimbo.ini には、この画面で表示できない文字（絵文字など）が含まれています。\r\n\r\n"
    "それらの文字は別の記号で表示されますが、保存するときは元の文字のまま書き戻します。";
inline constexpr char KEPT_CHARACTERS_CAPTION[] = "Information";
// The same when there are more such characters than the editor can keep: it will not save.
inline constexpr char TOO_MANY_CHARACTERS_TEXT[] =
    "pimbo.ini には、この画面で表示できない文字（絵文字など）が多すぎるため、"
    "保存すると文字が失われます。\r\n\r\n"
    "この設定を［OK］で閉じても pimbo.ini には保存しません。"
    "テキストエディタで直接編集してください。";
inline constexpr char TOO_MANY_CHARACTERS_CAPTION[] = "警告";
inline constexpr char NOT_SAVED_TEXT[] =
    "pimbo.ini には保存できない文字が含まれているため、設定を保存しませんでした。"
    "pimbo.ini は元のまま残っています。";
inline constexpr char NOT_SAVED_CAPTION[] = "警告";

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

// Command list: column titles by column index.
inline constexpr const char* COLUMN_TITLES[] = {
    "キー", "名前", "オペレーション", "ファイル/フォルダ",
};
// The command types as the type list and the list's operation column name them (the table in
// command_types.h puts each with its type).
inline constexpr char APP_TYPE_TEXT[] = "アプリケーション起動";
inline constexpr char FOLDER_TYPE_TEXT[] = "フォルダオープン";
inline constexpr char EXIT_WINDOWS_TYPE_TEXT[] = "WINDOWS の終了";
inline constexpr char SCREENSAVER_TYPE_TEXT[] = "スクリーンセーバ起動";
inline constexpr char CONTROL_TYPE_TEXT[] = "Pimbo 制御";
inline constexpr char EMPTY_RECYCLE_BIN_TYPE_TEXT[] = "ごみ箱を空にする";
inline constexpr char DESKTOP_FOLDER_TYPE_TEXT[] = "デスクトップにフォルダ作成";
inline constexpr char ELLIPSIS[] = "...";
inline constexpr char SYSTEM_ICON_PROBE_PATH[] = "C:\\";

// ---- The checks of an edited command, with the captions of their boxes (the blanks before
// the line ends are part of the texts).

// Captions of the three kinds of box.
inline constexpr char COMMAND_ERROR_CAPTION[] = "PIMBO LAUNCHER コマンド エラー";
inline constexpr char COMMAND_WARNING_CAPTION[] = "警告";
inline constexpr char COMMAND_CHARACTER_ERROR_CAPTION[] = "Error";

// Name and launch key.
inline constexpr char NAME_TOO_LONG_TEXT[] =
    "名前が長すぎます。              \r\n\r\n２５５文字までの名前にしてください。";
inline constexpr char NAME_MISSING_TEXT[] = "名前を入力してください。            \r\n";
inline constexpr char KEY_TOO_LONG_TEXT[] =
    "起動キーが長すぎます。              \r\n\r\n３２文字までの名前にしてください。";
inline constexpr char KEY_MISSING_TEXT[] = "起動キーを入力してください。            \r\n";
inline constexpr char KEY_FULL_WIDTH_TEXT[] = "起動キーに全角文字は使えません。            \r\n";
// A CR or LF would split the line of pimbo.ini that holds the text, a TAB and the other
// control bytes would be stored where no one sees them.
inline constexpr char CONTROL_CHARACTER_TEXT[] =
    "名前、起動キー、パスに改行やタブなどの制御文字は使えません。\r\n";

// Launch-key conflicts; %s is the new key (duplicate) or the stored key (warnings).
inline constexpr char KEY_DUPLICATE_FORMAT[] = "起動キー \"%s\" は既に登録されています。        \r\n";
inline constexpr char KEY_MAKES_OTHER_UNUSABLE_FORMAT[] =
    "この起動キーの登録によって、起動キー「%s」が無効になります。\r\n";
inline constexpr char KEY_UNUSABLE_BECAUSE_FORMAT[] =
    "この起動キーは、起動キー「%s」があるために無効になります。\r\n";

// Operands by type.
inline constexpr char APPLICATION_TOO_LONG_TEXT[] = "起動するｱﾌﾟﾘｹｰｼｮﾝのファイル名が長すぎます。\r\n";
inline constexpr char FILE_TOO_LONG_TEXT[] =
    "ファイル名が長すぎます。                        \r\n\r\n２５５文字までのファイル名にしてください。";
inline constexpr char APPLICATION_OR_FILE_MISSING_TEXT[] =
    "ｱﾌﾟﾘｹｰｼｮﾝ名またはﾌｧｲﾙ名を指定してください。\r\n";
inline constexpr char CHOOSE_FROM_LIST_TEXT[] = "コンボボックスから選択してください。";
inline constexpr char FOLDER_TOO_LONG_TEXT[] =
    "フォルダ名が長すぎます。                        \r\n\r\n２５５文字までのファイル名にしてください。";
inline constexpr char FOLDER_MISSING_TEXT[] = "オープンするフォルダを指定してください。              \r\n";
inline constexpr char NOT_A_FOLDER_FORMAT[] = "%s はフォルダではありません。";
// Lists ten of the refused characters; the slash is refused too.
inline constexpr char FOLDER_NAME_CHARACTERS_TEXT[] =
    "フォルダ名には次の文字は使えません。\r\n            \\ : , ; * ? \" < > |";

// The sub-operation index as the exe text stores it.
inline constexpr char OPERATION_CODE_FORMAT[] = "%d";

// ---- The command edit dialog.
inline constexpr char COMBO_FAILED_TEXT[] = "コンボボックスの初期化に失敗しました。";
inline constexpr char COMBO_FAILED_CAPTION[] = "Error";
// Labels of the two operand fields (command_types.h says which type shows which); the empty
// label hides nothing, it only says that the type has no such operand.
inline constexpr char APPLICATION_LABEL[] = "アプリケーション";
inline constexpr char OPEN_TYPE_LABEL[] = "オープンタイプ";
inline constexpr char EXIT_METHOD_LABEL[] = "終了方法";
inline constexpr char CONTROL_ACTION_LABEL[] = "Pimbo 動作";
inline constexpr char FOLDER_NAME_LABEL[] = "フォルダ名";
inline constexpr char OPEN_FILE_LABEL[] = "開くファイル";
inline constexpr char OPEN_FOLDER_LABEL[] = "開くフォルダ";
inline constexpr char NO_OPERAND_LABEL[] = "";
// Sub-operations, by item index (the number stored in "command exe").
inline constexpr const char* FOLDER_OPERATION_TEXTS[] = {"オープン", "エクスプローラ"};
inline constexpr const char* EXIT_OPERATION_TEXTS[] = {
    "シャットダウン", "リブート", "ログオフ", "終了ダイアログ表示",
};
inline constexpr const char* CONTROL_OPERATION_TEXTS[] = {
    "Pimbo ダイアログ起動", "Pimbo 終了", "Pimbo 再起動", "Pimbo 強制再起動",
};
// Choosers: "|" stands for the zero bytes between the filter's parts.
inline constexpr char CHOOSE_APPLICATION_TITLE[] = "ｱﾌﾟﾘｹｰｼｮﾝを指定";
inline constexpr char CHOOSE_APPLICATION_FILTER[] = "ｱﾌﾟﾘｹｰｼｮﾝ (*.exe)|*.exe|ALL (*.*)|*.*||";
inline constexpr char CHOOSE_APPLICATION_EXTENSION[] = "exe";
inline constexpr char CHOOSE_FILE_TITLE[] = "ﾌｧｲﾙを指定";
inline constexpr char CHOOSE_FILE_FILTER[] = "ALL (*.*)|*.*||";
inline constexpr char CHOOSE_FOLDER_TITLE[] = "ﾌｫﾙﾀﾞを指定";

// ---- Drops, shortcuts and the window pick of the command edit dialog.
inline constexpr char REPLACE_CAPTION[] = "確認";
inline constexpr char REPLACE_APPLICATION_QUESTION[] = "起動するアプリケーションを置き換えますか？";
inline constexpr char REPLACE_FILE_QUESTION[] = "実行するファイルを置き換えますか？";
inline constexpr char REPLACE_FILE_WITH_FOLDER_QUESTION[] =
    "実行するファイルの欄をこのフォルダに置き換えますか？";
inline constexpr char REPLACE_FOLDER_QUESTION[] = "開くフォルダを置き換えますか？";
inline constexpr char SHORTCUT_CAPTION[] = "Pimbo";
inline constexpr char SHORTCUT_TARGET_QUESTION[] =
    "ショートカットの指すファイルを登録しますか？\r\n\r\n"
    "「はい」：ショートカットの指すファイルの実体を登録\r\n「いいえ」：ショートカットを登録";
inline constexpr char SHORTCUT_COPY_QUESTION[] =
    "ショートカットのコピーを作成しますか？\r\n\r\n"
    "「はい」：ショートカットのコピーを作成しそれを登録\r\n「いいえ」：ショートカットをそのまま登録";
inline constexpr char SHORTCUT_OVERWRITE_TAIL[] = " はすでに存在します。\r\n上書きしますか？";
inline constexpr char SHORTCUT_COPY_FAILED_TEXT[] = "ファイルのコピーに失敗しました";
inline constexpr char SHORTCUTS_FOLDER_FORMAT[] = "%s\\shortcuts";
inline constexpr char PSAPI_LIBRARY[] = "PSAPI.DLL";
inline constexpr char PSAPI_ENUM_PROCESS_MODULES[] = "EnumProcessModules";
inline constexpr char PSAPI_GET_MODULE_FILE_NAME_EX[] = "GetModuleFileNameExA";
inline constexpr char KERNEL32_LIBRARY[] = "kernel32.dll";
inline constexpr char QUERY_FULL_PROCESS_IMAGE_NAME[] = "QueryFullProcessImageNameA";
inline constexpr char TOOLHELP_SNAPSHOT[] = "CreateToolhelp32Snapshot";
inline constexpr char TOOLHELP_PROCESS_FIRST[] = "Process32First";
inline constexpr char TOOLHELP_PROCESS_NEXT[] = "Process32Next";
