// The editor's settings values and their reading and writing through the platform's own
// profile functions (Windows only).
#pragma once

#include <windows.h>

// The seven settings keys of pimbo.ini as the editor holds them.
struct Settings {
  WORD hotKey;               // "hot key": high byte MOD_* modifiers, low byte virtual key
  COLORREF textColor;        // "FGColor"
  COLORREF backgroundColor;  // "BGColor"
  int x;                     // "XPOINT": both -1 centres the launcher window
  int y;                     // "YPOINT"
  BYTE hideTime;             // "HIDE TIME": a HideTime value
  int noTray;                // "NoTray": nonzero hides the launcher's notification-area icon
};

// Reads the keys in the order "hot key", "FGColor", "BGColor", "XPOINT", "YPOINT",
// "HIDE TIME", "NoTray" with GetPrivateProfileIntA; missing keys (or file) take the defaults,
// the colours those of the system. Values that do not fit are cut to their low bits.
void LoadSettings(const char* iniPath, Settings* settings);

// Writes the seven keys in the same order with WritePrivateProfileStringA, which updates them
// in place and creates the file and the section when missing. Failures are not reported.
void SaveSettings(const char* iniPath, const Settings& settings);
