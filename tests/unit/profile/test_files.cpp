// Temporary folders and byte-exact file helpers for the profile store's tests.
#include "test_files.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "profile.h"

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pimbo-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::List() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int LoadProfileText(const std::string& bytes) {
  TempFolder folder;
  WriteBytes(folder.File("pimbo.ini"), bytes);
  return ProfileLoad(folder.File("pimbo.ini").c_str());
}

std::string SaveProfileText() {
  TempFolder folder;
  std::string path = folder.File("pimbo.ini");
  if (!ProfileSave(path.c_str())) return std::string();
  return ReadBytes(path);
}

std::string Normalise(const std::string& bytes) {
  LoadProfileText(bytes);
  std::string saved = SaveProfileText();
  ProfileFree();
  return saved;
}
