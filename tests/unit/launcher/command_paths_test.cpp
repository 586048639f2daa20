// Path helpers of the command runner: trailing backslashes, whole copies, free folder names.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "command_paths.h"

namespace {

const std::string HYOU = "\x95\x5C";  // second byte is 0x5C, the backslash

TEST(EnsureTrailingBackslash, AppendsOnlyWhereOneIsMissingAndFits) {
  struct Case {
    std::string path;
    int result;
    std::string after;
  };
  const Case cases[] = {
      /* 0 */ {"", 0, ""},
      /* 1 */ {"C:\\Desktop", 1, "C:\\Desktop\\"},
      /* 2 */ {"C:\\Desktop\\", 1, "C:\\Desktop\\"},
      /* 3 */ {"C:\\" + HYOU, 1, "C:\\" + HYOU + "\\"},
      /* 4 */ {"C:\\" + HYOU + "\\", 1, "C:\\" + HYOU + "\\"},
  };
  int i = 0;
  for (const Case& c : cases) {
    char buffer[PATH_BUFFER_SIZE];
    std::memcpy(buffer, c.path.c_str(), c.path.size() + 1);
    EXPECT_EQ(EnsureTrailingBackslash(buffer, sizeof buffer), c.result) << "case " << i;
    EXPECT_EQ(std::string(buffer), c.after) << "case " << i;
    ++i;
  }

  char full[8] = "C:\\abcd";  // seven bytes and the terminator: no room
  EXPECT_EQ(EnsureTrailingBackslash(full, sizeof full), 0);
  EXPECT_STREQ(full, "C:\\abcd");
}

// A folder on which paths are "created" by adding them to a set.
struct FakeFolder {
  std::set<std::string> existing;
  int lookups = 0;
  static bool Exists(const char* path, void* context) {
    auto* folder = static_cast<FakeFolder*>(context);
    ++folder->lookups;
    return folder->existing.count(path) != 0;
  }
  std::string CreateFree(const std::string& base, const std::string& name) {
    char out[PATH_BUFFER_SIZE];
    if (!ChooseFreeFolderPath(base.c_str(), name.c_str(), out, sizeof out, Exists, this)) {
      EXPECT_STREQ(out, "");
      return "<none>";
    }
    existing.insert(out);
    return out;
  }
};

TEST(FreeFolderName, SecondAndThirdRunsTakeTheNextSuffix) {
  FakeFolder desktop;
  const std::string base = "C:\\Users\\me\\Desktop\\";
  EXPECT_EQ(desktop.CreateFree(base, "work"), base + "work");
  EXPECT_EQ(desktop.CreateFree(base, "work"), base + "work_1");
  EXPECT_EQ(desktop.CreateFree(base, "work"), base + "work_2");
  desktop.existing.erase(base + "work_1");
  EXPECT_EQ(desktop.CreateFree(base, "work"), base + "work_1");  // the first free one wins
  EXPECT_EQ(desktop.CreateFree(base, "other"), base + "other");
}

TEST(FreeFolderName, PathBeyondTheBufferCreatesNothing) {
  FakeFolder desktop;
  const std::string base = "C:\\" + std::string(246, 'd') + "\\";  // 250 bytes
  const std::string name = std::string(9, 'n');                     // 259 bytes together
  EXPECT_EQ(desktop.CreateFree(base, name), base + name);
  // The taken name would need "_1" and two more bytes than the buffer has.
  EXPECT_EQ(desktop.CreateFree(base, name), "<none>");
  // A name that does not fit at all is refused before anything is looked up.
  desktop.lookups = 0;
  EXPECT_EQ(desktop.CreateFree(base, name + "x"), "<none>");
  EXPECT_EQ(desktop.lookups, 0);
}

TEST(FreeFolderName, HandEditedSeparatorsAndWildcardsCreateNothing) {
  FakeFolder desktop;
  const std::string base = "C:\\Users\\me\\Desktop\\";
  for (const char* name : {"..\\..\\Windows\\x", "a/b", "C:x", "a,b", "a;b", "a*", "a?",
                           "\"a\"", "<a>", "a|b"}) {
    EXPECT_EQ(desktop.CreateFree(base, name), "<none>") << name;
  }
  EXPECT_EQ(desktop.lookups, 0);
  // A double-byte character whose second byte is 0x5C is an ordinary character.
  EXPECT_EQ(desktop.CreateFree(base, HYOU), base + HYOU);
}

TEST(FreeFolderName, GivesUpWhenNoSuffixIsFree) {
  int lookups = 0;
  auto always = [](const char*, void* context) {
    ++*static_cast<int*>(context);
    return true;
  };
  char out[PATH_BUFFER_SIZE];
  EXPECT_FALSE(ChooseFreeFolderPath("C:\\", "x", out, sizeof out, always, &lookups));
  EXPECT_STREQ(out, "");
  EXPECT_EQ(lookups, FOLDER_SUFFIX_LIMIT + 1);
}

}  // namespace
