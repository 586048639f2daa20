// Code page 932 to and from UTF-16 on the host, through iconv. glibc's "CP932" maps as Windows
// does, but also converts some characters to look-alikes (U+00A5 to 0x5C, U+301C to 0x8160):
// a form counts as exact only when it converts back to the same units.
#include <iconv.h>

#include <cerrno>
#include <new>

#include "platform.h"

namespace {

// One conversion descriptor per direction, opened on first use and kept for the process.
iconv_t Converter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  return cd;
}

iconv_t ToUtf16() {
  static iconv_t const cd = Converter("UTF-16LE", "CP932");
  return cd;
}

iconv_t FromUtf16() {
  static iconv_t const cd = Converter("CP932", "UTF-16LE");
  return cd;
}

// Converts length bytes of in with cd into out (appended). stopOnInvalid: give up at the first
// sequence without a form; otherwise such a byte becomes U+30FB, as on Windows.
bool Convert(iconv_t cd, const char* in, std::size_t length, std::string* out,
             bool stopOnInvalid) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* input = const_cast<char*>(in);
  std::size_t left = length;
  while (left > 0) {
    char buffer[1024];
    char* output = buffer;
    std::size_t room = sizeof buffer;
    std::size_t const result = iconv(cd, &input, &left, &output, &room);
    out->append(buffer, static_cast<std::size_t>(output - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (stopOnInvalid) return false;
    // EILSEQ or EINVAL (a lead byte at the end): one byte becomes the replacement character.
    out->append("\xFB\x30", 2);
    ++input;
    --left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

}  // namespace

bool PlatformCp932ToUtf16(const char* text, std::size_t length, std::u16string* out) {
  try {
    std::string bytes;
    Convert(ToUtf16(), text, length, &bytes, false);
    std::size_t const old = out->size();
    out->resize(old + bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      (*out)[old + i / 2] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool PlatformUtf16ToCp932(const char16_t* units, std::size_t count, std::string* out) {
  try {
    std::string wide(count * 2, '\0');
    for (std::size_t i = 0; i < count; ++i) {
      wide[2 * i] = static_cast<char>(units[i] & 0xFF);
      wide[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    std::string narrow;
    if (!Convert(FromUtf16(), wide.data(), wide.size(), &narrow, true)) return false;
    std::string back;
    if (!Convert(ToUtf16(), narrow.data(), narrow.size(), &back, true) || back != wide)
      return false;
    out->append(narrow);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
