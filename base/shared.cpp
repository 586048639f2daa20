// The window-free helpers both programs share: code page 932 stepping, paths beside the
// programs, whole-text copies, the desktop folder name rule, centring, and (host build)
// environment expansion.
#include "shared.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform.h"

const char* NextChar(const char* text) {
  if (PlatformIsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0') {
    return text + 2;
  }
  // A lone lead byte before the terminator (a text cut in the middle of a character) moves
  // one byte on; stepping two would walk past the end of the text.
  return text + 1;
}

char* NextChar(char* text) {
  return const_cast<char*>(NextChar(static_cast<const char*>(text)));
}

std::size_t CharBoundaryLength(const char* text, std::size_t limit) {
  const char* p = text;
  while (*p != '\0') {
    const char* next = NextChar(p);
    // A lead byte without its second byte (a text already cut short) is no character either.
    bool lonelyLead = next == p + 1 && PlatformIsLeadByte(static_cast<unsigned char>(*p));
    if (lonelyLead || static_cast<std::size_t>(next - text) > limit) {
      break;
    }
    p = next;
  }
  return static_cast<std::size_t>(p - text);
}

const char* FileNamePart(const char* path) {
  if (path == nullptr) {
    return nullptr;
  }
  const char* part = path;
  for (const char* p = path; *p != '\0'; p = NextChar(p)) {
    if (*p == '\\') {
      part = p + 1;
    }
  }
  return part;
}

char* FileNamePart(char* path) {
  return const_cast<char*>(FileNamePart(static_cast<const char*>(path)));
}

bool FormatDirectoryPath(const char* directory, std::size_t directoryLength, const char* format,
                         char* out, std::size_t size) {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  if (directory == nullptr || format == nullptr) return false;
  const char* slot = std::strstr(format, "%s");
  if (slot == nullptr) return false;
  std::size_t const before = static_cast<std::size_t>(slot - format);
  std::size_t const after = std::strlen(slot + 2);
  if (before + directoryLength + after >= size) return false;
  char* write = out;
  std::memcpy(write, format, before);
  write += before;
  if (directoryLength != 0) std::memcpy(write, directory, directoryLength);
  write += directoryLength;
  std::memcpy(write, slot + 2, after + 1);  // with the terminator
  return true;
}

bool FormatDirectoryPath(const char* directory, const char* format, char* out, std::size_t size) {
  std::size_t const length = directory != nullptr ? std::strlen(directory) : 0;
  return FormatDirectoryPath(directory, length, format, out, size);
}

bool CopyTextWhole(char* destination, std::size_t size, const char* source) {
  if (size == 0) {
    return false;
  }
  std::size_t length = std::strlen(source);
  if (length + 1 > size) {
    destination[0] = '\0';
    return false;
  }
  std::memcpy(destination, source, length + 1);
  return true;
}

const char* FindForbiddenFolderChar(const char* name) {
  if (name == nullptr) return nullptr;
  for (const char* p = name; *p != '\0'; p = NextChar(p)) {
    if (std::strchr("\\/:,;*?\"<>|", *p) != nullptr) return p;
  }
  return nullptr;
}

int CenteredOrigin(int desktopExtent, int windowExtent) {
  return desktopExtent / 2 - windowExtent / 2;
}

#ifndef _WIN32
// The host's stand-in for ExpandEnvironmentStringsA, with the same treatment of references:
// "%NAME%" of a set variable becomes its value; of an unset one (or "%%") it stays as written
// and the scan goes on after its closing "%"; a "%" without a closing one stays as it is.
int ExpandPath(const char* source, char* destination, std::size_t size) {
  if (destination == nullptr || size == 0) return 0;
  destination[0] = '\0';
  if (source == nullptr) return 0;
  std::string expanded;
  try {
    const char* p = source;
    while (*p != '\0') {
      const char* open = std::strchr(p, '%');
      if (open == nullptr) {
        expanded.append(p);
        break;
      }
      expanded.append(p, static_cast<std::size_t>(open - p));
      const char* close = std::strchr(open + 1, '%');
      if (close == nullptr) {
        expanded.append(open);
        break;
      }
      std::string const name(open + 1, static_cast<std::size_t>(close - open - 1));
      const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
      if (value != nullptr) {
        expanded.append(value);
      } else {
        expanded.append(open, static_cast<std::size_t>(close - open + 1));
      }
      p = close + 1;
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::size_t const length = expanded.size() + 1;  // with the terminator
  if (length > PATH_BUFFER_SIZE || length > size) return 0;
  std::memcpy(destination, expanded.c_str(), length);
  return 1;
}
#endif
