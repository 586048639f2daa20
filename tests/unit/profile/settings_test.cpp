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

TEST(HotKeyConversion, EveryValueOfFourModifierBitsRoundTripsOnAKeyNotExtended) {
  for (unsigned modifiers = 0; modifiers < 16; ++modifiers) {
    for (unsigned key = 0; key < 256; ++key) {
      if (IsExtendedHotKey(static_cast<std::uint8_t>(key))) continue;
      auto const value = static_cast<std::uint16_t>(modifiers << 8 | key);
      ASSERT_EQ(HotKeyFromControl(HotKeyToControl(value)), value) << value;
      ASSERT_EQ(HotKeyToControl(HotKeyFromControl(value)), value) << value;
      ASSERT_EQ(HotKeyToControl(value) & 0xFF, key) << value;
    }
  }
}

// Every extended key of the enhanced keyboard, by its virtual key; only the keypad's Enter is
// shown without the extended bit (its key is also the main Enter's).
struct ExtendedCase {
  std::uint8_t key;
  bool shownExtended;
};
ExtendedCase const EXTENDED[] = {
    /*  0 */ {0x03, true},   // VK_CANCEL, Break
    /*  1 */ {0x0D, false},  // VK_RETURN, the keypad's Enter
    /*  2 */ {0x21, true},   // VK_PRIOR
    /*  3 */ {0x22, true},   // VK_NEXT
    /*  4 */ {0x23, true},   // VK_END
    /*  5 */ {0x24, true},   // VK_HOME
    /*  6 */ {0x25, true},   // VK_LEFT
    /*  7 */ {0x26, true},   // VK_UP
    /*  8 */ {0x27, true},   // VK_RIGHT
    /*  9 */ {0x28, true},   // VK_DOWN
    /* 10 */ {0x2C, true},   // VK_SNAPSHOT
    /* 11 */ {0x2D, true},   // VK_INSERT
    /* 12 */ {0x2E, true},   // VK_DELETE
    /* 13 */ {0x6F, true},   // VK_DIVIDE
    /* 14 */ {0x90, true},   // VK_NUMLOCK
    /* 15 */ {0xA3, true},   // VK_RCONTROL
    /* 16 */ {0xA5, true},   // VK_RMENU
};

// Ctrl+Alt on each extended key: the control's extended bit is read as no modifier, with or
// without it the stored value is the same, and it is written back with the key.
TEST(HotKeyConversion, TheExtendedBitOfAnExtendedKeyIsTheKeysOwn) {
  int i = 0;
  for (const ExtendedCase& c : EXTENDED) {
    std::uint16_t const stored = 0x0300 | c.key;                // MOD_ALT | MOD_CONTROL
    std::uint16_t const plain = 0x0600 | c.key;                 // HOTKEYF_ALT | HOTKEYF_CONTROL
    std::uint16_t const extended = 0x0E00 | c.key;              // ... | HOTKEYF_EXT
    std::uint16_t const shown = c.shownExtended ? extended : plain;
    EXPECT_TRUE(IsExtendedHotKey(c.key)) << "case " << i;
    EXPECT_EQ(HotKeyFromControl(extended), stored) << "case " << i;
    EXPECT_EQ(HotKeyFromControl(plain), stored) << "case " << i;
    EXPECT_EQ(HotKeyToControl(stored), shown) << "case " << i;
    // The one lossy direction: the control has no Win with an extended key.
    EXPECT_EQ(HotKeyToControl(stored | 0x0800), shown) << "case " << i;
    // Whatever the control gives comes back as the control shows the key.
    EXPECT_EQ(HotKeyToControl(HotKeyFromControl(extended)), shown) << "case " << i;
    EXPECT_EQ(HotKeyToControl(HotKeyFromControl(plain)), shown) << "case " << i;
    ++i;
  }
}

TEST(HotKeyConversion, TheirNeighboursKeepWinAsTheExtendedBit) {
  // The left-hand Ctrl and Alt, the right-hand Shift (not extended), the keypad's 7 and "*",
  // Pause, Clear, the Win keys themselves.
  const std::uint8_t keys[] = {0xA2, 0xA4, 0xA1, 0x67, 0x6A, 0x13, 0x0C, 0x5B, 0x70, 'Z'};
  for (std::uint8_t key : keys) {
    EXPECT_FALSE(IsExtendedHotKey(key)) << int{key};
    EXPECT_EQ(HotKeyFromControl(0x0E00 | key), 0x0B00 | key) << int{key};
    EXPECT_EQ(HotKeyToControl(0x0B00 | key), 0x0E00 | key) << int{key};
  }
}

// The dialog's OK: a stored Win + extended key survives while the control still shows it.
TEST(HotKeyConversion, StoredWinWithAnExtendedKeyStaysUntilTheControlChanges) {
  struct Case {
    std::uint16_t control, stored, saved;
  };
  const Case cases[] = {
      /* 0 */ {0x0E24, 0x0B24, 0x0B24},  // Win+Ctrl+Alt+Home, untouched
      /* 1 */ {0x0E24, 0xFB24, 0x0B24},  //   other high bits still dropped
      /* 2 */ {0x0624, 0x0B24, 0x0324},  // changed (the extended bit gone): Ctrl+Alt+Home
      /* 3 */ {0x0E23, 0x0B24, 0x0323},  // changed key: Ctrl+Alt+End
      /* 4 */ {0x0E24, 0x0324, 0x0324},  // no Win before
      /* 5 */ {0x0E5A, 0x0B5A, 0x0B5A},  // Win on a key not extended: as HotKeyFromControl
      /* 6 */ {0x0000, 0x0B24, 0x0000},  // emptied
      /* 7 */ {0x0CF0, 0xF030, 0x09F0},  // any other: as HotKeyFromControl
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(HotKeyToStore(c.control, c.stored), c.saved) << "case " << i;
    ++i;
  }
}

}  // namespace
