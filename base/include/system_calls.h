// What the programs ask of the system with care for where they run: libraries from the system
// folder only, programs started in their own folder and allowed to the front, a COM apartment
// for the shell's handlers, and a word to the user when the system's code page is not 932.
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

// A message box in the activation context of the program's second manifest, where it has one.
// The launcher's process manifest leaves out the common controls 6, which cost every start for
// a program whose only standard controls are its boxes; its boxes take them, with the visual
// styles, from that manifest. Without one (the editor, whose process has them) the box is shown
// as it is.
int StyledMessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
int StyledMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// How WarnUnlessCodePage932 shows its box.
enum class CodePageWarning {
  Wait,        // before it returns: the caller's own texts come after the box
  OnOwnThread, // on a thread of its own, so that the caller goes on meanwhile
};

// Every text of the programs and every path in pimbo.ini is code page 932. When the process
// runs with another ANSI code page (a system locale that is not Japanese on Windows 10, or the
// system-wide UTF-8 option), says so once per process, in a box of wide texts that reads right
// on any system, in Japanese and in English; the program then goes on. With code page 932 it
// only asks for the code page.
void WarnUnlessCodePage932(CodePageWarning how);
