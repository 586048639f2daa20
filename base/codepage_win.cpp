// Code page 932 to and from UTF-16 on Windows, through the system's converters, named by their
// code page so that they hold whatever the system's own ANSI code page is.
#include <windows.h>

#include <new>

#include "platform.h"

namespace {

UINT const CODE_PAGE_932 = 932;

}  // namespace

bool PlatformCp932ToUtf16(const char* text, std::size_t length, std::u16string* out) {
  if (length == 0) return true;
  if (length > 0x7FFFFFFF) return false;
  int const count = static_cast<int>(length);
  // A code page 932 character gives at most one UTF-16 unit per byte.
  std::size_t const old = out->size();
  try {
    out->resize(old + length);
  } catch (const std::bad_alloc&) {
    return false;
  }
  int const made = MultiByteToWideChar(CODE_PAGE_932, 0, text, count,
                                       reinterpret_cast<wchar_t*>(out->data() + old), count);
  out->resize(old + static_cast<std::size_t>(made > 0 ? made : 0));
  return made > 0;
}

bool PlatformUtf16ToCp932(const char16_t* units, std::size_t count, std::string* out) {
  if (count == 0) return true;
  if (count > 0x3FFFFFFF) return false;
  std::size_t const old = out->size();
  try {
    out->resize(old + count * 2);  // at most two bytes a unit
  } catch (const std::bad_alloc&) {
    return false;
  }
  BOOL usedDefault = FALSE;
  // WC_NO_BEST_FIT_CHARS: a character without an exact form takes the default character and
  // reports it, instead of a look-alike (U+00A5 would become the path separator 0x5C).
  int const made = WideCharToMultiByte(
      CODE_PAGE_932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(units),
      static_cast<int>(count), out->data() + old, static_cast<int>(count * 2), nullptr,
      &usedDefault);
  if (made <= 0 || usedDefault) {
    out->resize(old);
    return false;
  }
  out->resize(old + static_cast<std::size_t>(made));
  return true;
}
