// The editor's settings values, their reading and writing through the profile library, and the
// conversion of the hot key between the file's form and the hot-key control's form.
#pragma once

#include <cstdint>

// The seven settings keys of pimbo.ini as the editor holds them.
struct Settings {
  std::uint16_t hotKey;           // "hot key": high byte MOD_* modifiers, low byte virtual key
  std::uint32_t textColor;        // "FGColor": 0x00BBGGRR
  std::uint32_t backgroundColor;  // "BGColor": 0x00BBGGRR
  int x;                          // "XPOINT": both -1 centres the launcher window
  int y;                          // "YPOINT"
  std::uint8_t hideTime;          // "HIDE TIME": a HideTime value
  int noTray;                     // "NoTray": nonzero hides the launcher's notification-area icon
};

// Reads the keys in the order "hot key", "FGColor", "BGColor", "XPOINT", "YPOINT",
// "HIDE TIME", "NoTray" from the profile model already loaded, converting each as the
// platform's profile reader (GetPrivateProfileIntA) does; missing keys (or no model) take
// defaults' values. Values that do not fit are cut to their low bits.
void ReadSettingsFromProfile(const Settings& defaults, Settings* settings);

// Sets the seven keys, in the same order, as decimal text into the current profile model
// (creating it when none exists): existing keys keep their places, new ones are appended.
// Returns 1 when every key was set.
int SetSettingsInProfile(const Settings& settings);

// Writes the seven keys into the file at iniPath on their own, in one replacement of the file
// (the editor saves them with its commands instead: SaveConfiguration). Returns 1 when the file
// was written, 0 when it was left as it was.
int SaveSettings(const char* iniPath, const Settings& settings);

// Modifier bits of the stored hot key (the high byte, as RegisterHotKey takes them).
inline constexpr std::uint16_t HOTKEY_STORED_ALT = 1;      // MOD_ALT
inline constexpr std::uint16_t HOTKEY_STORED_CONTROL = 2;  // MOD_CONTROL
inline constexpr std::uint16_t HOTKEY_STORED_SHIFT = 4;    // MOD_SHIFT
inline constexpr std::uint16_t HOTKEY_STORED_WIN = 8;      // MOD_WIN
// Modifier bits of the hot-key control's value (its high byte).
inline constexpr std::uint16_t HOTKEY_CONTROL_SHIFT = 1;    // HOTKEYF_SHIFT
inline constexpr std::uint16_t HOTKEY_CONTROL_CONTROL = 2;  // HOTKEYF_CONTROL
inline constexpr std::uint16_t HOTKEY_CONTROL_ALT = 4;      // HOTKEYF_ALT
inline constexpr std::uint16_t HOTKEY_CONTROL_EXT = 8;      // HOTKEYF_EXT

// The hot key between its stored form (low byte the virtual key, high byte MOD_ALT 1,
// MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8) and the hot-key control's value (low byte the key,
// high byte HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8): each modifier
// bit maps to its counterpart, the key byte is kept, other high bits are dropped.
// On an extended key (the arrows, Home, End, Page Up/Down, Insert, Delete, the keypad's "/" and
// Enter, Num Lock, Break, Print Screen, the right-hand Ctrl and Alt) HOTKEYF_EXT is not Win but
// the key's own flag, which the real control sets by itself: it is read as no modifier and
// written back with the key (the keypad's Enter excepted, shown as the main Enter). The control's
// form thus has no Win with an extended key: control -> stored -> control keeps every value the
// control gives, but stored -> control drops Win from Win + an extended key.
std::uint16_t HotKeyToControl(std::uint16_t stored);
std::uint16_t HotKeyFromControl(std::uint16_t control);
// True for the extended keys above (a virtual key).
bool IsExtendedHotKey(std::uint8_t key);
// The hot key to store from the control's value, given the one stored before: a stored Win +
// extended key stays while the control still shows it (it has no form of its own there), any
// other value is HotKeyFromControl's.
std::uint16_t HotKeyToStore(std::uint16_t control, std::uint16_t stored);
