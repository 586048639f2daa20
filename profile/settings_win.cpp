// Reads and writes the editor's settings keys with the platform's profile functions.
#include "settings.h"

#include <windows.h>

#include <cstdio>

#include "commands.h"

namespace {

int ReadInt(const char* key, int defaultValue, const char* iniPath) {
  // GetPrivateProfileIntA hands back negative numbers ("-1") as their 32-bit pattern.
  return static_cast<int>(GetPrivateProfileIntA(SETTINGS_SECTION, key, defaultValue, iniPath));
}

// True when the key was written.
bool WriteSigned(const char* key, int value, const char* iniPath) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WritePrivateProfileStringA(SETTINGS_SECTION, key, text, iniPath) != FALSE;
}

bool WriteUnsigned(const char* key, unsigned value, const char* iniPath) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  return WritePrivateProfileStringA(SETTINGS_SECTION, key, text, iniPath) != FALSE;
}

}  // namespace

void LoadSettings(const char* iniPath, Settings* settings) {
  settings->hotKey = static_cast<std::uint16_t>(ReadInt(KEY_HOT_KEY, DEFAULT_HOT_KEY, iniPath));
  settings->textColor = static_cast<std::uint32_t>(
      ReadInt(KEY_FG_COLOR, static_cast<int>(GetSysColor(COLOR_BTNTEXT)), iniPath));
  settings->backgroundColor = static_cast<std::uint32_t>(
      ReadInt(KEY_BG_COLOR, static_cast<int>(GetSysColor(COLOR_WINDOW)), iniPath));
  settings->x = ReadInt(KEY_XPOINT, DEFAULT_POINT, iniPath);
  settings->y = ReadInt(KEY_YPOINT, DEFAULT_POINT, iniPath);
  settings->hideTime =
      static_cast<std::uint8_t>(ReadInt(KEY_HIDE_TIME, DEFAULT_HIDE_TIME, iniPath));
  settings->noTray = ReadInt(KEY_NO_TRAY, DEFAULT_NO_TRAY, iniPath);
}

int SaveSettings(const char* iniPath, const Settings& settings) {
  // Every key is tried even after a failure, so one refused write loses no other setting.
  bool written = WriteUnsigned(KEY_HOT_KEY, settings.hotKey, iniPath);
  written &= WriteSigned(KEY_FG_COLOR, static_cast<int>(settings.textColor), iniPath);
  written &= WriteSigned(KEY_BG_COLOR, static_cast<int>(settings.backgroundColor), iniPath);
  written &= WriteSigned(KEY_XPOINT, settings.x, iniPath);
  written &= WriteSigned(KEY_YPOINT, settings.y, iniPath);
  written &= WriteUnsigned(KEY_HIDE_TIME, settings.hideTime, iniPath);
  written &= WriteSigned(KEY_NO_TRAY, settings.noTray, iniPath);
  return written ? 1 : 0;
}
