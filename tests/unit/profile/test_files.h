// Temporary folders and byte-exact file helpers for the profile store's tests.
#pragma once

#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its files when destroyed.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The path of name inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// Loads bytes as a profile file (through a temporary file) and returns ProfileLoad's result.
int LoadProfileText(const std::string& bytes);
// Saves the current model and returns the bytes written (empty when the save failed).
std::string SaveProfileText();
// Load, save and free: the normalised form of bytes.
std::string Normalise(const std::string& bytes);
