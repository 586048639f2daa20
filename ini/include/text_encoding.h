// The encodings in which users' editors leave pimbo.ini, and the one conversion of its bytes to
// the code page 932 text that every reader of the file works on (and back, for the editor's
// save). Public to ini/ for config/: its one pass (command_walk.cpp) converts the file itself,
// and configuration.h tells the editor which encoding it read; nothing else converts.
//
// A file is read as one of these:
//   - UTF-16, little or big endian, when it starts with the matching byte-order mark;
//   - UTF-8, when it starts with the UTF-8 mark, or when the whole file is valid UTF-8 and holds
//     at least one multi-byte sequence (code page 932 Japanese is practically never valid
//     UTF-8: its lead bytes 0x81-0x9F are UTF-8 continuation bytes, and a lead byte from 0xE0 on
//     is followed by a second byte below 0x80 about half the time);
//   - code page 932 otherwise, taken byte for byte (a file of bytes below 0x80 needs no second
//     look at all).
// The editor writes a file back in the encoding it was read in, mark and all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ProfileEncoding : std::uint8_t {
  Cp932,    // no mark and not UTF-8 by the rule above
  Utf8,     // no mark, valid UTF-8 with a multi-byte sequence
  Utf8Bom,  // EF BB BF
  Utf16Le,  // FF FE
  Utf16Be,  // FE FF
};

// Characters of a Unicode file that code page 932 has no exact form for (an emoji in a comment,
// a Korean name), and bytes that are no character at all (broken UTF-8 after a mark). Each is
// held in the code page 932 text by a stand-in, a user-defined character (lead bytes 0xF0-0xF9,
// U+E000-U+E757, those 1,250 whose second byte is 0x80 or above) that the file itself does not
// use, and is written back as its original bytes:
// so no character is lost through a load and a save, and every byte rule of the reader (line
// ends, "=", blanks, quotes) sees the same structure as in the file.
class ProfileStandIns {
 public:
  // How many distinct characters stand in the text for others.
  std::size_t Count() const { return entries_.size(); }

  // The original bytes (in the file's encoding) that the stand-in code stands for, or null
  // when code is no stand-in of this file.
  const std::string* OriginalOf(char16_t code) const;

  // The stand-in of original (the bytes of one character in the file's encoding), assigned on
  // first use from the user-defined codes that free marks unused; 0 when every code is taken.
  char16_t StandInFor(std::string_view original, const std::vector<bool>& used);

 private:
  struct Entry {
    char16_t code;
    std::string original;
  };
  std::vector<Entry> entries_;  // in the order of their codes, which rise
};

// First and last code of the user-defined area that stand-ins come from, and its size.
inline constexpr char16_t STAND_IN_FIRST = 0xE000;
inline constexpr char16_t STAND_IN_LAST = 0xE757;
inline constexpr std::size_t STAND_IN_CODES = STAND_IN_LAST - STAND_IN_FIRST + 1;

// The code page 932 form of the user-defined code (STAND_IN_FIRST..STAND_IN_LAST): two bytes.
void AppendStandIn(char16_t code, std::string* out);

// A file's text as the readers see it.
struct ProfileFileText {
  ProfileEncoding encoding = ProfileEncoding::Cp932;
  std::string text;           // code page 932
  ProfileStandIns standIns;   // what the stand-ins of text stand for
  bool complete = true;       // false: more distinct characters lacked a form than there are
                              // stand-ins; the rest read as "?", and a save would lose them
};

// The encoding of a file's bytes by the rule above.
ProfileEncoding DetectProfileEncoding(std::string_view bytes);

// Converts a file's bytes into *out (its text in code page 932, the encoding, the stand-ins).
// A code page 932 file is moved through unchanged. The mark is dropped; so is an odd last byte
// of a UTF-16 file, which is no character. May throw std::bad_alloc.
void DecodeProfileFile(std::string bytes, ProfileFileText* out);

// The same for bytes whose encoding is known already (DetectProfileEncoding's answer).
void DecodeUnicodeFile(std::string_view bytes, ProfileEncoding encoding, ProfileFileText* out);

// The bytes of a file in encoding whose code page 932 text is text, with stand-ins written back
// as the bytes they stand for. May throw std::bad_alloc.
void EncodeProfileFile(std::string_view text, ProfileEncoding encoding,
                       const ProfileStandIns& standIns, std::string* out);
