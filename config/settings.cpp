// The editor's settings keys in the profile model, and the hot key's conversion between the
// form pimbo.ini stores and the hot-key control's form.
#include "settings.h"

#include <cstdio>

#include "commands.h"
#include "platform.h"
#include "profile.h"

namespace {

struct ModifierPair {
  std::uint16_t stored;
  std::uint16_t control;
};

// The two flag sets name the same four modifiers with different bits.
constexpr ModifierPair MODIFIER_PAIRS[] = {
    {HOTKEY_STORED_ALT, HOTKEY_CONTROL_ALT},
    {HOTKEY_STORED_CONTROL, HOTKEY_CONTROL_CONTROL},
    {HOTKEY_STORED_SHIFT, HOTKEY_CONTROL_SHIFT},
    {HOTKEY_STORED_WIN, HOTKEY_CONTROL_EXT},
};

// The key byte of value with each "from" modifier of its high byte turned into its "to" bit.
std::uint16_t MapModifiers(std::uint16_t value, bool toControl) {
  unsigned const modifiers = value >> 8;
  unsigned mapped = 0;
  for (const ModifierPair& pair : MODIFIER_PAIRS) {
    unsigned const from = toControl ? pair.stored : pair.control;
    unsigned const to = toControl ? pair.control : pair.stored;
    if (modifiers & from) mapped |= to;
  }
  return static_cast<std::uint16_t>((mapped << 8) | (value & 0xFFu));
}

}  // namespace

std::uint16_t HotKeyToControl(std::uint16_t stored) { return MapModifiers(stored, true); }

std::uint16_t HotKeyFromControl(std::uint16_t control) { return MapModifiers(control, false); }

namespace {

int ReadInt(const char* key, int defaultValue) {
  return ProfileGetSettingInt(SETTINGS_SECTION, key, defaultValue, nullptr);
}

bool SetSigned(const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return ProfileSetString(SETTINGS_SECTION, key, text, nullptr) != 0;
}

bool SetUnsigned(const char* key, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  return ProfileSetString(SETTINGS_SECTION, key, text, nullptr) != 0;
}

}  // namespace

void ReadSettingsFromProfile(const Settings& defaults, Settings* settings) {
  // Values that do not fit are cut to their low bits, as the file's readers always have.
  settings->hotKey = static_cast<std::uint16_t>(ReadInt(KEY_HOT_KEY, defaults.hotKey));
  settings->textColor = static_cast<std::uint32_t>(
      ReadInt(KEY_FG_COLOR, static_cast<int>(defaults.textColor)));
  settings->backgroundColor = static_cast<std::uint32_t>(
      ReadInt(KEY_BG_COLOR, static_cast<int>(defaults.backgroundColor)));
  settings->x = ReadInt(KEY_XPOINT, defaults.x);
  settings->y = ReadInt(KEY_YPOINT, defaults.y);
  settings->hideTime = static_cast<std::uint8_t>(ReadInt(KEY_HIDE_TIME, defaults.hideTime));
  settings->noTray = ReadInt(KEY_NO_TRAY, defaults.noTray);
}

int SetSettingsInProfile(const Settings& settings) {
  // Every key is tried even after a failure, so one refused set loses no other setting.
  bool set = SetUnsigned(KEY_HOT_KEY, settings.hotKey);
  set &= SetSigned(KEY_FG_COLOR, static_cast<int>(settings.textColor));
  set &= SetSigned(KEY_BG_COLOR, static_cast<int>(settings.backgroundColor));
  set &= SetSigned(KEY_XPOINT, settings.x);
  set &= SetSigned(KEY_YPOINT, settings.y);
  set &= SetUnsigned(KEY_HIDE_TIME, settings.hideTime);
  set &= SetSigned(KEY_NO_TRAY, settings.noTray);
  return set ? 1 : 0;
}

int SaveSettings(const char* iniPath, const Settings& settings) {
  if (!iniPath) return 0;
  // A file that is there but could not be read is not replaced by the settings alone.
  if (!ProfileLoad(iniPath) && PlatformFileExists(iniPath)) return 0;
  int saved = SetSettingsInProfile(settings) && ProfileSave(iniPath) ? 1 : 0;
  ProfileFree();
  return saved;
}
