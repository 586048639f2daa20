// The conversion of pimbo.ini's bytes, in whatever encoding an editor left them, to the code
// page 932 text that both programs read. The way back, for the editor's save, is in
// text_encoding_write.cpp, which the launcher does not link.
#include "text_encoding.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform.h"
#include "profile_text.h"  // ProfileIsLeadByte, the one code page 932 lead-byte rule
#include "text_encoding_marks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

std::size_t MarkLength(ProfileEncoding encoding) {
  switch (encoding) {
    case ProfileEncoding::Utf8Bom:
      return sizeof UTF8_MARK;
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be:
      return 2;
    default:
      return 0;
  }
}

// The position of the first byte from p on that is not ASCII, or size. Sixteen bytes at a time
// where the processor compares them so: most of a file is ASCII, and the launcher reads it at
// every start.
std::size_t SkipAscii(const unsigned char* bytes, std::size_t p, std::size_t size) {
#if defined(__SSE2__)
  for (; size - p >= 16; p += 16) {
    __m128i const block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p));
    unsigned const high = static_cast<unsigned>(_mm_movemask_epi8(block));
    if (high != 0) return p + static_cast<std::size_t>(__builtin_ctz(high));
  }
#endif
  while (p < size && bytes[p] < 0x80) ++p;
  return p;
}

// One character of a Unicode file: its code point and how many bytes it takes. A byte that
// starts no valid UTF-8 sequence, and a UTF-16 surrogate without its partner, are characters of
// their own that are not valid: they have no code page 932 form and are kept as they are.
struct UnicodeChar {
  char32_t code;
  std::size_t length;
  bool valid;
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The UTF-8 character at bytes[p] (p < size), by the strict rules: no overlong forms, no
// surrogates, nothing above U+10FFFF.
UnicodeChar Utf8CharAt(const unsigned char* bytes, std::size_t p, std::size_t size) {
  unsigned char const b0 = bytes[p];
  UnicodeChar const invalid{b0, 1, false};
  if (b0 < 0x80) return UnicodeChar{b0, 1, true};
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t code;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    code = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    code = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;   // overlong
    if (b0 == 0xED) high = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    code = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;   // overlong
    if (b0 == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return invalid;
  }
  if (size - p < length) return invalid;
  if (bytes[p + 1] < low || bytes[p + 1] > high) return invalid;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(bytes[p + i])) return invalid;
    code = (code << 6) | (bytes[p + i] & 0x3F);
  }
  return UnicodeChar{code, length, true};
}

char16_t Utf16UnitAt(const unsigned char* bytes, std::size_t p, bool bigEndian) {
  return bigEndian ? static_cast<char16_t>((bytes[p] << 8) | bytes[p + 1])
                   : static_cast<char16_t>(bytes[p] | (bytes[p + 1] << 8));
}

// The UTF-16 character at bytes[p] (p + 1 < size).
UnicodeChar Utf16CharAt(const unsigned char* bytes, std::size_t p, std::size_t size,
                        bool bigEndian) {
  char16_t const unit = Utf16UnitAt(bytes, p, bigEndian);
  if (unit < 0xD800 || unit > 0xDFFF) return UnicodeChar{unit, 2, true};
  if (unit <= 0xDBFF && size - p >= 4) {
    char16_t const next = Utf16UnitAt(bytes, p + 2, bigEndian);
    if (next >= 0xDC00 && next <= 0xDFFF)
      return UnicodeChar{static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)),
                         4, true};
  }
  return UnicodeChar{unit, 2, false};
}

void AppendUtf16(char32_t code, std::u16string* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// Reads the characters of a Unicode file's bytes (its mark skipped) in one of the two forms.
class UnicodeReader {
 public:
  UnicodeReader(std::string_view bytes, ProfileEncoding encoding)
      : bytes_(reinterpret_cast<const unsigned char*>(bytes.data())),
        size_(bytes.size()),
        utf16_(IsUtf16(encoding)),
        bigEndian_(encoding == ProfileEncoding::Utf16Be) {
    // An odd last byte of a UTF-16 file is no character.
    if (utf16_) size_ = MarkLength(encoding) + ((size_ - MarkLength(encoding)) & ~std::size_t{1});
  }

  std::size_t Size() const { return size_; }
  const unsigned char* Bytes() const { return bytes_; }
  bool Utf16() const { return utf16_; }

  UnicodeChar At(std::size_t p) const {
    return utf16_ ? Utf16CharAt(bytes_, p, size_, bigEndian_) : Utf8CharAt(bytes_, p, size_);
  }
  // True when the character at p is ASCII (one byte of text).
  bool AsciiAt(std::size_t p) const {
    if (!utf16_) return bytes_[p] < 0x80;
    return Utf16UnitAt(bytes_, p, bigEndian_) < 0x80;
  }
  char AsciiByteAt(std::size_t p) const {
    return static_cast<char>(utf16_ ? Utf16UnitAt(bytes_, p, bigEndian_) : bytes_[p]);
  }

 private:
  const unsigned char* bytes_;
  std::size_t size_;
  bool utf16_;
  bool bigEndian_;
};

// The user-defined codes that the file's own characters use, which no stand-in may take.
std::vector<bool> UsedUserDefinedCodes(const UnicodeReader& reader, std::size_t start) {
  std::vector<bool> used(STAND_IN_CODES, false);
  for (std::size_t p = start; p < reader.Size();) {
    UnicodeChar const c = reader.At(p);
    if (c.valid && c.code >= STAND_IN_FIRST && c.code <= STAND_IN_LAST)
      used[c.code - STAND_IN_FIRST] = true;
    p += c.length;
  }
  return used;
}

// Turns the characters of a Unicode file into code page 932 text.
class Decoder {
 public:
  Decoder(const UnicodeReader& reader, std::size_t start, ProfileFileText* out)
      : reader_(reader), start_(start), out_(out) {}

  void Run() {
    std::string& text = out_->text;
    text.reserve(reader_.Utf16() ? (reader_.Size() - start_) / 2 : reader_.Size() - start_);
    std::size_t p = start_;
    std::size_t const size = reader_.Size();
    while (p < size) {
      if (!reader_.Utf16()) {
        std::size_t const q = SkipAscii(reader_.Bytes(), p, size);
        text.append(reinterpret_cast<const char*>(reader_.Bytes()) + p, q - p);
        p = q;
      } else {
        while (p < size && reader_.AsciiAt(p)) {
          text.push_back(reader_.AsciiByteAt(p));
          p += 2;
        }
      }
      if (p >= size) break;
      // A run of characters beyond ASCII, converted at once where every one has a form.
      std::size_t const runStart = p;
      while (p < size && !reader_.AsciiAt(p)) p += reader_.At(p).length;
      ConvertRun(runStart, p);
    }
  }

 private:
  void ConvertRun(std::size_t start, std::size_t end) {
    units_.clear();
    bool valid = true;
    for (std::size_t p = start; p < end;) {
      UnicodeChar const c = reader_.At(p);
      valid = valid && c.valid;
      AppendUtf16(c.code, &units_);
      p += c.length;
    }
    if (valid && ConvertKnown()) return;
    std::size_t const before = out_->text.size();
    if (valid && PlatformUtf16ToCp932(units_.data(), units_.size(), &out_->text)) {
      Remember(before);
      return;
    }
    // One character at a time, so that only those without a form take stand-ins.
    for (std::size_t p = start; p < end;) {
      UnicodeChar const c = reader_.At(p);
      units_.clear();
      AppendUtf16(c.code, &units_);
      if (!c.valid || !PlatformUtf16ToCp932(units_.data(), units_.size(), &out_->text))
        AddStandIn(p, c.length);
      p += c.length;
    }
  }

  // Appends the run in units_ from the forms that earlier runs found, when every character of it
  // has one: a file of 10,000 Japanese commands repeats its characters, and a call to the
  // system's converter for each of its 20,000 runs costs more than the rest of the reading.
  bool ConvertKnown() {
    if (known_.empty()) return false;
    for (char16_t unit : units_)
      if (known_[unit] == 0) return false;
    for (char16_t unit : units_) {
      std::uint16_t const form = known_[unit];
      if (form > 0xFF) out_->text.push_back(static_cast<char>(form >> 8));
      out_->text.push_back(static_cast<char>(form & 0xFF));
    }
    return true;
  }

  // Keeps the form of each character of the run in units_, converted from out_->text[before].
  // An exact conversion gives each unit one character of one or two bytes (no surrogate has a
  // form).
  void Remember(std::size_t before) {
    try {
      if (known_.empty()) known_.assign(0x10000, 0);
    } catch (const std::bad_alloc&) {
      return;  // only slower without it
    }
    const std::string& text = out_->text;
    std::size_t at = before;
    for (char16_t unit : units_) {
      if (at >= text.size()) return;
      auto const lead = static_cast<unsigned char>(text[at]);
      if (ProfileIsLeadByte(lead) && at + 1 < text.size()) {
        known_[unit] = static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(text[at + 1]));
        at += 2;
      } else {
        known_[unit] = lead;
        at += 1;
      }
    }
  }

  void AddStandIn(std::size_t p, std::size_t length) {
    if (!usedKnown_) {
      used_ = UsedUserDefinedCodes(reader_, start_);
      usedKnown_ = true;
    }
    std::string_view original(reinterpret_cast<const char*>(reader_.Bytes()) + p, length);
    char16_t const code = out_->standIns.StandInFor(original, used_);
    if (code == 0) {
      out_->complete = false;
      out_->text.push_back('?');
      return;
    }
    AppendStandIn(code, &out_->text);
  }

  const UnicodeReader& reader_;
  std::size_t start_;
  ProfileFileText* out_;
  std::u16string units_;  // the run being converted
  // The code page 932 form of each UTF-16 unit converted so far (0: none known yet), one or two
  // bytes as a number; made on the first run.
  std::vector<std::uint16_t> known_;
  std::vector<bool> used_;
  bool usedKnown_ = false;
};

}  // namespace

// True when the code page 932 form of the user-defined code has a second byte from 0x80 on. Only
// those are stand-ins: a second byte in the ASCII range ("[", "\\", "]") would take part in the
// byte rules of the reader (a line ending in "]" is a header) where the file had no such byte.
namespace {
bool HasHighSecondByte(char16_t code) { return (code - STAND_IN_FIRST) % 188u >= 63u; }
}  // namespace

const std::string* ProfileStandIns::OriginalOf(char16_t code) const {
  auto const found = std::lower_bound(entries_.begin(), entries_.end(), code,
                                      [](const Entry& e, char16_t c) { return e.code < c; });
  return found != entries_.end() && found->code == code ? &found->original : nullptr;
}

char16_t ProfileStandIns::StandInFor(std::string_view original, const std::vector<bool>& used) {
  for (const Entry& entry : entries_)
    if (entry.original == original) return entry.code;
  unsigned next = entries_.empty() ? STAND_IN_FIRST : entries_.back().code + 1u;
  while (next <= STAND_IN_LAST &&
         (used[next - STAND_IN_FIRST] || !HasHighSecondByte(static_cast<char16_t>(next))))
    ++next;
  if (next > STAND_IN_LAST) return 0;
  entries_.push_back(Entry{static_cast<char16_t>(next), std::string(original)});
  return static_cast<char16_t>(next);
}

void AppendStandIn(char16_t code, std::string* out) {
  unsigned const index = code - STAND_IN_FIRST;
  unsigned const trail = index % 188;
  out->push_back(static_cast<char>(0xF0 + index / 188));
  out->push_back(static_cast<char>(trail < 63 ? 0x40 + trail : 0x80 + (trail - 63)));
}

ProfileEncoding DetectProfileEncoding(std::string_view bytes) {
  if (StartsWith(bytes, UTF8_MARK, sizeof UTF8_MARK)) return ProfileEncoding::Utf8Bom;
  if (StartsWith(bytes, UTF16LE_MARK, sizeof UTF16LE_MARK)) return ProfileEncoding::Utf16Le;
  if (StartsWith(bytes, UTF16BE_MARK, sizeof UTF16BE_MARK)) return ProfileEncoding::Utf16Be;
  // Code page 932 text stops this at its first double-byte character, nearly always.
  auto const* data = reinterpret_cast<const unsigned char*>(bytes.data());
  bool multiByte = false;
  for (std::size_t p = 0;;) {
    p = SkipAscii(data, p, bytes.size());
    if (p >= bytes.size()) break;
    UnicodeChar const c = Utf8CharAt(data, p, bytes.size());
    if (!c.valid) return ProfileEncoding::Cp932;
    multiByte = true;
    p += c.length;
  }
  return multiByte ? ProfileEncoding::Utf8 : ProfileEncoding::Cp932;
}

void DecodeProfileFile(std::string bytes, ProfileFileText* out) {
  ProfileEncoding const encoding = DetectProfileEncoding(bytes);
  if (encoding != ProfileEncoding::Cp932) {
    DecodeUnicodeFile(bytes, encoding, out);
    return;
  }
  *out = ProfileFileText{};
  out->text = std::move(bytes);  // read where it lies: no conversion, no copy
}

void DecodeUnicodeFile(std::string_view bytes, ProfileEncoding encoding, ProfileFileText* out) {
  *out = ProfileFileText{};
  out->encoding = encoding;
  if (encoding == ProfileEncoding::Cp932) {
    out->text.assign(bytes);
    return;
  }
  UnicodeReader const reader(bytes, encoding);
  Decoder decoder(reader, MarkLength(encoding), out);
  decoder.Run();
}
