// Every text that the command checks of the settings editor show, with the captions of their
// boxes. Literals are UTF-8 in this file and code page 932 in the program
// (-fexec-charset=CP932); the blanks before the line ends are part of the texts.
#pragma once

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
