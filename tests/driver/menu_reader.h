// The request that the driver hands to menu_reader.dll inside another process (see
// ReadPopupMenu in driver.cpp).
#pragma once

#include <windows.h>

struct MenuReadRequest {
  HWND popup;             // the "#32768" window showing the menu
  char outputPath[1024];  // file that receives one "id<TAB>separator<TAB>text" line per item
};

// Exported by menu_reader.dll; run as a thread in the process that owns the menu. Returns 1
// when the file was written.
extern "C" DWORD WINAPI ReadMenuIntoFile(void* request);
