// Filling the command edit dialog from the desktop: files and shortcuts dropped on it, and
// the window picked by dragging its drag icon onto another window.
#include <windows.h>

#include <shellapi.h>

#include "editor.h"

INT_PTR CommandEditOnDropFiles(HWND, HDROP drop) {
  DragFinish(drop);
  return TRUE;
}

void CommandEditOnButtonDown(HWND) {}

void CommandEditOnButtonUp(HWND) {}
