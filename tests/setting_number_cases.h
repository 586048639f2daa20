// Values of a settings key, as they stand after "=" in pimbo.ini, with the number that the
// platform's profile reader gives for each: shared by the host tests of the rules and the
// test under Wine that holds every case against GetPrivateProfileIntA itself.
#pragma once

#include <string>

// The default that the reader is asked with: a number no value below reads as, so that a key
// taken as empty (the default) cannot pass for one that reads as 0.
inline constexpr int SETTING_CASE_DEFAULT = 4242;

struct SettingNumberCase {
  const char* value;
  int number;
};

// Measured under Wine 8 (LANG=ja_JP.UTF-8, code page 932).
inline constexpr SettingNumberCase SETTING_NUMBER_CASES[] = {
    /*  0 */ {"305", 305},
    /*  1 */ {"-1", -1},
    /*  2 */ {"+17", 17},
    /*  3 */ {" \t 42 \t", 42},
    // Control bytes are no blanks, but the conversion skips them in front of the number.
    /*  4 */ {"\x01" "42", 42},
    /*  5 */ {"\x1F" "42", 42},
    /*  6 */ {"\x7F" "42", 0},
    /*  7 */ {"305abc", 305},
    /*  8 */ {"12 34", 12},
    /*  9 */ {"abc", 0},
    /* 10 */ {"-", 0},
    /* 11 */ {"--5", 0},
    /* 12 */ {"+-5", 0},
    /* 13 */ {"- 5", 0},
    // Hexadecimal, octal and binary, with lower-case marks only.
    /* 14 */ {"0x131", 305},
    /* 15 */ {"0x0131", 305},
    /* 16 */ {"0X131", 0},
    /* 17 */ {"0xABcd", 43981},
    /* 18 */ {"0x", 0},
    /* 19 */ {"0xg", 0},
    /* 20 */ {"0x-10", 0},
    /* 21 */ {"-0x10", -16},
    /* 22 */ {"+0x10", 16},
    /* 23 */ {"0b101", 5},
    /* 24 */ {"0B101", 0},
    /* 25 */ {"0b102", 2},
    /* 26 */ {"0o17", 15},
    /* 27 */ {"0O17", 0},
    /* 28 */ {"0o8", 0},
    // Quotes go only as a pair of the same kind around the whole value.
    /* 29 */ {"'120'", 120},
    /* 30 */ {"\"120\"", 120},
    /* 31 */ {" '120' ", 120},
    /* 32 */ {"\v'120'\x1A", 120},
    /* 33 */ {"'120\"", 0},
    /* 34 */ {"\"120'", 0},
    /* 35 */ {"\"120", 0},
    /* 36 */ {"120\"", 120},
    /* 37 */ {"'120", 0},
    /* 38 */ {"120'", 120},
    /* 39 */ {"'", 0},
    /* 40 */ {"\"", 0},
    /* 41 */ {"''", SETTING_CASE_DEFAULT},
    /* 42 */ {"\"\"", SETTING_CASE_DEFAULT},
    /* 43 */ {"'''", 0},
    /* 44 */ {"' '", 0},
    /* 45 */ {"'\"'", 0},
    /* 46 */ {"\"'120'\"", 0},
    /* 47 */ {"\" 0x10\"", 16},
    /* 48 */ {"'120'\x1F", 0},
    // Empty values, and values of blanks only, take the default.
    /* 49 */ {"", SETTING_CASE_DEFAULT},
    /* 50 */ {"   ", SETTING_CASE_DEFAULT},
    /* 51 */ {"\t\v\f\x1A", SETTING_CASE_DEFAULT},
    /* 52 */ {"\x01", 0},
    // Double-byte characters: the double-byte blank is no blank, a double-byte digit no
    // digit, and a lead byte takes the byte after it, a quote or a blank included.
    /* 53 */ {"\x81\x40", 0},
    /* 54 */ {"\x81\x40" "120", 0},
    /* 55 */ {"\x82\x50", 0},
    /* 56 */ {"\"120\x81\"", 0},
    /* 57 */ {"'12\x81 '", 12},
    /* 58 */ {"\"12\x81\x81\"", 12},
    /* 59 */ {"\"12\x81\x81\x81\"", 0},
    /* 60 */ {"12\x81\x81", 12},
    // 32-bit arithmetic that wraps.
    /* 61 */ {"4294967295", -1},
    /* 62 */ {"4294967296", 0},
    /* 63 */ {"99999999999", 1215752191},
    /* 64 */ {"2147483648", -2147483647 - 1},
    /* 65 */ {"-2147483649", 2147483647},
    /* 66 */ {"0xFFFFFFFF", -1},
    /* 67 */ {"0x100000001", 1},
    // 29 characters are read; a quoted value of 29 inside its quotes loses its last one.
    /* 68 */ {"00000000000000000000000000012", 12},
    /* 69 */ {"000000000000000000000000000012", 1},
    /* 70 */ {"0000000000000000000000000000012", 0},
    /* 71 */ {"\"0000000000000000000000000012\"", 12},
    /* 72 */ {"\"00000000000000000000000000012\"", 1},
    /* 73 */ {"\"000000000000000000000000000012\"", 1},
    /* 74 */ {"'00000000000000000000000000012'", 1},
    /* 75 */ {"12345678901234567890123456789", 1849262357},
    /* 76 */ {"\"12345678901234567890123456789\"", -1103563954},
    /* 77 */ {"0b11111111111111111111111111111111", 134217727},
    // A double-byte character among the digits stops them wherever the cut falls.
    /* 78 */ {"\"123456789012345678901234567\x82\x50\"", 748637063},
};

// The case's value for failure messages, with its control bytes and bytes above 0x7F as \xNN.
inline std::string VisibleValue(const char* value) {
  static const char HEX[] = "0123456789ABCDEF";
  std::string shown = "\"";
  for (const char* p = value; *p != '\0'; ++p) {
    unsigned char const c = static_cast<unsigned char>(*p);
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      shown += static_cast<char>(c);
    } else {
      shown += "\\x";
      shown += HEX[c >> 4];
      shown += HEX[c & 0xF];
    }
  }
  return shown + "\"";
}
