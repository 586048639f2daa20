// The hot key's conversion between the stored form and the hot-key control's form.
#include <gtest/gtest.h>

#include <cstdint>

#include "settings.h"

namespace {

// Each modifier alone, stored bit against control bit, on the "1" key and on a key byte whose
// high bit is set.
TEST(HotKeyConversion, EachModifierMapsToItsCounterpartBothWays) {
  struct Case {
    std::uint16_t stored;
    std::uint16_t control;
  };
  const Case cases[] = {
      /* 0 */ {0x0131, 0x0431},  // MOD_ALT 1 <-> HOTKEYF_ALT 4 (the default, Alt+1)
      /* 1 */ {0x0231, 0x0231},  // MOD_CONTROL 2 <-> HOTKEYF_CONTROL 2
      /* 2 */ {0x0431, 0x0131},  // MOD_SHIFT 4 <-> HOTKEYF_SHIFT 1
      /* 3 */ {0x0831, 0x0831},  // MOD_WIN 8 <-> HOTKEYF_EXT 8
      /* 4 */ {0x0F41, 0x0F41},  // all four
      /* 5 */ {0x0641, 0x0341},  // Ctrl+Shift+A (1601)
      /* 6 */ {0x05DE, 0x05DE},  // Alt+Shift on key 0xDE: the key byte is never touched
      /* 7 */ {0x0070, 0x0070},  // no modifier (F1)
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(HotKeyToControl(c.stored), c.control) << "case " << i;
    EXPECT_EQ(HotKeyFromControl(c.control), c.stored) << "case " << i;
    ++i;
  }
}

TEST(HotKeyConversion, OtherHighBitsAreDropped) {
  EXPECT_EQ(HotKeyToControl(0xF031), 0x0031);
  EXPECT_EQ(HotKeyFromControl(0xF031), 0x0031);
  EXPECT_EQ(HotKeyToControl(0xF1FF), 0x04FF);
  EXPECT_EQ(HotKeyFromControl(0xF1FF), 0x04FF);
}

TEST(HotKeyConversion, EveryValueOfFourModifierBitsRoundTrips) {
  for (unsigned modifiers = 0; modifiers < 16; ++modifiers) {
    for (unsigned key = 0; key < 256; ++key) {
      auto const value = static_cast<std::uint16_t>(modifiers << 8 | key);
      ASSERT_EQ(HotKeyFromControl(HotKeyToControl(value)), value) << value;
      ASSERT_EQ(HotKeyToControl(HotKeyFromControl(value)), value) << value;
      ASSERT_EQ(HotKeyToControl(value) & 0xFF, key) << value;
    }
  }
}

}  // namespace
