// What the programs ask of the system with care for where they run: libraries from the system
// folder only, programs started in their own folder and allowed to the front, and a COM
// apartment for the shell's handlers.
#pragma once

#include <windows.h>

// First thing at start: the libraries the process loads from here on come from the system
// folder only, never from a program folder that someone may have planted a DLL in (a
// Downloads folder). Looked up at run time, for a system that lacks it.
void RestrictDllSearch();

// The system library name (a bare file name), loaded from the system folder only; null when
// it cannot be.
HMODULE LoadSystemLibrary(const char* name);

// Starts the program at path (a full path) with the path quoted as its command line and its
// own folder as the working directory, and lets it take the foreground, so that a window it
// opens comes up in front with the keyboard focus. Unlike the shell's way of opening a file, no
// zone check can put a security prompt in between. False when it could not be started.
bool StartProgramInItsFolder(const char* path);

// Makes sure this thread has a single-threaded COM apartment (OLE1 DDE off), which the shell's
// verbs and handlers expect of ShellExecuteEx's caller. Made on the first call, not at start,
// so that a start and an idle launcher pay nothing for it; kept until the process ends.
void EnsureComApartment();
