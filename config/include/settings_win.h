// The settings read on their own with the system's colours as the defaults of the colour keys
// (settings_win.cpp, Windows only).
#pragma once

#include "settings.h"

// Reads the keys in the order "hot key", "FGColor", "BGColor", "XPOINT", "YPOINT",
// "HIDE TIME", "NoTray" from the file at iniPath through the profile library, converting each
// as the platform's profile reader (GetPrivateProfileIntA) does; missing keys (or file) take
// the defaults, the colours those of the system. Values that
// do not fit are cut to their low bits.
void LoadSettings(const char* iniPath, Settings* settings);
