// The settings editor's process-wide state (declared in editor.h).
#include "editor.h"

HINSTANCE Instance = nullptr;
HANDLE InstanceMutex = nullptr;
char ModuleDir[PATH_BUFFER_SIZE] = {};
char IniPath[PATH_BUFFER_SIZE] = {};
char LauncherPath[PATH_BUFFER_SIZE] = {};
HICON AppIcon = nullptr;
HCURSOR PickCursor = nullptr;
Settings CurrentSettings = {};
CommandList Commands;

HWND CommandListView = nullptr;
HIMAGELIST TypeImages = nullptr;
HIMAGELIST DragImage = nullptr;
BOOL PositionDragActive = FALSE;
POINT DragGrabOffset = {};
HCURSOR SavedCursor = nullptr;
int SortAscending = 1;
