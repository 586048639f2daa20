// Throw-away folders and byte-exact file helpers for the Windows tests of the profile store.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A new folder under the temporary folder whose name holds a double-byte character with a 0x5C
// second byte, removed with its files when destroyed.
class WinTempFolder {
 public:
  WinTempFolder();
  ~WinTempFolder();
  WinTempFolder(const WinTempFolder&) = delete;
  WinTempFolder& operator=(const WinTempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

// Writes bytes to path, replacing the file; false when it cannot.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file, or "<missing>" when it cannot be opened.
std::string ReadBytes(const std::string& path);
// The text with CR and LF shown as \r and \n, for failure messages.
std::string Visible(const std::string& text);
