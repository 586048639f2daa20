// Replacing pimbo.ini on Windows: a save that cannot complete leaves the old file byte for byte
// and no temporary file beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands.h"
#include "configuration.h"
#include "platform.h"
#include "profile.h"
#include "settings.h"
#include "storage_fault.h"
#include "test_files.h"

namespace {

const char kOld[] = "[settings]\r\nhot key=305\r\ncommand count=0\r\n\r\n";
const std::string kNew = "[settings]\r\nhot key=306\r\n";

// The editor's save of a list of one command.
int SaveOneCommand(const std::string& ini) {
  CommandRecord record{};
  record.name = const_cast<char*>("n");
  record.key = const_cast<char*>("k");
  CommandList list;
  list.head = list.tail = &record;
  list.count = 1;
  return SaveCommands(ini.c_str(), list);
}

// What the editor does on OK: the settings, then the commands.
struct SaveResults {
  int settings;
  int commands;
};
SaveResults SaveSettingsThenCommands(const std::string& ini) {
  Settings s{};
  s.hotKey = 0x0232;
  s.hideTime = 4;
  SaveResults results{};
  results.settings = SaveSettings(ini.c_str(), s);
  results.commands = SaveOneCommand(ini);
  return results;
}

class StorageWinTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteBytes(Ini(), kOld)); }
  void TearDown() override {
    SetStorageFault(StorageFault::None);
    ProfileFree();
  }
  std::string Ini() const { return folder_.File("pimbo.ini"); }

  // The result of the commands' save, which comes last.
  int SaveAll() { return SaveSettingsThenCommands(Ini()).commands; }

  void ExpectUnchanged() {
    std::string actual = ReadBytes(Ini());
    EXPECT_EQ(actual, kOld) << "expected\n" << Visible(kOld) << "got\n" << Visible(actual);
    EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
  }

  // PlatformReplaceFile of kNew over kOld with the fault injected; its result and time taken.
  bool ReplaceWith(StorageFault fault, unsigned times = STORAGE_FAULT_LASTING) {
    SetStorageFault(fault, times);
    DWORD const start = GetTickCount();
    bool const replaced = PlatformReplaceFile(Ini().c_str(), kNew.data(), kNew.size());
    elapsedMs_ = GetTickCount() - start;
    SetStorageFault(StorageFault::None);
    return replaced;
  }

  void ExpectReplaced() {
    std::string actual = ReadBytes(Ini());
    EXPECT_EQ(actual, kNew) << "expected\n" << Visible(kNew) << "got\n" << Visible(actual);
    EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
  }

  TempFolder folder_;
  DWORD elapsedMs_ = 0;
};

// Only the commands' part: measured under Wine 8 run as root, WritePrivateProfileStringA
// writes through the read-only attribute (Windows refuses), so SaveSettings would change it.
TEST_F(StorageWinTest, ReadOnlyFileIsLeftAsItWas) {
  ASSERT_TRUE(SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(SaveOneCommand(Ini()), 0);
  ExpectUnchanged();
  EXPECT_EQ(GetFileAttributesA(Ini().c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(StorageWinTest, FileLockedWithoutSharingIsLeftAsItWas) {
  HANDLE lock = CreateFileA(Ini().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  // The commands cannot be read in, so writing them would drop the rest of the file.
  EXPECT_EQ(SaveAll(), 0);
  CloseHandle(lock);
  ExpectUnchanged();
}

TEST_F(StorageWinTest, FileOpenWithoutDeleteSharingIsLeftAsItWas) {
  // Readable, so the save gets as far as the replacement, which Windows refuses.
  HANDLE reader = CreateFileA(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
  ProfileSetInt("settings", "command count", 1, nullptr);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(ProfileSave(Ini().c_str()), 0);
  CloseHandle(reader);
  ExpectUnchanged();
}

TEST_F(StorageWinTest, FailureAtAnyStepKeepsTheOldFile) {
  for (StorageFault fault : {StorageFault::InPlace, StorageFault::Write, StorageFault::Flush,
                             StorageFault::Replace}) {
    SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)));
    ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
    ProfileSetInt("settings", "command count", 9, nullptr);
    SetStorageFault(fault);
    EXPECT_EQ(ProfileSave(Ini().c_str()), 0);
    SetStorageFault(StorageFault::None);
    ProfileFree();
    ExpectUnchanged();
  }
}

TEST_F(StorageWinTest, OldFileMovedAsideIsReplacedOrPutBack) {
  // ReplaceFileA reports ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the new file follows the old one,
  // which went to the backup name.
  EXPECT_TRUE(ReplaceWith(StorageFault::MovedAside));
  ExpectReplaced();
  // It cannot: the old file goes back, at once, for this is no passing lock.
  ASSERT_TRUE(WriteBytes(Ini(), kOld));
  EXPECT_FALSE(ReplaceWith(StorageFault::Stuck));
  EXPECT_LT(elapsedMs_, 500u);
  ExpectUnchanged();
}

TEST_F(StorageWinTest, NeitherFileMovableKeepsBothUnderTemporaryNames) {
  EXPECT_FALSE(ReplaceWith(StorageFault::Stranded));
  std::vector<std::string> contents;
  for (const std::string& name : folder_.List()) {
    EXPECT_EQ(name.rfind("~pb", 0), 0u) << "expected only temporary names, got " << name;
    contents.push_back(ReadBytes(folder_.File(name)));
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{kOld, kNew}));
}

TEST_F(StorageWinTest, PassingRefusalIsWaitedOutForAboutASecond) {
  EXPECT_TRUE(ReplaceWith(StorageFault::Busy, 3));
  EXPECT_LT(elapsedMs_, 900u);
  ExpectReplaced();
  ASSERT_TRUE(WriteBytes(Ini(), kOld));
  EXPECT_FALSE(ReplaceWith(StorageFault::Busy));
  EXPECT_GT(elapsedMs_, 500u);
  EXPECT_LT(elapsedMs_, 5000u);
  ExpectUnchanged();
}

DWORD WINAPI CloseAfter200Ms(void* handle) {
  Sleep(200);
  CloseHandle(static_cast<HANDLE>(handle));
  return 0;
}

TEST_F(StorageWinTest, FileHeldWithoutDeleteSharingIsWaitedForAboutASecond) {
  DWORD const share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE reader = CreateFileA(Ini().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReplaceWith(StorageFault::None));
  EXPECT_GT(elapsedMs_, 500u);
  EXPECT_LT(elapsedMs_, 5000u);
  CloseHandle(reader);
  ExpectUnchanged();
  // The reader lets go within the wait: the save succeeds.
  reader = CreateFileA(Ini().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE closer = CreateThread(nullptr, 0, CloseAfter200Ms, reader, 0, nullptr);
  ASSERT_NE(closer, nullptr);
  EXPECT_TRUE(ReplaceWith(StorageFault::None));
  EXPECT_GT(elapsedMs_, 100u) << "expected the save to wait for the reader";
  WaitForSingleObject(closer, INFINITE);
  CloseHandle(closer);
  ExpectReplaced();
}

TEST_F(StorageWinTest, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  EXPECT_EQ(SaveAll(), 1);
  std::string text = ReadBytes(Ini());
  EXPECT_EQ(text.rfind("[settings]\r\nhot key=562\r\ncommand count=1\r\n", 0), 0u) << Visible(text);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

// What SaveAll writes: the settings, then the commands.
void ExpectBothHalvesSaved(const std::string& text) {
  EXPECT_EQ(text.rfind("[settings]\r\nhot key=562\r\n", 0), 0u) << Visible(text);
  EXPECT_NE(text.find("HIDE TIME=4\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.find("command count=1\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.find("command key0=\"k\"\r\n"), std::string::npos) << Visible(text);
}

TEST_F(StorageWinTest, ReplacedFileKeepsItsAttributes) {
  DWORD const attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesA(Ini().c_str(), attributes));
  EXPECT_EQ(SaveAll(), 1);
  ExpectBothHalvesSaved(ReadBytes(Ini()));
  DWORD const now = GetFileAttributesA(Ini().c_str());
  EXPECT_EQ(now & attributes, attributes) << "expected hidden and archive kept, got 0x" << std::hex
                                          << now;
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

TEST_F(StorageWinTest, FolderThatTakesNoNewFileGetsTheFileWrittenInPlace) {
  // A hard link sees the very file that was written, not a new one in its place.
  std::string link = folder_.File("link.ini");
  ASSERT_TRUE(CreateHardLinkA(link.c_str(), Ini().c_str(), nullptr));
  SetStorageFault(StorageFault::Create);
  EXPECT_EQ(SaveAll(), 1);
  ExpectBothHalvesSaved(ReadBytes(link));
  EXPECT_EQ(ReadBytes(link), ReadBytes(Ini()));
  EXPECT_EQ(folder_.List(), (std::vector<std::string>{"link.ini", "pimbo.ini"}));
  // Nowhere to write at all: the failure reaches the caller.
  SetStorageFault(StorageFault::InPlace);
  EXPECT_EQ(SaveAll(), 0);
}

// A folder in which nothing can be created although pimbo.ini in it may be written; set up by
// frozen_folder.sh (the Linux immutable attribute, which binds even root), which names it in
// PIMBO_FROZEN_FOLDER.
TEST(FrozenFolder, SettingsAndCommandsAreBothSaved) {
  char folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("PIMBO_FROZEN_FOLDER", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) {
    GTEST_SKIP() << "no frozen folder: run through frozen_folder.sh";
  }
  std::string ini = std::string(folder) + "\\pimbo.ini";
  std::string probe = std::string(folder) + "\\probe.txt";
  ASSERT_FALSE(WriteBytes(probe, "x")) << "expected a folder that takes no new file";
  SaveResults results = SaveSettingsThenCommands(ini);
  EXPECT_EQ(results.settings, 1);
  EXPECT_EQ(results.commands, 1) << "expected the commands saved in place";
  ExpectBothHalvesSaved(ReadBytes(ini));
  EXPECT_EQ(GetFileAttributesA(probe.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StorageWinTest, FileNameWithABackslashTrailByteIsReplacedInItsFolder) {
  // The last 0x5C byte of this path is the second byte of a kanji, not a separator.
  std::string path = folder_.File("\x95\x5C");
  ASSERT_TRUE(WriteBytes(path, "old"));
  ProfileSetString("s", "k", "v", nullptr);
  EXPECT_EQ(ProfileSave(path.c_str()), 1);
  EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n\r\n");
  EXPECT_EQ(folder_.List(), (std::vector<std::string>{"pimbo.ini", "\x95\x5C"}));
}

TEST_F(StorageWinTest, PathsNearTheLimitNeverOverrun) {
  ProfileSetString("s", "k", "v", nullptr);
  // A target of 259 bytes, the longest the ANSI calls take: the temporary name is no longer.
  std::string longest = folder_.Path() + "\\";
  longest += std::string(259 - longest.size() - 4, 'a') + ".ini";
  ASSERT_EQ(longest.size(), 259u);
  EXPECT_EQ(ProfileSave(longest.c_str()), 1);
  EXPECT_EQ(ReadBytes(longest), "[s]\r\nk=v\r\n\r\n");
  // Longer targets fail without writing anything.
  std::string tooLong = folder_.Path() + "\\" + std::string(300, 'b') + ".ini";
  EXPECT_EQ(ProfileSave(tooLong.c_str()), 0);
  std::string deepFolder = folder_.Path() + "\\" + std::string(400, 'c') + "\\pimbo.ini";
  EXPECT_EQ(ProfileSave(deepFolder.c_str()), 0);
  std::vector<std::string> expected = {std::string(259 - folder_.Path().size() - 5, 'a') + ".ini",
                                       "pimbo.ini"};
  EXPECT_EQ(folder_.List(), expected);
}

TEST_F(StorageWinTest, ReadFileSharesWithWritersAndTakesEveryByte) {
  std::string bytes("a\0b\r\n\xFF\x95\x5C", 8);
  ASSERT_TRUE(WriteBytes(Ini(), bytes));
  HANDLE writer = CreateFileA(Ini().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  std::string out;
  EXPECT_TRUE(PlatformReadFile(Ini().c_str(), &out));
  CloseHandle(writer);
  EXPECT_EQ(out, bytes);
  EXPECT_FALSE(PlatformReadFile(folder_.File("absent.ini").c_str(), &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(PlatformReadFile(folder_.Path().c_str(), &out));
}

TEST_F(StorageWinTest, HeapBlocksAreZeroFilled) {
  auto* block = static_cast<unsigned char*>(PlatformAlloc(64));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0) << "byte " << i;
  PlatformFree(block);
  PlatformFree(nullptr);
  // Scratch memory too, and it goes back to the system: its pages are gone once released.
  auto* scratch = static_cast<unsigned char*>(PlatformAllocScratch(1 << 20));
  ASSERT_NE(scratch, nullptr);
  EXPECT_EQ(scratch[0] | scratch[(1 << 20) - 1], 0);
  PlatformFreeScratch(scratch);
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_NE(VirtualQuery(scratch, &region, sizeof region), 0u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
  PlatformFreeScratch(nullptr);
  EXPECT_TRUE(PlatformIsLeadByte(0x95));
  EXPECT_FALSE(PlatformIsLeadByte(0x5C));
}

}  // namespace
