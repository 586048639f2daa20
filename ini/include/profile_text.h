// How the profile library reads the text of a file: the lines, the names and the values, as
// inline rules that both the model's parser and the launcher's one-pass reader follow, so that
// the two cannot read one file in two ways. Public to ini/ for that one user: config/'s
// command_walk.cpp (and the unit tests of the rules); nothing else reads lines on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Longest section name, key name or comment line kept, in bytes.
inline constexpr std::size_t PROFILE_NAME_LIMIT = 255;

// The blanks that names and values are trimmed of.
inline bool ProfileIsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII upper-case letters to lower case, every other byte as it is.
inline char ProfileFoldByte(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// True when the names match: equal ignoring the case of ASCII letters, byte for byte otherwise.
inline bool ProfileNamesMatch(std::string_view stored, const char* name, std::size_t length) {
  if (stored.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (ProfileFoldByte(stored[i]) != ProfileFoldByte(name[i])) return false;
  return true;
}

// Length of text up to its first NUL, looking at no more than length bytes. A loop of its own:
// names and values are short, and memchr is a call into another module under Wine.
inline std::size_t ProfileFieldLength(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && text[i] != '\0') ++i;
  return i;
}

// True when byte starts a double-byte character of code page 932, the code page every text of
// the file is in once read (whatever the system's own code page is).
inline bool ProfileIsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest start of the length bytes at text that is at most limit bytes and
// never ends inside a double-byte character. A lead byte left on its own would pair with the
// quote, "]" or line end after it when the file is converted to Unicode, and the line would lose
// its structure; only hand-made texts are this long, so the walk is rarely taken.
inline std::size_t ProfileTextCut(const char* text, std::size_t length, std::size_t limit) {
  if (length <= limit) return length;
  std::size_t cut = 0;
  while (cut < limit) {
    std::size_t const step = ProfileIsLeadByte(static_cast<unsigned char>(text[cut])) ? 2 : 1;
    if (cut + step > limit) break;
    cut += step;
  }
  return cut;
}

// The longest start of a name of length bytes that PROFILE_NAME_LIMIT keeps: cut between
// characters when it is longer, and as it is otherwise.
inline std::size_t ProfileNameCut(const char* text, std::size_t length) {
  return ProfileTextCut(text, length, PROFILE_NAME_LIMIT);
}

// A name of length bytes that holds no NUL in its stored form: leading blanks skipped, at most
// PROFILE_NAME_LIMIT bytes (cut between characters), trailing blanks dropped. Skipping the
// leading blanks before the cut lets a name written back with a protective leading blank read as
// the same name.
inline std::string_view ProfileTrimmedName(const char* name, std::size_t length) {
  std::size_t start = 0;
  while (start < length && ProfileIsBlank(name[start])) ++start;
  std::size_t end = start + ProfileNameCut(name + start, length - start);
  while (end > start && ProfileIsBlank(name[end - 1])) --end;
  return std::string_view(name + start, end - start);
}

// The stored form of a section or key name: cut at a NUL, then trimmed as above.
inline std::string_view ProfileStoredName(const char* name, std::size_t length) {
  return ProfileTrimmedName(name, ProfileFieldLength(name, length));
}

// The part of a stored value that a getter hands out: trimmed, then one leading and one
// trailing double quote dropped, each on its own. Needs no copy, so it cannot run out of memory.
inline std::string_view ProfileTreatedValue(std::string_view stored) {
  std::size_t start = 0;
  std::size_t end = stored.size();
  while (start < end && ProfileIsBlank(stored[start])) ++start;
  while (end > start && ProfileIsBlank(stored[end - 1])) --end;
  if (start < end && stored[start] == '"') ++start;
  if (start < end && stored[end - 1] == '"') --end;
  return stored.substr(start, end - start);
}

// Copies length bytes of text into buffer (size bytes), cut to size - 1 and NUL-terminated, as
// a getter hands a value out; returns the bytes copied (0, writing nothing, without a buffer).
inline int ProfileCopyOut(const char* text, std::size_t length, char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  if (length > static_cast<std::size_t>(bufferSize - 1))
    length = static_cast<std::size_t>(bufferSize - 1);
  if (length != 0) std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

// Decimal text as ProfileParseInt reads it, given by its length: an optional sign and digits,
// anything else 0.
inline int ProfileIntOf(const char* text, std::size_t length) {
  if (length == 0) return 0;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    ++i;
  }
  // 32-bit arithmetic that wraps: a hand-written huge number gives its low 32 bits.
  std::uint32_t value = 0;
  for (; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(static_cast<std::int32_t>(value));
}

// The shape of one line: where it ends (its first CR or LF, or the end of the text) and where
// its first "=" and its first NUL are (the end of the text when it has none).
struct ProfileLineShape {
  std::size_t end;
  std::size_t equalsAt;
  std::size_t nulAt;
};

// Finds the shape of the line that starts at p, looking at each byte once. Sixteen bytes at a
// time where the processor compares them so: a loop of single bytes costs more than the rest
// of reading a long file, and a call into the C library's searches costs more than a short
// line under Wine.
inline ProfileLineShape ProfileShapeOfLine(const char* text, std::size_t p, std::size_t size) {
  ProfileLineShape shape{size, size, size};
  std::size_t e = p;
#if defined(__SSE2__)
  __m128i const cr = _mm_set1_epi8('\r');
  __m128i const lf = _mm_set1_epi8('\n');
  __m128i const equals = _mm_set1_epi8('=');
  __m128i const nul = _mm_setzero_si128();
  for (; size - e >= 16; e += 16) {
    __m128i const block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + e));
    unsigned const ends = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
    unsigned marks = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, equals), _mm_cmpeq_epi8(block, nul))));
    // Only the marks before the line's end belong to it.
    if (ends != 0) marks &= (ends & (0u - ends)) - 1;
    for (; marks != 0; marks &= marks - 1) {
      std::size_t const at = e + static_cast<std::size_t>(__builtin_ctz(marks));
      if (text[at] == '=') {
        if (shape.equalsAt == size) shape.equalsAt = at;
      } else if (shape.nulAt == size) {
        shape.nulAt = at;
      }
    }
    if (ends != 0) {
      shape.end = e + static_cast<std::size_t>(__builtin_ctz(ends));
      return shape;
    }
  }
#endif
  for (; e < size && text[e] != '\r' && text[e] != '\n'; ++e) {
    if (text[e] == '=' && shape.equalsAt == size) shape.equalsAt = e;
    if (text[e] == '\0' && shape.nulAt == size) shape.nulAt = e;
  }
  shape.end = e;
  return shape;
}

// True when a line of length bytes is a section header: "[", at least one byte, and "]" as its
// last byte. "[]" and a "[" line that ends otherwise are no headers.
inline bool ProfileIsHeaderLine(const char* line, std::size_t length) {
  return length >= 3 && line[0] == '[' && line[length - 1] == ']';
}

// Walks the lines of size bytes of text (up to its first NUL between lines) and tells sink
// what each one is:
//   sink.Line(remainingBytes)             before each line, with the bytes from its start on
//   sink.Header(inside, length)           "[...]": the bytes between the brackets (at least one)
//   sink.Comment(line, length)            a line whose first byte is "#"
//   sink.Key(name, length, value, length, hasNul)
//                                         any other line with a name before its first "=";
//                                         without "=", the whole line and an empty value. The
//                                         name starts the line and the value ends it.
//                                         hasNul: the line holds a NUL (where texts are cut)
//   sink.Unread(line, length)             a line that reads as nothing: a "[" line that is no
//                                         header, a line that starts with "="
//   sink.Rest(text, length)               the text from a NUL at the start of a line to the
//                                         end, which no reader reads
// Lines end at CR or LF; empty lines are passed over.
template <class Sink>
void ProfileScanLines(const char* text, std::size_t size, Sink& sink) {
  std::size_t p = 0;
  while (p < size && text[p] != '\0') {
    ProfileLineShape const shape = ProfileShapeOfLine(text, p, size);
    const char* line = text + p;
    std::size_t length = shape.end - p;
    sink.Line(size - p);
    if (length == 0) {
      // An empty line: nothing to keep.
    } else if (line[0] == '[') {
      // A header only when its last byte closes it; unclosed headers are no headers.
      if (ProfileIsHeaderLine(line, length))
        sink.Header(line + 1, length - 2);
      else
        sink.Unread(line, length);
    } else if (line[0] == '#') {
      sink.Comment(line, length);
    } else {
      bool const equals = shape.equalsAt != size;
      std::size_t nameLength = equals ? shape.equalsAt - p : length;
      if (nameLength > 0) {
        const char* value = equals ? line + nameLength + 1 : line + length;
        std::size_t valueLength = equals ? length - nameLength - 1 : 0;
        sink.Key(line, nameLength, value, valueLength, shape.nulAt != size);
      } else {
        sink.Unread(line, length);
      }
    }
    p = shape.end;
    while (p < size && (text[p] == '\r' || text[p] == '\n')) ++p;
  }
  if (p < size) sink.Rest(text + p, size - p);
}
