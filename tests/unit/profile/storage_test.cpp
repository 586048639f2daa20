// Replacing pimbo.ini on save: a failure at any step leaves the old file byte for byte and
// no temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform.h"
#include "profile.h"
#include "storage_fault.h"
#include "test_files.h"

namespace {

const char kOld[] = "[settings]\r\nhot key=305\r\n\x95\x5C=old\r\n";

class StorageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetStorageFault(StorageFault::None);
    ProfileFree();
  }
  std::string Path() const { return folder_.File("pimbo.ini"); }
  TempFolder folder_;
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
