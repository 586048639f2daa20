// A helper DLL that reads a popup menu from inside the process that owns it: Wine keeps a
// menu's items in the process that created it, so GetMenuItemCount on a menu of another
// process fails there (measured with Wine 8), while Windows shares menus across processes.
#include "menu_reader.h"

#include <string>

extern "C" __declspec(dllexport) DWORD WINAPI ReadMenuIntoFile(void* param) {
  const MenuReadRequest* request = static_cast<const MenuReadRequest*>(param);
  DWORD_PTR handle = 0;
  // The menu's own thread answers from inside its menu loop.
  if (!SendMessageTimeoutA(request->popup, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle) ||
      !handle) {
    return 2;
  }
  HMENU menu = reinterpret_cast<HMENU>(handle);
  int count = GetMenuItemCount(menu);
  if (count < 0) return 3;
  std::string lines;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) return 4;
    char text[256] = {};
    int n = GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    lines += std::to_string(info.wID) + "\t" + ((info.fType & MFT_SEPARATOR) ? "1" : "0") + "\t" +
             std::string(text, n > 0 ? n : 0) + "\n";
  }
  HANDLE file = CreateFileA(request->outputPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 5;
  DWORD written = 0;
  BOOL ok = WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == lines.size() ? 1 : 6;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
