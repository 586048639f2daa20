// Profile text in and out through files, for the profile store's tests.
#include "profile_files.h"

#include "profile.h"

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
