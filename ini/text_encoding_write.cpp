// The way back from the code page 932 text of pimbo.ini to the encoding its file was read in,
// for the editor's save.
#include "text_encoding.h"

#include <algorithm>
#include <new>

#include "platform.h"
#include "profile_text.h"  // ProfileIsLeadByte, ProfileIsHeaderLine
#include "text_encoding_marks.h"

namespace {

// "# 文字コード: シフトJIS" and a line end, in code page 932.
constexpr char CP932_NOTE[] = "# \x95\xB6\x8E\x9A\x83R\x81[\x83h: \x83V\x83t\x83gJIS\r\n";

bool StartsWithMark(std::string_view bytes) {
  return StartsWith(bytes, UTF8_MARK, sizeof UTF8_MARK) ||
         StartsWith(bytes, UTF16LE_MARK, sizeof UTF16LE_MARK) ||
         StartsWith(bytes, UTF16BE_MARK, sizeof UTF16BE_MARK);
}

// The user-defined code of the two code page 932 bytes, or 0 when they form none.
char16_t UserDefinedCode(unsigned char lead, unsigned char trail) {
  if (lead < 0xF0 || lead > 0xF9) return 0;
  unsigned index;
  if (trail >= 0x40 && trail <= 0x7E)
    index = trail - 0x40u;
  else if (trail >= 0x80 && trail <= 0xFC)
    index = trail - 0x80u + 63u;
  else
    return 0;
  return static_cast<char16_t>(STAND_IN_FIRST + (lead - 0xF0u) * 188u + index);
}

// True when text begins with the stand-in of U+FEFF (a file's own one, kept as it was).
bool StartsWithFeff(std::string_view text, const ProfileStandIns& standIns) {
  if (text.size() < 2 || standIns.Count() == 0) return false;
  const std::string* original = standIns.OriginalOf(
      UserDefinedCode(static_cast<unsigned char>(text[0]), static_cast<unsigned char>(text[1])));
  return original && StartsWith(*original, UTF8_MARK, sizeof UTF8_MARK);
}

// True when text's first line is a section header or the NUL that starts the unread rest of a
// file: a line that stands before it belongs to the nameless first section, which a save ends
// with an empty line.
bool BeginsOutsideFirstSection(std::string_view text) {
  if (text.empty()) return false;
  if (text[0] == '\0') return true;
  std::size_t const end = std::min(text.find_first_of("\r\n"), text.size());
  return ProfileIsHeaderLine(text.data(), end);
}

bool IsCp932TrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Writes UTF-16 units in the file's encoding.
class Encoder {
 public:
  Encoder(ProfileEncoding encoding, std::string* out) : encoding_(encoding), out_(out) {}

  void Ascii(char byte) {
    if (encoding_ == ProfileEncoding::Utf16Le) {
      out_->push_back(byte);
      out_->push_back('\0');
    } else if (encoding_ == ProfileEncoding::Utf16Be) {
      out_->push_back('\0');
      out_->push_back(byte);
    } else {
      out_->push_back(byte);
    }
  }

  void Units(const std::u16string& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
      char16_t const unit = units[i];
      if (encoding_ == ProfileEncoding::Utf16Le) {
        out_->push_back(static_cast<char>(unit & 0xFF));
        out_->push_back(static_cast<char>(unit >> 8));
      } else if (encoding_ == ProfileEncoding::Utf16Be) {
        out_->push_back(static_cast<char>(unit >> 8));
        out_->push_back(static_cast<char>(unit & 0xFF));
      } else {
        char32_t code = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
          code = 0x10000 + ((unit - 0xD800u) << 10) + (units[i + 1] - 0xDC00u);
          ++i;
        }
        Utf8(code);
      }
    }
  }

 private:
  void Utf8(char32_t code) {
    if (code < 0x80) {
      out_->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out_->push_back(static_cast<char>(0xC0 | (code >> 6)));
      out_->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out_->push_back(static_cast<char>(0xE0 | (code >> 12)));
      out_->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out_->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out_->push_back(static_cast<char>(0xF0 | (code >> 18)));
      out_->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out_->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out_->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  ProfileEncoding encoding_;
  std::string* out_;
};

}  // namespace

void EncodeProfileFile(std::string_view text, ProfileEncoding encoding,
                       const ProfileStandIns& standIns, std::string* out) {
  out->clear();
  if (encoding == ProfileEncoding::Cp932) {
    // A code page 932 file must not begin as if it had a mark (a first key named with those
    // bytes): it would read as another encoding next time. That line is always a key, so one
    // leading blank, which its name loses again, keeps it what it was.
    if (StartsWithMark(text)) out->push_back(' ');
    // Nor read as UTF-8, as it would once the lines that told it apart were edited away (some
    // pairs of half-width katakana and kanji form valid UTF-8): a comment in code page 932
    // Japanese, which is never valid UTF-8, keeps it code page 932. Before a header, or before
    // the unread text after a NUL, it stands in a section of its own, as a second save writes it.
    if (DetectProfileEncoding(text) == ProfileEncoding::Utf8) {
      out->append(CP932_NOTE);
      if (BeginsOutsideFirstSection(text)) out->append("\r\n");
    }
    out->append(text);
    return;
  }
  out->reserve(IsUtf16(encoding) ? text.size() * 2 + 2 : text.size() + text.size() / 2 + 4);
  // A file without a mark whose first key starts with U+FEFF would read with a mark next time.
  if (encoding == ProfileEncoding::Utf8 && StartsWithFeff(text, standIns))
    out->push_back(' ');
  if (encoding == ProfileEncoding::Utf8Bom)
    out->append(reinterpret_cast<const char*>(UTF8_MARK), sizeof UTF8_MARK);
  if (encoding == ProfileEncoding::Utf16Le)
    out->append(reinterpret_cast<const char*>(UTF16LE_MARK), sizeof UTF16LE_MARK);
  if (encoding == ProfileEncoding::Utf16Be)
    out->append(reinterpret_cast<const char*>(UTF16BE_MARK), sizeof UTF16BE_MARK);

  Encoder encoder(encoding, out);
  std::u16string units;
  auto const* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t const size = text.size();
  // Converts the characters of text[from, to) that are no stand-ins.
  auto flush = [&](std::size_t from, std::size_t to) {
    if (from == to) return;
    units.clear();
    if (!PlatformCp932ToUtf16(text.data() + from, to - from, &units)) throw std::bad_alloc();
    encoder.Units(units);
  };
  for (std::size_t p = 0; p < size;) {
    if (bytes[p] < 0x80) {
      encoder.Ascii(static_cast<char>(bytes[p]));
      ++p;
      continue;
    }
    // A run of characters beyond ASCII, stepped through by code page 932's lead bytes (a second
    // byte may be ASCII, so a run ends only at an ASCII byte that starts a character).
    std::size_t pending = p;  // first byte not yet written
    while (p < size && bytes[p] >= 0x80) {
      // A lead byte takes only a byte that can follow it: one left on its own (a text cut in
      // the middle of a character) must not swallow the quote or line end after it.
      if (ProfileIsLeadByte(bytes[p]) && p + 1 < size && IsCp932TrailByte(bytes[p + 1])) {
        char16_t const code = standIns.Count() != 0 ? UserDefinedCode(bytes[p], bytes[p + 1]) : 0;
        const std::string* original = code != 0 ? standIns.OriginalOf(code) : nullptr;
        if (original) {
          flush(pending, p);
          out->append(*original);
          pending = p + 2;
        }
        p += 2;
      } else {
        ++p;
      }
    }
    flush(pending, p);
  }
}
