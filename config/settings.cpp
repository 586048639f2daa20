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

struct ExtendedKey {
  std::uint8_t key;
  bool onlyExtended;  // the virtual key comes from the extended key alone
};

// The extended keys of the enhanced keyboard as the platform's keyboard input lists them. Only
// the keypad's Enter shares its virtual key (VK_RETURN) with a key that is not extended: the
// control is given the main Enter, which registers as the same hot key.
constexpr ExtendedKey EXTENDED_KEYS[] = {
    {0x03, true},   // VK_CANCEL, Break (Ctrl+Pause)
    {0x0D, false},  // VK_RETURN, the keypad's Enter
    {0x21, true},   // VK_PRIOR, Page Up
    {0x22, true},   // VK_NEXT, Page Down
    {0x23, true},   // VK_END
    {0x24, true},   // VK_HOME
    {0x25, true},   // VK_LEFT
    {0x26, true},   // VK_UP
    {0x27, true},   // VK_RIGHT
    {0x28, true},   // VK_DOWN
    {0x2C, true},   // VK_SNAPSHOT, Print Screen
    {0x2D, true},   // VK_INSERT
    {0x2E, true},   // VK_DELETE
    {0x6F, true},   // VK_DIVIDE, the keypad's "/"
    {0x90, true},   // VK_NUMLOCK
    {0xA3, true},   // VK_RCONTROL
    {0xA5, true},   // VK_RMENU, the right-hand Alt
};

const ExtendedKey* FindExtendedKey(unsigned key) {
  for (const ExtendedKey& extended : EXTENDED_KEYS) {
    if (extended.key == key) return &extended;
  }
  return nullptr;
}

}  // namespace

bool IsExtendedHotKey(std::uint8_t key) { return FindExtendedKey(key) != nullptr; }

std::uint16_t HotKeyToControl(std::uint16_t stored) {
  std::uint16_t control = MapModifiers(stored, true);
  if (const ExtendedKey* extended = FindExtendedKey(stored & 0xFFu)) {
    // The control has no Win: for these keys its extended bit names the key instead.
    control = static_cast<std::uint16_t>(control & ~(HOTKEY_CONTROL_EXT << 8));
    if (extended->onlyExtended) {
      control = static_cast<std::uint16_t>(control | HOTKEY_CONTROL_EXT << 8);
    }
  }
  return control;
}

std::uint16_t HotKeyFromControl(std::uint16_t control) {
  std::uint16_t stored = MapModifiers(control, false);
  // The real control sets its extended bit by itself for these keys: it is never Win.
  if (IsExtendedHotKey(control & 0xFFu)) {
    stored = static_cast<std::uint16_t>(stored & ~(HOTKEY_STORED_WIN << 8));
  }
  return stored;
}

std::uint16_t HotKeyToStore(std::uint16_t control, std::uint16_t stored) {
  bool const winLost = (stored >> 8 & HOTKEY_STORED_WIN) && IsExtendedHotKey(stored & 0xFFu);
  if (winLost && control == HotKeyToControl(stored)) {
    return static_cast<std::uint16_t>(stored & 0x0FFFu);
  }
  return HotKeyFromControl(control);
}

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
