// Row comparison and text shortening of the command list (see command_rows.h).
#include "command_rows.h"

#include <cstring>
#include <new>

#include "shared.h"
#include "texts.h"

namespace {

int CompareTexts(const char* a, const char* b, TextCompare compare) {
  if (!a) return b ? -1 : 0;
  if (!b) return 1;
  return compare(a, b);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The letter of a drive at the start of path ("X:"), or '\0'.
char DriveLetter(const char* path) {
  char const c = path[0];
  bool const letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return letter && path[1] == ':' ? c : '\0';
}

}  // namespace

int CompareCommandRecords(const CommandRecord* a, const CommandRecord* b, RowOrder order,
                          TextCompare caseSensitive, TextCompare caseInsensitive) {
  if (!order.ascending) {
    const CommandRecord* first = a;
    a = b;
    b = first;
  }
  switch (order.column) {
    case COLUMN_KEY:
      return CompareTexts(a->key, b->key, caseSensitive);
    case COLUMN_NAME:
      return CompareTexts(a->name, b->name, caseSensitive);
    case COLUMN_OPERATION:
      return a->type < b->type ? -1 : (a->type > b->type ? 1 : 0);
    case COLUMN_FILE:
      return CompareTexts(a->file, b->file, caseInsensitive);
    default:
      return 0;
  }
}

long long PackRowOrder(RowOrder order) {
  // The column in the low bits, the direction above them: both fit any LPARAM.
  return (static_cast<long long>(order.ascending ? 1 : 0) << 16) |
         (static_cast<long long>(order.column) & 0xFFFF);
}

RowOrder UnpackRowOrder(long long parameter) {
  return RowOrder{static_cast<int>((parameter >> 16) & 1),
                  static_cast<int>(static_cast<short>(parameter & 0xFFFF))};
}

std::size_t ShortenToWidth(const char* text, int width, TextWidth measure, void* context,
                           char* out, std::size_t size) {
  if (size == 0) return 0;
  std::size_t const length = std::strlen(text);
  std::size_t const ellipsis = sizeof ELLIPSIS - 1;
  bool const tooWide = length > 0 && measure(text, length, context) > width;
  std::size_t kept = length;
  if (tooWide) {
    int const ellipsisWidth = measure(ELLIPSIS, ellipsis, context);
    // The first character stays whatever the width; widths grow with the length, so the
    // longest start that fits is found by halving the range of lengths.
    std::size_t low = static_cast<std::size_t>(NextChar(text) - text);
    std::size_t high = length - 1;
    kept = low;
    while (low <= high) {
      std::size_t const middle = low + (high - low) / 2;
      std::size_t const candidate = CharBoundaryLength(text, middle);
      if (candidate <= kept || measure(text, candidate, context) + ellipsisWidth <= width) {
        if (candidate > kept) kept = candidate;
        low = middle + 1;
      } else {
        high = middle - 1;
      }
    }
  }
  std::size_t const tail = tooWide ? ellipsis : 0;
  // The row buffers always have room; a smaller one still gets whole characters.
  if (kept + tail >= size) kept = CharBoundaryLength(text, size - 1 > tail ? size - 1 - tail : 0);
  std::memcpy(out, text, kept);
  std::size_t written = kept;
  if (tooWide && written + ellipsis < size) {
    std::memcpy(out + written, ELLIPSIS, ellipsis);
    written += ellipsis;
  }
  out[written] = '\0';
  return written;
}

bool IsNetworkPath(const char* path, DriveIsRemote isRemote, void* context) {
  if (path == nullptr) return false;
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\?\C:\ and \\.\C:\ are the long and the device forms of a drive path.
    bool const prefixed = (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
    if (!prefixed || DriveLetter(path + 4) == '\0') return true;
    path += 4;
  }
  char const letter = DriveLetter(path);
  return letter != '\0' && isRemote(letter, context);
}

int RowIconCache::IconOf(const CommandRecord* record, Lookup lookup, void* context) {
  auto const kept = icons_.find(record);
  if (kept != icons_.end()) return kept->second;
  int const icon = lookup(record, context);
  try {
    icons_.emplace(record, icon);
  } catch (const std::bad_alloc&) {
    // Not kept: the row is drawn all the same.
  }
  return icon;
}

void RowIconCache::Forget(const CommandRecord* record) { icons_.erase(record); }

void RowIconCache::Clear() { icons_.clear(); }
