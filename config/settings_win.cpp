// The editor's settings with the system's colours as the defaults of the colour keys.
#include <windows.h>

#include "commands.h"
#include "profile.h"
#include "settings_win.h"

void LoadSettings(const char* iniPath, Settings* settings) {
  Settings defaults{};
  defaults.hotKey = DEFAULT_HOT_KEY;
  defaults.textColor = GetSysColor(COLOR_BTNTEXT);
  defaults.backgroundColor = GetSysColor(COLOR_WINDOW);
  defaults.x = DEFAULT_POINT;
  defaults.y = DEFAULT_POINT;
  defaults.hideTime = DEFAULT_HIDE_TIME;
  defaults.noTray = DEFAULT_NO_TRAY;
  ProfileLoad(iniPath);  // a missing file leaves no model: every key takes its default
  ReadSettingsFromProfile(defaults, settings);
  ProfileFree();
}
