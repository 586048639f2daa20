// The table of command types: one entry per stored type number, and entries whose parts agree
// with each other, so that the edit dialog never checks a field it hides, never offers an
// empty list, and every row has an icon.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "command_types.h"

namespace {

// Bitmap 110 holds four images side by side.
constexpr int PICTURE_COUNT = 4;

TEST(CommandTypes, OneEntryPerStoredTypeNumber) {
  std::set<std::string> labels;
  for (int type = CMD_APP; type <= CMD_DESKTOP_FOLDER; ++type) {
    const CommandTypeInfo* info = CommandTypeOf(type);
    ASSERT_NE(info, nullptr) << "type " << type;
    EXPECT_EQ(info->type, type);
    ASSERT_NE(info->label, nullptr) << "type " << type;
    EXPECT_NE(info->label[0], '\0') << "type " << type;
    labels.insert(info->label);
  }
  // The type list is chosen from by its texts: two equal ones could not be told apart.
  EXPECT_EQ(labels.size(), static_cast<std::size_t>(COMMAND_TYPE_COUNT));
  // A hand-edited file may hold any number; those have no entry.
  for (int type : {-1, CMD_DESKTOP_FOLDER + 1, 99}) EXPECT_EQ(CommandTypeOf(type), nullptr);
}

TEST(CommandTypes, SubOperationsAreOfferedExactlyWhereOneIsChecked) {
  for (const CommandTypeInfo& info : COMMAND_TYPES) {
    bool const checked = (info.checks & CHECK_OPERATION) != 0;
    EXPECT_EQ(!info.operations.empty(), checked) << "type " << info.type;
    // A list of its own is put in on switching; a type with none never shows the old one.
    if (checked) EXPECT_TRUE(info.replacesOperations) << "type " << info.type;
    // The list takes the first place, so that place's label names it.
    if (checked) EXPECT_NE(info.first.label[0], '\0') << "type " << info.type;
    for (const char* text : info.operations) {
      ASSERT_NE(text, nullptr) << "type " << info.type;
      EXPECT_NE(text[0], '\0') << "type " << info.type;
    }
  }
}

TEST(CommandTypes, ChecksReadOnlyFieldsTheDialogShows) {
  for (const CommandTypeInfo& info : COMMAND_TYPES) {
    // A shown field or button is enabled only under a label; a hidden field holds nothing
    // the user sees, so no check may read it.
    for (const OperandPlace* place : {&info.first, &info.second}) {
      if (place->field || place->button) EXPECT_NE(place->label[0], '\0') << "type " << info.type;
    }
    if (info.checks & CHECK_PROGRAM_OR_FILE) {
      EXPECT_TRUE(info.first.field && info.second.field) << "type " << info.type;
      EXPECT_FALSE(info.applicationHoldsFile) << "type " << info.type;
    }
    if (info.checks & CHECK_FOLDER_TO_OPEN) {
      EXPECT_TRUE(info.second.field) << "type " << info.type;
      EXPECT_EQ(info.fileChooser, FileChooser::Folder) << "type " << info.type;
    }
    // The new folder's name is read from the application field and stored as the file, and
    // the record shows it there again.
    EXPECT_EQ((info.checks & CHECK_NEW_FOLDER_NAME) != 0, info.applicationHoldsFile)
        << "type " << info.type;
    if (info.applicationHoldsFile) EXPECT_TRUE(info.first.field) << "type " << info.type;
    // A drop fills the file field or the application field: one of them is there to see it.
    if (info.acceptsDrops) EXPECT_TRUE(info.second.field) << "type " << info.type;
  }
}

TEST(CommandTypes, EveryRowHasAnIconAndPicturesAreDistinct) {
  std::set<int> pictures;
  for (const CommandTypeInfo& info : COMMAND_TYPES) {
    if (info.icon == RowIcon::Picture) {
      EXPECT_GE(info.picture, 0) << "type " << info.type;
      EXPECT_LT(info.picture, PICTURE_COUNT) << "type " << info.type;
      EXPECT_TRUE(pictures.insert(info.picture).second) << "type " << info.type;
    } else {
      EXPECT_EQ(info.picture, -1) << "type " << info.type;
    }
  }
  EXPECT_EQ(pictures.size(), static_cast<std::size_t>(PICTURE_COUNT));
}

}  // namespace
