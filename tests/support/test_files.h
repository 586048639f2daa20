// Throw-away folders and byte-exact file helpers for every test: the host's unit tests take the
// POSIX side (test_files_posix.cpp), the Windows tests and the end-to-end driver the Windows
// side (test_files_win.cpp).
#pragma once

#include <string>
#include <vector>

// Names of the entries of the folder at path, sorted; empty when it cannot be read.
std::vector<std::string> ListFolder(const std::string& path);

// A new folder under the system's temporary folder, removed with everything in it when
// destroyed. On Windows its name holds a double-byte character whose second byte is 0x5C.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The path of name inside the folder.
  std::string File(const std::string& name) const;
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const { return ListFolder(path_); }

 private:
  std::string path_;
};

// Writes bytes as they are to path, replacing the file; false when it cannot.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
// True when path names a file or a folder.
bool FileExists(const std::string& path);
// The text with CR and LF shown as \r and \n, for failure messages.
std::string Visible(const std::string& text);

#ifdef _WIN32
// Wide form of an absolute path with the "\\?\" prefix, so that folders deeper than 260 bytes
// can be made, filled and removed.
std::wstring LongPath(const std::string& path);
// Removes the folder (a "\\?\" path) with everything in it, read-only files too.
void RemoveTree(const std::wstring& path);
#endif
