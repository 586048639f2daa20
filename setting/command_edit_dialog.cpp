// The command edit dialog: name, launch key, command type and the operands of that type for
// one command; choosers for files and folders; on OK the checks, then a new CommandRecord in
// the caller's CommandEditResult. What it shows for each type comes from command_types.h.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "command_types.h"
#include "drop_rules.h"
#include "editor.h"
#include "resource.h"
#include "texts.h"
#include "validation.h"

namespace {

// The pick picture's size as drawn for 96 dpi (drag_icon.txt).
int const PICK_PICTURE_WIDTH = 32;
int const PICK_PICTURE_HEIGHT = 24;

// Size of the name and path buffers of the dialog (255 bytes and the terminator).
DWORD const TEXT_BUFFER_SIZE = 256;

// One open dialog's data, kept in its DWLP_USER from WM_INITDIALOG on; it lives on the stack
// of EditCommand, which outlasts the dialog.
struct CommandEditState {
  const CommandEditRequest* request;
  CommandEditResult* result;
  HIMC savedKeyImeContext;               // input method taken from the launch key field
  HBITMAP pickPicture;                   // the pick picture at the dialog's scale, if drawn
  char oldKey[COMMAND_KEY_LIMIT + 1];    // key of the command being changed; empty when new
};

// Null before WM_INITDIALOG has stored the data.
CommandEditState* StateOf(HWND dialog) {
  return reinterpret_cast<CommandEditState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Appends a text item to an extended combo box; false when the box refused it.
bool AppendComboItem(HWND combo, const char* text) {
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT;
  item.iItem = -1;
  item.pszText = const_cast<char*>(text);
  return SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) >= 0;
}

int ComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void ShowControl(HWND dialog, int id, bool shown) {
  ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

void EnableControl(HWND dialog, int id, bool enabled) {
  EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

// One operand place: its label, and its field and chooser button enabled when the type has an
// operand there, shown as the type says.
void ApplyOperandPlace(HWND dialog, const OperandPlace& place, int label, int field,
                       int button) {
  bool const used = place.label[0] != '\0';
  SetDlgItemTextA(dialog, label, place.label);
  EnableControl(dialog, field, used);
  EnableControl(dialog, button, used);
  ShowControl(dialog, field, place.field);
  ShowControl(dialog, button, place.button);
}

// Labels, enabled and shown controls, the sub-operation list and drop acceptance for a type.
// Field contents stay as they are, so switching types back and forth loses nothing typed.
void ApplyTypeLayout(HWND dialog, int typeNumber) {
  const CommandTypeInfo* type = CommandTypeOf(typeNumber);
  if (type == nullptr) return;
  ApplyOperandPlace(dialog, type->first, IDC_FIRST_LABEL, IDC_APPLICATION,
                    IDC_BROWSE_APPLICATION);
  ApplyOperandPlace(dialog, type->second, IDC_SECOND_LABEL, IDC_FILE, IDC_BROWSE_FILE);
  ShowControl(dialog, IDC_OPERATION, !type->operations.empty());
  if (type->replacesOperations) {
    HWND combo = GetDlgItem(dialog, IDC_OPERATION);
    while (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
      if (SendMessageA(combo, CBEM_DELETEITEM, 0, 0) == CB_ERR) break;
    }
    for (const char* text : type->operations) AppendComboItem(combo, text);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
  }
  DragAcceptFiles(dialog, type->acceptsDrops ? TRUE : FALSE);
}

// The file-open dialog; true with an existing file's path in path (TEXT_BUFFER_SIZE bytes).
bool ChooseFile(HWND dialog, const char* title, const char* filterText, const char* extension,
                char* path) {
  char filter[64];
  std::size_t const filterLength = std::strlen(filterText);
  if (filterLength >= sizeof filter) return false;
  std::memcpy(filter, filterText, filterLength + 1);
  // Single-byte texts only in the filters, so no "|" here is the second byte of a character.
  for (std::size_t i = 0; i < filterLength; ++i) {
    if (filter[i] == '|') filter[i] = '\0';
  }
  path[0] = '\0';
  OPENFILENAMEA choice = {};
  // The form without the Windows 2000 fields: the dialog then shows no places bar.
  choice.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  choice.hwndOwner = dialog;
  choice.lpstrFilter = filter;
  choice.nFilterIndex = 1;
  choice.lpstrFile = path;
  choice.nMaxFile = TEXT_BUFFER_SIZE;
  choice.lpstrTitle = title;
  choice.lpstrDefExt = extension;
  choice.Flags = OFN_HIDEREADONLY | OFN_CREATEPROMPT | OFN_LONGNAMES | OFN_ENABLESIZING;
  if (!GetOpenFileNameA(&choice)) return false;
  // The create prompt lets the user name a file that does not exist: that is no choice.
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The folder browser; true with a file-system folder in path (MAX_PATH bytes).
bool ChooseFolder(HWND dialog, char* path) {
  BROWSEINFOA browse = {};
  browse.hwndOwner = dialog;
  browse.lpszTitle = CHOOSE_FOLDER_TITLE;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST item = SHBrowseForFolderA(&browse);
  if (item == nullptr) return false;
  path[0] = '\0';
  bool const found = SHGetPathFromIDListA(item, path) && path[0] != '\0';
  IMalloc* shellMalloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shellMalloc)) && shellMalloc != nullptr) {
    shellMalloc->Free(item);
    shellMalloc->Release();
  }
  return found;
}

void EditOnBrowseApplication(HWND dialog) {
  if (ComboSelection(dialog, IDC_TYPE) == CB_ERR) return;
  char path[TEXT_BUFFER_SIZE];
  if (!ChooseFile(dialog, CHOOSE_APPLICATION_TITLE, CHOOSE_APPLICATION_FILTER,
                  CHOOSE_APPLICATION_EXTENSION, path)) {
    return;
  }
  SetDlgItemTextA(dialog, IDC_APPLICATION, path);
  FillNameFromPath(dialog, path);
}

void EditOnBrowseFile(HWND dialog) {
  int const typeNumber = ComboSelection(dialog, IDC_TYPE);
  if (typeNumber == CB_ERR) return;
  const CommandTypeInfo* type = CommandTypeOf(typeNumber);
  char path[MAX_PATH];
  bool const chosen = type != nullptr && type->fileChooser == FileChooser::Folder
                          ? ChooseFolder(dialog, path)
                          : ChooseFile(dialog, CHOOSE_FILE_TITLE, CHOOSE_FILE_FILTER, nullptr,
                                       path);
  if (!chosen) return;
  char text[MAX_PATH + 2];
  bool const programGiven = GetWindowTextLengthA(GetDlgItem(dialog, IDC_APPLICATION)) > 0;
  if (!FileFieldText(typeNumber, programGiven, path, text, sizeof text)) return;
  SetDlgItemTextA(dialog, IDC_FILE, text);
  FillNameFromPath(dialog, path);
}

void SetFieldIfPresent(HWND dialog, int id, const char* text) {
  if (text != nullptr && text[0] != '\0') SetDlgItemTextA(dialog, id, text);
}

// Change mode: the fields show the record of the row being changed.
void ShowRecord(HWND dialog, CommandEditState* state, const CommandRecord* record) {
  SetFieldIfPresent(dialog, IDC_NAME, record->name);
  SetDlgItemTextA(dialog, IDC_KEY, record->key ? record->key : "");
  lstrcpynA(state->oldKey, record->key ? record->key : "", sizeof state->oldKey);
  const CommandTypeInfo* type = CommandTypeOf(record->type);
  if (type != nullptr && type->applicationHoldsFile) {
    // The folder's name lives in the file text and is edited in the application field.
    SetFieldIfPresent(dialog, IDC_APPLICATION, record->file);
  } else {
    SetFieldIfPresent(dialog, IDC_APPLICATION, record->exe);
    SetFieldIfPresent(dialog, IDC_FILE, record->file);
  }
  // A type outside the list selects nothing and lays out nothing. The extended combo box
  // keeps its selection for an index past its items, so no selection is asked for outright.
  SendDlgItemMessageA(dialog, IDC_TYPE, CB_SETCURSEL,
                      static_cast<WPARAM>(type != nullptr ? record->type : -1), 0);
  ApplyTypeLayout(dialog, record->type);
  int const operations = type != nullptr ? static_cast<int>(type->operations.size()) : 0;
  if (operations > 0 && record->exe != nullptr) {
    // Text that is no number selects the first item; a number outside the list, none, so
    // that OK asks for a choice rather than storing the first item in its place.
    int const operation = StrToIntA(record->exe);
    SendDlgItemMessageA(dialog, IDC_OPERATION, CB_SETCURSEL,
                        static_cast<WPARAM>(operation >= 0 && operation < operations ? operation
                                                                                    : -1),
                        0);
  }
}

// The message that carries a drop's data between processes; the headers do not name it.
UINT const WM_COPYGLOBALDATA = 0x0049;

// Started as administrator, the editor is a level above the desktop, whose drops (these three
// messages) the system would otherwise filter out before they reach the dialog.
void AllowDropsFromLowerLevels(HWND dialog) {
  UINT const messages[] = {WM_DROPFILES, WM_COPYDATA, WM_COPYGLOBALDATA};
  for (UINT const message : messages) {
    ChangeWindowMessageFilterEx(dialog, message, MSGFLT_ALLOW, nullptr);
  }
}

// The pick picture is drawn for 96 dpi. Above it, the dialog manager scales the dialog but not
// the bitmap, which would sit small in its corner: it is shown at the dialog's scale, from the
// copy drawn at twice the size, whose one-pixel lines survive any scale down to 1.5.
void ScalePickPicture(HWND dialog, CommandEditState* state) {
  UINT const dpi = WindowDpi(dialog);
  if (dpi <= BASE_DPI) return;
  HBITMAP const picture = LoadBitmapAtSize(IDB_DRAG_ICON_2X, ScaleToDpi(PICK_PICTURE_WIDTH, dpi),
                                           ScaleToDpi(PICK_PICTURE_HEIGHT, dpi));
  if (picture == nullptr) return;
  auto const old = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(
      dialog, IDC_DRAG_ICON, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  // The one the static loaded from the template is handed back, and is ours to free.
  if (old != nullptr) DeleteObject(old);
  state->pickPicture = picture;
}

void EditOnInitDialog(HWND dialog, CommandEditState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  DragAcceptFiles(dialog, TRUE);
  AllowDropsFromLowerLevels(dialog);
  ScalePickPicture(dialog, state);
  CenterWindowOnDesktop(dialog);
  SetWindowTextA(dialog, EDIT_DIALOG_TITLE);
  // Launch keys are typed key by key, never composed.
  state->savedKeyImeContext = ImmAssociateContext(GetDlgItem(dialog, IDC_KEY), nullptr);

  HWND types = GetDlgItem(dialog, IDC_TYPE);
  for (const CommandTypeInfo& type : COMMAND_TYPES) {
    if (!AppendComboItem(types, type.label)) {
      MessageBoxA(dialog, COMBO_FAILED_TEXT, COMBO_FAILED_CAPTION, MB_OK | MB_ICONWARNING);
      EndDialog(dialog, EDIT_CANCEL);
      return;
    }
  }
  SendMessageA(types, CB_SETCURSEL, 0, 0);

  const CommandEditRequest& request = *state->request;
  const CommandRecord* record =
      request.row >= 0 ? RowRecord(request.listView, request.row) : nullptr;
  state->oldKey[0] = '\0';
  if (record != nullptr) {
    ShowRecord(dialog, state, record);
  } else {
    ApplyTypeLayout(dialog, CMD_APP);
  }
}

// One edit field as the checks see it: its whole length, and at most limit bytes of it.
struct FieldBuffer {
  char text[TEXT_BUFFER_SIZE];
  std::size_t length;
};

void ReadField(HWND dialog, int id, std::size_t limit, FieldBuffer* field) {
  HWND control = GetDlgItem(dialog, id);
  int const length = GetWindowTextLengthA(control);
  field->length = length > 0 ? static_cast<std::size_t>(length) : 0;
  field->text[0] = '\0';
  if (limit + 1 > sizeof field->text) limit = sizeof field->text - 1;
  GetWindowTextA(control, field->text, static_cast<int>(limit + 1));
}

// The checks' message boxes, owned by the dialog.
class DialogPrompts final : public ValidationPrompts {
 public:
  explicit DialogPrompts(HWND dialog) : dialog_(dialog) {}
  bool Warn(const char* text) override {
    return MessageBoxA(dialog_, text, COMMAND_WARNING_CAPTION, MB_OKCANCEL | MB_ICONWARNING) ==
           IDOK;
  }
  void Fail(ValidationBox box, const char* text) override {
    if (box == ValidationBox::CharacterError) {
      MessageBoxA(dialog_, text, COMMAND_CHARACTER_ERROR_CAPTION, MB_OK | MB_ICONERROR);
    } else {
      MessageBoxA(dialog_, text, COMMAND_ERROR_CAPTION, MB_OK | MB_ICONWARNING);
    }
  }
  bool FolderExists(const char* path) override {
    DWORD const attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

 private:
  HWND dialog_;
};

const char* NullWhenEmpty(const char* text) { return text[0] != '\0' ? text : nullptr; }

void LeaveDialog(HWND dialog, CommandEditState* state, INT_PTR result) {
  DragAcceptFiles(dialog, FALSE);
  ImmAssociateContext(GetDlgItem(dialog, IDC_KEY), state->savedKeyImeContext);
  state->savedKeyImeContext = nullptr;
  EndDialog(dialog, result);
}

void EditOnOk(HWND dialog, CommandEditState* state) {
  FieldBuffer name, key, application, file;
  ReadField(dialog, IDC_NAME, COMMAND_NAME_LIMIT, &name);
  ReadField(dialog, IDC_KEY, COMMAND_KEY_LIMIT, &key);
  ReadField(dialog, IDC_APPLICATION, COMMAND_EXE_LIMIT, &application);
  ReadField(dialog, IDC_FILE, COMMAND_EXE_LIMIT, &file);
  CommandFields fields = {};
  fields.name = {name.text, name.length};
  fields.key = {key.text, key.length};
  fields.application = {application.text, application.length};
  fields.file = {file.text, file.length};
  fields.type = ComboSelection(dialog, IDC_TYPE);
  fields.operation = ComboSelection(dialog, IDC_OPERATION);
  fields.isModify = state->request->row >= 0;
  fields.oldKey = state->oldKey;

  // The launch keys of the rows, in row order: the rows, not the list's stale links, say
  // which commands exist.
  HWND const listView = state->request->listView;
  int const rows = ListView_GetItemCount(listView);
  std::vector<const char*> keys;
  keys.reserve(rows > 0 ? static_cast<std::size_t>(rows) : 0);
  for (int row = 0; row < rows; ++row) {
    const CommandRecord* record = RowRecord(listView, row);
    keys.push_back(record ? record->key : nullptr);
  }

  DialogPrompts prompts(dialog);
  ValidatedCommand command;
  if (!ValidateCommand(fields, keys, prompts, &command)) return;
  CommandRecord* record = NewCommandRecord(NullWhenEmpty(command.name), command.key,
                                           command.type, NullWhenEmpty(command.exe),
                                           NullWhenEmpty(command.file));
  if (record == nullptr) return;  // out of memory: the dialog stays open, nothing is lost
  state->result->record = record;
  LeaveDialog(dialog, state, EDIT_OK);
}

INT_PTR EditOnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_TYPE:
      // An accepted choice from the open list, or an arrow key on the closed box, which
      // changes the selection without any list to accept it from.
      if (HIWORD(wParam) == CBN_SELENDOK ||
          (HIWORD(wParam) == CBN_SELCHANGE &&
           !SendDlgItemMessageA(dialog, IDC_TYPE, CB_GETDROPPEDSTATE, 0, 0))) {
        int const type = ComboSelection(dialog, IDC_TYPE);
        if (type != CB_ERR) ApplyTypeLayout(dialog, type);
      }
      return FALSE;
    case IDC_BROWSE_APPLICATION:
      EditOnBrowseApplication(dialog);
      return TRUE;
    case IDC_BROWSE_FILE:
      EditOnBrowseFile(dialog);
      return TRUE;
    case IDC_KEEP_IN_FRONT: {
      bool const front = IsDlgButtonChecked(dialog, IDC_KEEP_IN_FRONT) == BST_CHECKED;
      SetWindowPos(dialog, front ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
      return TRUE;
    }
    case IDOK:
      if (CommandEditState* state = StateOf(dialog)) EditOnOk(dialog, state);
      return TRUE;
    case IDCANCEL:
      if (CommandEditState* state = StateOf(dialog)) LeaveDialog(dialog, state, EDIT_CANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK CommandEditDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      EditOnInitDialog(dialog, reinterpret_cast<CommandEditState*>(lParam));
      return TRUE;
    case WM_COMMAND:
      return EditOnCommand(dialog, wParam);
    case WM_DROPFILES:
      return CommandEditOnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a second quick press on the icon starts a pick all the same
      CommandEditOnButtonDown(dialog);
      return FALSE;
    case WM_LBUTTONUP:
      CommandEditOnButtonUp(dialog);
      return FALSE;
    case WM_CAPTURECHANGED:  // another window took the mouse (Alt+Tab, the Win key, a menu)
    case WM_CANCELMODE:
      CommandEditOnLostCapture(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void FillNameFromPath(HWND dialog, const char* path) {
  if (GetWindowTextLengthA(GetDlgItem(dialog, IDC_NAME)) > 0) return;
  const char* name = PathFindFileNameA(path);
  const char* extension = PathFindExtensionA(name);
  std::size_t const length = static_cast<std::size_t>(extension - name);
  if (length > COMMAND_NAME_LIMIT) return;
  char text[TEXT_BUFFER_SIZE];
  std::memcpy(text, name, length);
  text[length] = '\0';
  SetDlgItemTextA(dialog, IDC_NAME, text);
}

bool EditCommand(HWND owner, const CommandEditRequest& request, CommandEditResult* result) {
  result->record = nullptr;
  CommandEditState state = {&request, result, nullptr, nullptr, {}};
  INT_PTR const ended =
      DialogBoxParamA(Instance, MAKEINTRESOURCEA(IDD_COMMAND_EDIT), owner, CommandEditDialogProc,
                      reinterpret_cast<LPARAM>(&state));
  // The static shows what it is given and never frees it; the dialog is gone by now.
  if (state.pickPicture != nullptr) DeleteObject(state.pickPicture);
  if (ended == EDIT_OK && result->record != nullptr) return true;
  // Only OK leaves a record; whatever else ended the dialog stores nothing.
  FreeCommandRecord(result->record);
  result->record = nullptr;
  return false;
}
