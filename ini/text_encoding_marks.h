// What reading and writing pimbo.ini's encodings share: the marks that name an encoding.
// Private to the INI library.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text_encoding.h"

inline constexpr unsigned char UTF8_MARK[] = {0xEF, 0xBB, 0xBF};
inline constexpr unsigned char UTF16LE_MARK[] = {0xFF, 0xFE};
inline constexpr unsigned char UTF16BE_MARK[] = {0xFE, 0xFF};

inline bool IsUtf16(ProfileEncoding encoding) {
  return encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be;
}

inline bool StartsWith(std::string_view bytes, const unsigned char* mark, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), mark, length) == 0;
}
