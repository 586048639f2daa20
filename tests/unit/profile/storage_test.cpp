// Replacing pimbo.ini on save: a failure at any step leaves the old file byte for byte and
// no temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform.h"
#include "profile.h"
#include "storage_fault.h"
#include "profile_files.h"

namespace {

const char kOld[] = "[settings]\r\nhot key=305\r\n\x95\x5C=old\r\n";
const std::string kNew = "[settings]\r\nhot key=306\r\n";

class StorageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetStorageFault(StorageFault::None);
    ProfileFree();
  }
  std::string Path() const { return folder_.File("pimbo.ini"); }

  // PlatformReplaceFile of kNew over kOld with the fault injected; its result and time taken.
  bool ReplaceWith(StorageFault fault, unsigned times = STORAGE_FAULT_LASTING) {
    WriteBytes(Path(), kOld);
    SetStorageFault(fault, times);
    auto const start = std::chrono::steady_clock::now();
    bool const replaced = PlatformReplaceFile(Path().c_str(), kNew.data(), kNew.size());
    elapsed_ = std::chrono::steady_clock::now() - start;
    SetStorageFault(StorageFault::None);
    return replaced;
  }

  // The bytes of every file in the folder, sorted.
  std::vector<std::string> Contents() const {
    std::vector<std::string> contents;
    for (const std::string& name : folder_.List())
      contents.push_back(ReadBytes(folder_.File(name)));
    std::sort(contents.begin(), contents.end());
    return contents;
  }

  TempFolder folder_;
  std::chrono::steady_clock::duration elapsed_{};
};

TEST_F(StorageTest, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  WriteBytes(Path(), kOld);
  ASSERT_EQ(ProfileLoad(Path().c_str()), 1);
  ProfileSetInt("settings", "hot key", 306, nullptr);
  EXPECT_EQ(ProfileSave(Path().c_str()), 1);
  EXPECT_EQ(ReadBytes(Path()), "[settings]\r\nhot key=306\r\n\x95\x5C=old\r\n\r\n");
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

TEST_F(StorageTest, FailureAtAnyStepKeepsTheOldFile) {
  for (StorageFault fault : {StorageFault::InPlace, StorageFault::Write, StorageFault::Flush,
                             StorageFault::Replace}) {
    SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)));
    WriteBytes(Path(), kOld);
    ASSERT_EQ(ProfileLoad(Path().c_str()), 1);
    ProfileSetString("settings", "hot key", "1", nullptr);
    SetStorageFault(fault);
    EXPECT_EQ(ProfileSave(Path().c_str()), 0);
    SetStorageFault(StorageFault::None);
    EXPECT_EQ(ReadBytes(Path()), kOld);
    EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
    // The model is untouched: the same save succeeds once the fault is gone.
    EXPECT_EQ(ProfileSave(Path().c_str()), 1);
    EXPECT_EQ(ReadBytes(Path()), "[settings]\r\nhot key=1\r\n\x95\x5C=old\r\n\r\n");
    ProfileFree();
  }
}

TEST_F(StorageTest, FailureWithNoFileCreatesNothing) {
  for (StorageFault fault : {StorageFault::Create, StorageFault::InPlace, StorageFault::Write,
                             StorageFault::Flush, StorageFault::Replace}) {
    ProfileSetString("s", "k", "v", nullptr);
    SetStorageFault(fault);
    EXPECT_EQ(ProfileSave(Path().c_str()), 0);
    EXPECT_TRUE(folder_.List().empty());
    ProfileFree();
  }
}

TEST_F(StorageTest, OldFileMovedAsideIsReplacedOrPutBack) {
  // The new file follows the old one, which was moved aside to the backup name.
  EXPECT_TRUE(ReplaceWith(StorageFault::MovedAside));
  EXPECT_EQ(ReadBytes(Path()), kNew);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
  // It cannot: the old file goes back, at once, for this is no passing lock.
  EXPECT_FALSE(ReplaceWith(StorageFault::Stuck));
  EXPECT_LT(elapsed_, std::chrono::milliseconds(500));
  EXPECT_EQ(ReadBytes(Path()), kOld);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

TEST_F(StorageTest, NeitherFileMovableKeepsBothUnderTemporaryNames) {
  EXPECT_FALSE(ReplaceWith(StorageFault::Stranded));
  std::vector<std::string> names = folder_.List();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind("~pb", 0), 0u) << names[0];
  EXPECT_EQ(names[1].rfind("~pb", 0), 0u) << names[1];
  EXPECT_EQ(Contents(), (std::vector<std::string>{kOld, kNew}));
}

TEST_F(StorageTest, PassingRefusalIsWaitedOutForAboutASecond) {
  EXPECT_TRUE(ReplaceWith(StorageFault::Busy, 3));
  EXPECT_LT(elapsed_, std::chrono::milliseconds(900));
  EXPECT_EQ(ReadBytes(Path()), kNew);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
  // A lasting refusal reaches the caller after the wait, the old file as it was.
  EXPECT_FALSE(ReplaceWith(StorageFault::Busy));
  EXPECT_GT(elapsed_, std::chrono::milliseconds(500));
  EXPECT_LT(elapsed_, std::chrono::seconds(5));
  EXPECT_EQ(ReadBytes(Path()), kOld);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

TEST_F(StorageTest, FolderThatTakesNoNewFileGetsTheFileWrittenInPlace) {
  WriteBytes(Path(), kOld);
  std::string link = folder_.File("link.ini");
  ASSERT_EQ(::link(Path().c_str(), link.c_str()), 0);
  ASSERT_EQ(ProfileLoad(Path().c_str()), 1);
  ProfileSetInt("settings", "hot key", 306, nullptr);
  SetStorageFault(StorageFault::Create);
  EXPECT_EQ(ProfileSave(Path().c_str()), 1);
  // The same file took the new text: the hard link shows it.
  const char expected[] = "[settings]\r\nhot key=306\r\n\x95\x5C=old\r\n\r\n";
  EXPECT_EQ(ReadBytes(Path()), expected);
  EXPECT_EQ(ReadBytes(link), expected);
  // A shorter text leaves nothing of the longer one behind it.
  ProfileFree();
  ProfileSetString("s", "k", "v", nullptr);
  EXPECT_EQ(ProfileSave(Path().c_str()), 1);
  EXPECT_EQ(ReadBytes(link), "[s]\r\nk=v\r\n\r\n");
  EXPECT_EQ(folder_.List(), (std::vector<std::string>{"link.ini", "pimbo.ini"}));
}

TEST_F(StorageTest, ReadOnlyFileIsLeftAsItWas) {
  WriteBytes(Path(), kOld);
  ASSERT_EQ(chmod(Path().c_str(), 0444), 0);
  ProfileSetString("s", "k", "v", nullptr);
  EXPECT_EQ(ProfileSave(Path().c_str()), 0);
  EXPECT_EQ(ReadBytes(Path()), kOld);
  EXPECT_EQ(folder_.List(), std::vector<std::string>{"pimbo.ini"});
}

TEST_F(StorageTest, UnusablePathsFailCleanly) {
  ProfileSetString("s", "k", "v", nullptr);
  EXPECT_EQ(ProfileSave(folder_.File("missing/pimbo.ini").c_str()), 0);
  std::string longPath = folder_.Path() + "/" + std::string(5000, 'x') + "/pimbo.ini";
  EXPECT_EQ(ProfileSave(longPath.c_str()), 0);
  EXPECT_FALSE(PlatformReplaceFile(nullptr, "", 0));
  EXPECT_TRUE(folder_.List().empty());
}

TEST_F(StorageTest, ReadFileTakesTheWholeFile) {
  std::string bytes("a\0b\r\n\xFF", 6);
  WriteBytes(Path(), bytes);
  std::string out = "stale";
  EXPECT_TRUE(PlatformReadFile(Path().c_str(), &out));
  EXPECT_EQ(out, bytes);
  EXPECT_FALSE(PlatformReadFile(folder_.File("absent").c_str(), &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(PlatformReadFile(folder_.Path().c_str(), &out));  // a folder is no file
  EXPECT_TRUE(PlatformFileExists(Path().c_str()));
  EXPECT_FALSE(PlatformFileExists(folder_.File("absent").c_str()));
}

TEST_F(StorageTest, LeadBytesAreThoseOfCodePage932) {
  EXPECT_FALSE(PlatformIsLeadByte(0x5C));
  EXPECT_FALSE(PlatformIsLeadByte(0x80));
  EXPECT_TRUE(PlatformIsLeadByte(0x81));
  EXPECT_TRUE(PlatformIsLeadByte(0x9F));
  EXPECT_FALSE(PlatformIsLeadByte(0xA0));
  EXPECT_FALSE(PlatformIsLeadByte(0xDF));  // half-width katakana are single bytes
  EXPECT_TRUE(PlatformIsLeadByte(0xE0));
  EXPECT_TRUE(PlatformIsLeadByte(0xFC));
  EXPECT_FALSE(PlatformIsLeadByte(0xFD));
}

}  // namespace
