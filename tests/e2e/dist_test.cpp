// The archive for Windows users, unpacked into an empty folder: it holds both programs with
// the build's version, a sample pimbo.ini and a read-me, and the launcher runs from there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver.h"
#include "pimbo_version.h"

namespace {

// Where the test's set-up unpacked the archive (a Unix path, from ctest).
std::string UnpackedFolder() {
  const char* folder = std::getenv("PIMBO_E2E_DIST_DIR");
  return folder ? e2e::WinePath(folder) + "\\pimbo-" PIMBO_VERSION_TEXT : std::string();
}

// The "FileVersion" text of the program's version resource, or "" without one.
std::string FileVersionOf(std::string const& program) {
  DWORD handle = 0;
  DWORD const size = GetFileVersionInfoSizeA(program.c_str(), &handle);
  if (size == 0) return "";
  std::string data(size, '\0');
  if (!GetFileVersionInfoA(program.c_str(), 0, size, data.data())) return "";
  char* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\StringFileInfo\\041103a4\\FileVersion",
                      reinterpret_cast<void**>(&text), &length) ||
      length == 0) {
    return "";
  }
  return std::string(text);
}

TEST(Distribution, UnpackedArchiveHoldsTheProgramsAndTheLauncherRunsFromIt) {
  std::string const folder = UnpackedFolder();
  ASSERT_FALSE(folder.empty()) << "PIMBO_E2E_DIST_DIR is not set";
  for (const char* name : {"pimbo.exe", "pimbosetting.exe", "pimbo.ini", "readme.txt"}) {
    EXPECT_NE(GetFileAttributesA((folder + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES)
        << "expected " << name << " in " << folder;
  }
  EXPECT_EQ(FileVersionOf(folder + "\\pimbo.exe"), PIMBO_VERSION_TEXT);
  EXPECT_EQ(FileVersionOf(folder + "\\pimbosetting.exe"), PIMBO_VERSION_TEXT);

  e2e::Process launcher = e2e::Process::Start(folder + "\\pimbo.exe", "", folder);
  ASSERT_TRUE(launcher.Started()) << "CreateProcessA failed, error " << launcher.Error();
  HWND window = e2e::WaitForLauncherWindow(launcher.Id());
  ASSERT_TRUE(window) << "expected the launcher window, got none";
  ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, '1'));
  EXPECT_TRUE(e2e::WaitVisible(window, true)) << "expected Alt+1 of the sample to show it";
  EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);
}

}  // namespace
