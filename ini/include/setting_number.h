// How the platform's profile reader (GetPrivateProfileIntA) makes a number of a settings key's
// value, as inline rules that the launcher's one pass and the library's getter both follow, so
// that pimbo.ini's settings read as the same numbers whichever program reads them. Builds on
// the host too. Public to ini/ for those who read a settings key without the model:
// config/'s one pass and the launcher's start-up rules (launcher/startup_rules.cpp).
//
// The reader first gets the value as text into a buffer of 30 characters, then converts that
// text; a key whose text comes out empty gives the default. Measured under Wine 8 (code page
// 932), GetPrivateProfileIntA with default 4242 on the value after "=" (<xx>: a byte in hex):
//   305abc         305      '120'           120     ''  ""  (blanks only)      4242
//   0x131          305      "120"           120     '  "  '''  ' '  <01>       0
//   0X131 0B101    0        '120"  "120     0       <09><0B><0C><1A>           4242
//   0xABcd         43981    120"            120     '120'<1F>                  0
//   0b102          2        <0B>'120'<1A>   120     <81><40>120                0
//   0o17           15       "120<81>"       0       '12<81> '                  12
//   -0x10          -16      - 5  --5  +-5   0       4294967296                 0
//   <01>42         42       <7F>42          0       -2147483649                2147483647
//   0000000000000000000000000000012 (31 characters) 0, its last 30 characters 1
//   "00000000000000000000000000012" (29 inside the quotes) 1, with 28 inside 12
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform.h"  // PlatformIsLeadByte

// Characters of a value that the reader converts: its buffer holds 30 with the NUL.
inline constexpr std::size_t PROFILE_SETTING_TEXT_CHARS = 29;

// What the reader trims a value of at both ends: blank, tab, vertical tab, form feed and 0x1A
// (the end-of-file mark of old text files). Other control bytes, and the double-byte blank,
// stay; the conversion skips control bytes in front of the number, but they keep a quote from
// being the value's last character.
inline bool ProfileSettingIsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// Bytes of the character at text[at]. The reader converts the whole file from code page 932
// to wide characters before it looks at it, and a lead byte takes the byte after it whatever
// that is: a blank or a quote behind a lead byte is no blank or quote to it.
inline std::size_t ProfileSettingCharBytes(std::string_view text, std::size_t at) {
  bool const lead = PlatformIsLeadByte(static_cast<unsigned char>(text[at]));
  return lead && at + 1 < text.size() ? 2 : 1;
}

// The text that the reader converts, from a value as it stands after "=" (stored: blanks and
// quotes kept, no NUL):
//   - blanks trimmed at both ends;
//   - a value of two or more characters that ends with the quote (' or ") it starts with
//     loses that opening quote; the rest is cut to 29 characters, and then, when the rest
//     was no longer than 30 characters, its last character kept is dropped too. That is the
//     closing quote, except for a rest of exactly 30 characters, whose closing quote the cut
//     took already: there the reader drops the last character inside the quotes instead;
//   - any other value is cut to 29 characters.
// Characters are counted as the reader counts them (ProfileSettingCharBytes). An empty text
// gives the key's default. The reader hands out an unmapped double-byte pair as a character
// of its own choice; the text keeps the file's bytes, which read as the same number, as no
// digit is read past a byte above 0x7F. A line's value ends at a NUL for every reader of this
// library and is trimmed there; the platform's reader keeps the blanks before a NUL ("'12' "
// and a NUL read as 0 there, 12 here), a difference only a damaged file shows.
inline std::string_view ProfileSettingText(std::string_view stored) {
  std::size_t start = 0;
  while (start < stored.size() && ProfileSettingIsBlank(stored[start])) ++start;
  // One walk over the characters finds where the value's last character that is no blank
  // starts and ends, and where its 29th and 30th characters end.
  std::size_t last = start;
  std::size_t end = start;
  std::size_t characters = 0;  // of the value [start, end)
  std::size_t end29 = stored.size();
  std::size_t end30 = stored.size();
  std::size_t seen = 0;
  for (std::size_t at = start; at < stored.size();) {
    std::size_t const next = at + ProfileSettingCharBytes(stored, at);
    ++seen;
    if (seen == PROFILE_SETTING_TEXT_CHARS) end29 = next;
    if (seen == PROFILE_SETTING_TEXT_CHARS + 1) end30 = next;
    // A lead byte is never a blank, so a character's first byte tells.
    if (!ProfileSettingIsBlank(stored[at])) {
      last = at;
      end = next;
      characters = seen;
    }
    at = next;
  }
  char const first = start < end ? stored[start] : '\0';
  bool const quoted = (first == '\'' || first == '"') && characters >= 2 &&
                      end - last == 1 && stored[last] == first;
  if (!quoted) {
    std::size_t const cut = characters > PROFILE_SETTING_TEXT_CHARS ? end29 : end;
    return stored.substr(start, cut - start);
  }
  std::size_t const rest = characters - 1;  // after the opening quote, closing quote included
  std::size_t cut = end;
  if (rest > PROFILE_SETTING_TEXT_CHARS + 1)
    cut = end30;  // 29 characters of the rest, which end where the value's 30th does
  else if (rest == PROFILE_SETTING_TEXT_CHARS + 1)
    cut = end29;  // the cut took the closing quote; the 29th kept goes with it
  else
    cut = end - 1;  // the closing quote
  return stored.substr(start + 1, cut - start - 1);
}

// The number that the reader makes of text (ProfileSettingText): bytes up to 0x20 skipped,
// one "+" or "-", then "0x", "0o" or "0b" (lower-case letters only) for hexadecimal, octal or
// binary, otherwise decimal; then the digits of that base (letters of either case for
// hexadecimal) up to the first other byte, in 32-bit arithmetic that wraps. Text without
// digits gives 0.
inline int ProfileSettingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  std::uint32_t base = 10;
  if (text.size() - at >= 2 && text[at] == '0') {
    char const mark = text[at + 1];
    base = mark == 'x' ? 16 : mark == 'o' ? 8 : mark == 'b' ? 2 : 10;
    if (base != 10) at += 2;
  }
  std::uint32_t value = 0;
  for (; at < text.size(); ++at) {
    char const c = text[at];
    std::uint32_t digit = base;  // not a digit
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    if (digit >= base) break;
    value = value * base + digit;
  }
  if (negative) value = 0u - value;
  return static_cast<int>(static_cast<std::int32_t>(value));
}
