// The command list's rules that need no window: how two rows compare under a header sort, how
// a text too wide for its column is shortened with "...", which paths may wait on the network,
// and the icon each row looked up once. Builds and is tested on the host.
#pragma once

#include <cstddef>
#include <unordered_map>

#include "commands.h"

// Columns of the command list, by column index.
enum CommandColumn {
  COLUMN_KEY = 0,
  COLUMN_NAME = 1,
  COLUMN_OPERATION = 2,
  COLUMN_FILE = 3,
  COLUMN_COUNT = 4,
};

// Width of each column in percent of the list view's width, by column index.
inline constexpr int COLUMN_SHARES[COLUMN_COUNT] = {15, 20, 30, 35};

// Text comparison of the platform (lstrcmpA, lstrcmpiA on Windows): negative, zero, positive.
using TextCompare = int (*)(const char* a, const char* b);

// How one header sort compares: the direction and the clicked column.
struct RowOrder {
  int ascending;  // nonzero: a before b when a is smaller
  int column;     // a CommandColumn; any other value compares every row equal
};

// Compares two records for a sort by order.column: launch keys and names with
// caseSensitive, type numbers numerically, file texts with caseInsensitive. A null text is
// smaller than any other, two null texts are equal. A descending order compares b with a.
int CompareCommandRecords(const CommandRecord* a, const CommandRecord* b, RowOrder order,
                          TextCompare caseSensitive, TextCompare caseInsensitive);

// Packs an order into the sort parameter of the list view's sort and back.
long long PackRowOrder(RowOrder order);
RowOrder UnpackRowOrder(long long parameter);

// Width in pixels of the first length bytes of text, as the row is drawn.
using TextWidth = int (*)(const char* text, std::size_t length, void* context);

// Writes into out (size bytes) the text to draw in a column width pixels wide: text itself
// when it is empty or fits; otherwise its longest start that fits together with "..." (at
// least its first character), then "...". A cut never separates the two bytes of a
// double-byte character. Returns the length written.
std::size_t ShortenToWidth(const char* text, int width, TextWidth measure, void* context,
                           char* out, std::size_t size);

// Whether the drive of a letter ('A' to 'Z', either case) is a network drive; on Windows,
// GetDriveTypeA of its root is DRIVE_REMOTE.
using DriveIsRemote = bool (*)(char letter, void* context);

// True when path is not on a local drive, so that asking the file system about it may wait
// on a server that does not answer: any path that starts with two separators (\\server\share,
// \\?\UNC\server\share, a device path), except \\?\X: and \\.\X:, which are judged by their
// drive like X:; and any path on a drive letter that isRemote names. Everything else (a bare
// program name, a relative path, a path rooted on the current drive) counts as local: the
// system resolves it by the search path and the current folder, both as the user set them.
bool IsNetworkPath(const char* path, DriveIsRemote isRemote, void* context);

// What a row shows where its icon goes: an index into the system's small image list, or none.
int const NO_ROW_ICON = -1;

// The icon of each row, looked up the first time the row is drawn and kept for every repaint
// after that. Rows are known by their record, which a changed row replaces: the record's entry
// must be forgotten before the record is freed, so that a new record at the same address is
// looked up again.
class RowIconCache {
 public:
  // Looks up the icon of record on the file system; NO_ROW_ICON when it has none.
  using Lookup = int (*)(const CommandRecord* record, void* context);

  // The icon kept for record, or, the first time, the one lookup finds. Without memory for
  // the entry the icon is still returned, and looked up again next time.
  int IconOf(const CommandRecord* record, Lookup lookup, void* context);
  void Forget(const CommandRecord* record);
  void Clear();

 private:
  std::unordered_map<const CommandRecord*, int> icons_;
};
