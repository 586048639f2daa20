// End-to-end tests of the launcher at other scales and code pages: its size and font at 96, 144
// and 192 dpi (the dpi of Wine's prefix, LogPixels), what it draws and says where the process's
// ANSI code page is not 932, and the application manifests of both built programs.
#include <algorithm>
#include <cctype>
#include <vector>

#include "launcher_fixture.h"

#include <tlhelp32.h>  // after <windows.h>, which it needs

namespace {

using LauncherScale = LauncherTest;
using LauncherCodePage = LauncherTest;

// Two commands with Japanese names, listed by Down on an empty line.
std::string const LISTED_INI = e2e::IniText(
    {"[settings]", "FGColor=0", "BGColor=16777215", "command count=2", "[commands]",
     "command name0=\"メモ帳\"", "command key0=\"memo\"", "command type0=3",
     "command name1=\"Windows フォルダ\"", "command key1=\"win\"", "command type1=3"});

// Sets the dpi that Wine gives the programs started from now on (HKCU\Control Panel\Desktop
// LogPixels, read at each process's start) and puts the old value back when it goes, so that
// every other test runs at 96 dpi.
class PrefixDpi {
 public:
  explicit PrefixDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    ok_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE const*>(&dpi),
                         sizeof dpi) == ERROR_SUCCESS;
  }
  ~PrefixDpi() {
    if (had_) {
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE const*>(&old_),
                     sizeof old_);
    } else {
      RegDeleteValueA(key_, "LogPixels");
    }
    RegCloseKey(key_);
  }
  PrefixDpi(PrefixDpi const&) = delete;
  PrefixDpi& operator=(PrefixDpi const&) = delete;
  bool Ok() const { return ok_; }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
  bool ok_ = false;
};

// The window's pixels as the screen shows them (0x00RRGGBB, rows top down).
struct Shot {
  int width = 0, height = 0;
  std::vector<DWORD> pixels;
  bool operator==(Shot const&) const = default;
};

Shot CaptureWindow(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  Shot shot;
  shot.width = rect.right - rect.left;
  shot.height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  DWORD const* from = static_cast<DWORD const*>(bits);
  shot.pixels.assign(from, from + shot.width * shot.height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

// The ink (black pixels; the text is black on white) of the first candidate row, below the
// separator: its height and where the name column's ink begins.
struct RowInk {
  int height = 0;
  int nameLeft = 0;
};

RowInk FirstRowInk(Shot const& shot, int rowTop, int rowBottom) {
  int top = shot.height, bottom = -1;
  std::vector<bool> column(shot.width, false);
  for (int y = rowTop; y < rowBottom && y < shot.height; ++y) {
    for (int x = 1; x + 1 < shot.width; ++x) {
      if ((shot.pixels[y * shot.width + x] & 0xFFFFFF) != 0) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      column[x] = true;
    }
  }
  RowInk ink;
  ink.height = bottom >= top ? bottom - top + 1 : 0;
  // The key "memo" ends, a gap of blanks follows, then the name begins.
  int x = 1;
  while (x < shot.width && !column[x]) ++x;
  int gapStart = -1;
  for (; x < shot.width; ++x) {
    if (!column[x]) {
      if (gapStart < 0) gapStart = x;
    } else if (gapStart >= 0 && x - gapStart >= shot.width / 10) {
      ink.nameLeft = x;
      break;
    } else {
      gapStart = -1;
    }
  }
  return ink;
}

// Shows the window, lists both commands and returns what it shows once the drawing settles.
Shot ListedCommands(HWND window, int rowPitch) {
  // A box just dismissed may still hold the foreground for a moment: the hot key is pressed
  // again until the line has the keyboard.
  bool focused = false;
  for (int tries = 0; tries < 3 && !focused; ++tries) {
    if (!e2e::PressHotKey(MOD_ALT, '1') || !e2e::WaitVisible(window, true)) return {};
    focused = e2e::WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
  }
  if (!focused) return {};
  e2e::PressKey(VK_DOWN);
  e2e::WaitUntil([&] {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top >= 3 * rowPitch;
  });
  Shot shot, last;
  e2e::WaitUntil([&] {
    Sleep(200);
    last = shot;
    shot = CaptureWindow(window);
    return !shot.pixels.empty() && shot == last;
  });
  return shot;
}

// At 96, 144 and 192 dpi the line is 240 logical pixels wide and one row of a font of that
// scale high; the listed rows and their text scale with it.
TEST_F(LauncherScale, SizeAndFontFollowTheDpi) {
  RowInk base;
  for (int dpi : {96, 144, 192}) {
    SCOPED_TRACE("LogPixels " + std::to_string(dpi));
    PrefixDpi prefixDpi(dpi);
    ASSERT_TRUE(prefixDpi.Ok());
    ASSERT_NO_FATAL_FAILURE(Launch(LISTED_INI));
    RECT rect{};
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, 240 * dpi / 96);
    // One row: the small caption's height (16 at 96 dpi under Wine) and 4, at this scale.
    int const row = rect.bottom - rect.top;
    EXPECT_NEAR(row, (GetSystemMetrics(SM_CYSMCAPTION) + 4) * dpi / 96, 1);

    Shot const shot = ListedCommands(window_, row);
    ASSERT_EQ(shot.width, 240 * dpi / 96) << "expected the listed rows on the screen";
    RowInk const ink = FirstRowInk(shot, row, 2 * row);
    ASSERT_GT(ink.height, 0) << "expected the first row's text drawn";
    ASSERT_GT(ink.nameLeft, 0) << "expected the name column drawn";
    if (dpi == 96) {
      base = ink;
    } else {
      double const scale = dpi / 96.0;
      EXPECT_NEAR(ink.height, base.height * scale, base.height * scale * 0.3)
          << "expected the glyphs to grow with the dpi";
      EXPECT_NEAR(ink.nameLeft, base.nameLeft * scale, base.nameLeft * scale * 0.15)
          << "expected the key column to grow with the font";
    }
    e2e::OfferScreenshot("launcher-" + std::to_string(dpi) + "dpi");
    ExpectCloseEndsWithZero();
    launcher_ = e2e::Process();
    folder_.reset();
  }
}

// Starts folder\pimbo.exe through a Wine of its own whose Unix locale is English: Wine takes a
// program's ANSI code page from the locale of the Wine it is started by (a program started from
// this one keeps this one's code page, whatever environment it is given). Returns the id of the
// launcher's Windows process, 0 when none came.
DWORD StartInEnglishLocale(e2e::TestFolder const& folder, std::string const& exe) {
  std::string const unixPath = e2e::UnixPath(folder.PathOf(exe));
  if (unixPath.empty()) return 0;
  std::string command = "/bin/sh -c \"cd /tmp && LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 exec wine '" +
                        unixPath + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DWORD pid = 0;
  e2e::WaitUntil([&] {
    std::vector<DWORD> const found = e2e::ProcessesIn(folder.Path(), exe);
    if (!found.empty()) pid = found[0];
    return pid != 0;
  });
  return pid;
}

// The same program with its request for code page 932 blanked out of its manifest (same length,
// so the file stays whole): what a system that does not take the request runs.
bool CopyWithoutActiveCodePage(e2e::TestFolder const& folder, std::string const& name) {
  std::string bytes = ReadBytes(e2e::LauncherExe());
  std::string const element =
      "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">ja-JP"
      "</activeCodePage>";
  std::size_t const at = bytes.find(element);
  if (at == std::string::npos) return false;
  bytes.replace(at, element.size(), std::string(element.size(), ' '));
  return folder.WriteFile(name, bytes);
}

std::string const CODE_PAGE_WARNING =
    "この Windows の ANSI コード ページは日本語 (932) ではなく 1252 です。Pimbo の文字や "
    "pimbo.ini の日本語のパスが化けることがあります。\r\n\r\n"
    "This Windows uses the ANSI code page 1252, not Japanese (932): Pimbo's texts and the "
    "Japanese paths in pimbo.ini may be garbled.";

// Under an English locale (code page 1252) Wine honours the manifest's activeCodePage: the
// launcher runs with code page 932, says nothing and draws what it draws in a Japanese locale.
// Without that request it runs with 1252: it says so once and goes on.
TEST_F(LauncherCodePage, EnglishLocaleDrawsTheJapaneseNamesAndWarnsOnlyWithout932) {
  ASSERT_NO_FATAL_FAILURE(Launch(LISTED_INI));
  ASSERT_TRUE(e2e::StaysFalse([&] { return e2e::TopLevelWindows(launcher_.Id(), "#32770").size(); }))
      << "expected no code page warning with code page 932";
  RECT rect{};
  GetWindowRect(window_, &rect);
  int const row = rect.bottom - rect.top;
  Shot const japanese = ListedCommands(window_, row);
  ASSERT_FALSE(japanese.pixels.empty());
  ExpectCloseEndsWithZero();
  launcher_ = e2e::Process();
  folder_.reset();

  struct Case {
    const char* exe;
    bool warns;
  } const cases[] = {{"pimbo.exe", false}, {"pimbo-nocp.exe", true}};
  for (Case const& c : cases) {
    SCOPED_TRACE(c.exe);
    e2e::TestFolder folder(TestName());
    ASSERT_TRUE(folder.Ok());
    ASSERT_TRUE(c.warns ? CopyWithoutActiveCodePage(folder, c.exe) : folder.InstallLauncher());
    ASSERT_TRUE(folder.WriteFile("pimbo.ini", LISTED_INI));
    DWORD const pid = StartInEnglishLocale(folder, c.exe);
    if (pid == 0 && !c.warns) GTEST_SKIP() << "no Unix shell to start a Wine of its own from";
    ASSERT_NE(pid, 0u) << "expected the launcher started";
    e2e::Process launcher = e2e::Process::Attach(pid);
    HWND const window = e2e::WaitForLauncherWindow(pid);
    ASSERT_TRUE(window);
    if (c.warns) {
      HWND const box = e2e::WaitForMessageBox(pid, "Pimbo");
      ASSERT_TRUE(box) << "expected the code page warning";
      EXPECT_EQ(e2e::MessageBoxText(box), CODE_PAGE_WARNING);
      ASSERT_TRUE(e2e::DismissMessageBox(box));
      EXPECT_TRUE(e2e::StaysFalse([&] { return e2e::TopLevelWindows(pid, "#32770").size(); }))
          << "expected the warning once";
    } else {
      EXPECT_TRUE(e2e::StaysFalse([&] { return e2e::TopLevelWindows(pid, "#32770").size(); }))
          << "expected code page 932 from the manifest, so no warning";
    }
    EXPECT_TRUE(e2e::Responds(window)) << "expected the launcher to go on";
    if (!c.warns) {
      Shot const english = ListedCommands(window, row);
      EXPECT_TRUE(english == japanese) << "expected the rows drawn as in a Japanese locale";
      e2e::OfferScreenshot("launcher-english-locale");
    }
    EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);
  }
}

// The manifest of each built program: per-monitor v2 awareness with the system-aware fallback,
// code page 932 asked for, and the common controls 6.
// Manifest number `id` of the program, or "" when it has none.
std::string ManifestOf(std::string const& exe, int id) {
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "";
  std::string manifest;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(24))) {
    char const* data = static_cast<char const*>(LockResource(LoadResource(module, found)));
    if (data) manifest.assign(data, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return manifest;
}

bool NamesCommonControlsSix(std::string const& manifest) {
  std::size_t const dependency = manifest.find("<dependentAssembly>");
  std::size_t const name =
      manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"");
  return dependency != std::string::npos && name != std::string::npos && dependency < name &&
         manifest.find("publicKeyToken=\"6595b64144ccf1df\"") != std::string::npos;
}

// Both programs ask for the scale and the code page in the manifest the process starts with.
// The editor names the common controls 6 there too; the launcher, whose only standard controls
// are its boxes, in its second manifest, so that its start resolves none.
TEST(ProgramManifest, AsksForScaleCodePageAndCommonControls) {
  for (std::string const& exe : {e2e::LauncherExe(), e2e::EditorExe()}) {
    SCOPED_TRACE(exe);
    std::string const manifest = ManifestOf(exe, 1);
    ASSERT_FALSE(manifest.empty()) << "expected an RT_MANIFEST resource 1";
    for (char const* expected : {
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
             "</dpiAware>",
             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
             "PerMonitorV2, System</dpiAwareness>",
             "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">"
             "ja-JP</activeCodePage>",
         }) {
      EXPECT_NE(manifest.find(expected), std::string::npos) << "expected " << expected;
    }
    bool const launcher = exe == e2e::LauncherExe();
    EXPECT_EQ(NamesCommonControlsSix(manifest), !launcher);
    EXPECT_EQ(NamesCommonControlsSix(ManifestOf(exe, 2)), launcher);
  }
}

// The full paths of the modules loaded in the process.
std::vector<std::string> ModulesOf(DWORD pid) {
  std::vector<std::string> paths;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return paths;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    std::string path = entry.szExePath;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    paths.push_back(path);
  }
  CloseHandle(snapshot);
  return paths;
}

// The launcher starts without the common controls; its box brings the version 6 ones from the
// system's side-by-side store.
TEST(LauncherBoxes, TakeTheCommonControlsSixOfTheSystemStore) {
  e2e::TestFolder folder("boxes");
  ASSERT_TRUE(folder.InstallLauncher());
  auto comctl = [](std::vector<std::string> const& modules) {
    return std::find_if(modules.begin(), modules.end(), [](std::string const& m) {
      return m.size() >= 12 && m.compare(m.size() - 12, 12, "comctl32.dll") == 0;
    });
  };
  {
    e2e::Process launcher = e2e::StartLauncher(folder);
    ASSERT_TRUE(launcher.Started());
    ASSERT_TRUE(e2e::WaitForLauncherWindow(launcher.Id()));
    std::vector<std::string> const modules = ModulesOf(launcher.Id());
    ASSERT_FALSE(modules.empty()) << "could not list the launcher's modules";
    EXPECT_EQ(comctl(modules), modules.end()) << "expected no comctl32 at start: " << *comctl(modules);
    EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);
  }
  // Alt+1 held by this process: the launcher says so in a box.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '1'));
  struct Release {
    ~Release() { UnregisterHotKey(nullptr, 1); }
  } release;
  e2e::Process launcher = e2e::StartLauncher(folder);
  ASSERT_TRUE(launcher.Started());
  HWND box = e2e::WaitForMessageBox(launcher.Id(), "Pimbo");
  ASSERT_TRUE(box) << "expected the box of the held hot key";
  std::vector<std::string> const modules = ModulesOf(launcher.Id());
  auto const found = comctl(modules);
  ASSERT_NE(found, modules.end()) << "expected the box to load comctl32";
  EXPECT_NE(found->find("\\winsxs\\"), std::string::npos) << *found;
  EXPECT_NE(found->find("common-controls_6595b64144ccf1df_6."), std::string::npos) << *found;
  ASSERT_TRUE(e2e::DismissMessageBox(box));
  ASSERT_TRUE(e2e::WaitForLauncherWindow(launcher.Id()));
  EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);
}

}  // namespace
