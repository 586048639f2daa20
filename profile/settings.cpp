// The hot key's conversion between the form pimbo.ini stores and the hot-key control's form.
#include "settings.h"

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
