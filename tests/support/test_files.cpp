// The tests' file helpers that are the same on both sides (see test_files.h).
#include "test_files.h"

std::string Visible(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '\r')
      shown += "\\r";
    else if (c == '\n')
      shown += "\\n\n";
    else
      shown += c;
  }
  return shown;
}
