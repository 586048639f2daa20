// Typing, matching, completion and the texts of the input line and the candidate list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command_list_fixture.h"
#include "matching.h"
#include "platform.h"

namespace {

// InputText as the window holds it.
struct Input {
  char text[INPUT_TEXT_SIZE] = {};
  explicit Input(const std::string& start = "") {
    std::memcpy(text, start.c_str(), start.size() + 1);
  }
  // Types each character of keys in turn; returns the last result.
  TypingResult Type(CommandRecord* head, const std::string& keys) {
    TypingResult result{TypingOutcome::Ignored, nullptr};
    for (char ch : keys) {
      result = TypeCharacter(text, static_cast<unsigned char>(ch), head);
    }
    return result;
  }
};

std::vector<std::string> KeysOf(const Candidate* list) {
  std::vector<std::string> keys;
  for (; list != nullptr; list = list->next) {
    keys.emplace_back(list->command->key);
  }
  return keys;
}

// CP932 bytes spelled out, so that the tests do not depend on how the source is converted.
const std::string HYOU = "\x95\x5C";   // a character whose second byte is a backslash
const std::string KANA_A = "\x82\xA0";  // a double-byte character with an ordinary second byte

TEST(Typing, TextEqualToAKeyRunsAtOnceSoALongerKeyIsUnreachable) {
  TestCommands commands{"a", "ab"};
  Input input;
  TypingResult result = input.Type(commands.head(), "a");
  EXPECT_EQ(result.outcome, TypingOutcome::Matched);
  ASSERT_NE(result.command, nullptr);
  EXPECT_STREQ(result.command->key, "a");
}

TEST(Typing, KeysAreCaseSensitive) {
  TestCommands commands{"a"};
  Input input;
  EXPECT_EQ(input.Type(commands.head(), "A").outcome, TypingOutcome::Refused);
  EXPECT_STREQ(input.text, "");
  EXPECT_EQ(FindCommandByKey(commands.head(), "A"), nullptr);
}

TEST(Typing, RefusedCharacterIsRemovedAndTheFittingCommandsRemain) {
  TestCommands commands{"word", "web", "mail"};
  Input input;
  EXPECT_EQ(input.Type(commands.head(), "w").outcome, TypingOutcome::Accepted);
  EXPECT_EQ(input.Type(commands.head(), "x").outcome, TypingOutcome::Refused);
  EXPECT_STREQ(input.text, "w");
  TestCandidates candidates(commands.head(), input.text);
  EXPECT_EQ(KeysOf(candidates.list()), (std::vector<std::string>{"word", "web"}));
  EXPECT_EQ(candidates.size(), 2);
}

TEST(Typing, OnlyPrintableSingleByteCharactersAreTaken) {
  TestCommands commands{"a"};
  for (int ch : {0x08, 0x09, 0x0D, 0x1B, 0x1F, 0x7F, 0x81, 0x95, 0xE0, 0xFF}) {
    Input input;
    EXPECT_EQ(TypeCharacter(input.text, ch, commands.head()).outcome, TypingOutcome::Ignored)
        << "character " << ch;
    EXPECT_STREQ(input.text, "");
  }
  EXPECT_TRUE(IsTypedCharacter(' '));
  EXPECT_TRUE(IsTypedCharacter('~'));
}

TEST(Typing, FullLineIsEmptiedAndTheCharacterDropped) {
  TestCommands commands{"a"};
  Input full(std::string(63, 'x'));  // a long display line
  EXPECT_EQ(full.Type(commands.head(), "a").outcome, TypingOutcome::Dropped);
  EXPECT_STREQ(full.text, "");

  Input almost(std::string(62, 'x'));  // one byte of room left: typed, then refused
  EXPECT_EQ(almost.Type(commands.head(), "a").outcome, TypingOutcome::Refused);
  EXPECT_EQ(std::strlen(almost.text), 62u);
}

TEST(Typing, WithoutCommandsEveryCharacterIsRefused) {
  Input input;
  EXPECT_EQ(input.Type(nullptr, "a").outcome, TypingOutcome::Refused);
  EXPECT_FALSE(AnyKeyHasPrefix(nullptr, ""));
}

TEST(Matching, PrefixRules) {
  EXPECT_TRUE(KeyHasPrefix("note", ""));
  EXPECT_TRUE(KeyHasPrefix("note", "no"));
  EXPECT_TRUE(KeyHasPrefix("note", "note"));
  EXPECT_FALSE(KeyHasPrefix("note", "notes"));
  EXPECT_FALSE(KeyHasPrefix("note", "No"));
  EXPECT_FALSE(KeyHasPrefix("", "n"));
}

TEST(Matching, FindCommandByKeyTakesTheFirstExactKey) {
  TestCommands commands{"ab", "a", "a"};
  CommandRecord* found = FindCommandByKey(commands.head(), "a");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, commands.head()->next);
  EXPECT_EQ(FindCommandByKey(commands.head(), ""), nullptr);
}

TEST(Candidates, ListFollowsTheCommandOrderAndEmptyTextListsAll) {
  TestCommands commands{"notepad", "mail", "note", "net"};
  TestCandidates fitting(commands.head(), "no");
  EXPECT_EQ(KeysOf(fitting.list()), (std::vector<std::string>{"notepad", "note"}));
  TestCandidates all(commands.head(), "");
  EXPECT_EQ(all.size(), 4);
  TestCandidates none(commands.head(), "x");
  EXPECT_EQ(none.list(), nullptr);
  EXPECT_EQ(none.size(), 0);
}

// Tab: how far the text is completed from the candidates for it (numbered as in the table).
TEST(Completion, CommonPrefixTable) {
  struct Case {
    std::vector<const char*> keys;
    const char* typed;
    bool completes;
    const char* after;
  };
  const Case cases[] = {
      /* 0 */ {{"word", "web"}, "", true, "w"},
      /* 1 */ {{"word", "web"}, "w", false, "w"},  // Tab again lists both
      /* 2 */ {{"notepad", "note"}, "n", true, "note"},
      /* 3 */ {{"note", "notepad"}, "n", false, "n"},  // first key no longer than the rest
      /* 4 */ {{"explorer"}, "ex", true, "explorer"},
      /* 5 */ {{"explorer"}, "explorer", false, "explorer"},
      /* 6 */ {{"same", "same"}, "s", false, "s"},
      /* 7 */ {{"abcx", "abcy", "abd"}, "", true, "ab"},
      /* 8 */ {{"word", "web"}, "q", false, "q"},  // no candidates
  };
  int i = 0;
  for (const Case& c : cases) {
    TestCommands commands{};
    for (const char* key : c.keys) {
      commands.Add(key, "name");
    }
    TestCandidates candidates(commands.head(), c.typed);
    Input input(c.typed);
    EXPECT_EQ(CompleteInput(input.text, candidates.list()), c.completes) << "case " << i;
    EXPECT_STREQ(input.text, c.after) << "case " << i;
    ++i;
  }
}

TEST(Completion, CompletedKeyRunsOnlyThroughEnter) {
  TestCommands commands{"explorer"};
  Input input("ex");
  {
    TestCandidates candidates(commands.head(), input.text);
    ASSERT_TRUE(CompleteInput(input.text, candidates.list()));
  }
  // Enter: exactly one candidate, whose command runs.
  TestCandidates candidates(commands.head(), input.text);
  EnterDecision decision = DecideEnter(candidates.list());
  EXPECT_EQ(decision.action, EnterAction::Run);
  EXPECT_EQ(decision.command, commands.head());
}

// Enter runs the one candidate, lists several and leaves a line that fits no key alone.
TEST(Enter, DecisionTable) {
  TestCommands none{};
  TestCommands one{"calc"};
  TestCommands several{"calc", "cmd", "Calc", "c"};
  struct Case {
    const TestCommands* commands;
    const char* text;
    EnterAction action;
    const char* runs;  // the key of the command that runs, for Run
  };
  const Case cases[] = {
      /* 0 empty line, one command: it runs */ {&one, "", EnterAction::Run, "calc"},
      /* 1 empty line, no command */ {&none, "", EnterAction::Nothing, nullptr},
      /* 2 empty line, several commands: listed */ {&several, "", EnterAction::List, nullptr},
      /* 3 a prefix of one key only */ {&several, "ca", EnterAction::Run, "calc"},
      /* 4 keys are case-sensitive */ {&several, "Ca", EnterAction::Run, "Calc"},
      /* 5 a prefix of several keys */ {&several, "c", EnterAction::List, nullptr},
      /* 6 the whole key, as Tab completes it */ {&one, "calc", EnterAction::Run, "calc"},
      /* 7 no key begins with the text */ {&several, "x", EnterAction::Nothing, nullptr},
      /* 8 a text longer than the only key */ {&one, "calcx", EnterAction::Nothing, nullptr},
  };
  int i = 0;
  for (const Case& c : cases) {
    TestCandidates candidates(c.commands->head(), c.text);
    EnterDecision decision = DecideEnter(candidates.list());
    EXPECT_EQ(decision.action, c.action) << "case " << i;
    if (c.runs != nullptr) {
      ASSERT_NE(decision.command, nullptr) << "case " << i;
      EXPECT_STREQ(decision.command->key, c.runs) << "case " << i;
    } else {
      EXPECT_EQ(decision.command, nullptr) << "case " << i;
    }
    ++i;
  }
}

std::string DisplayLine(const std::string& key, const std::string& name) {
  Input input(key);
  WriteDisplayLine(input.text, name.c_str());
  return input.text;
}

TEST(DisplayLine, KeyFieldIsTenBytesThenTheName) {
  EXPECT_EQ(DisplayLine("abc", "Notepad"), "abc       Notepad");
  EXPECT_EQ(DisplayLine("abcdefghijkl", "Notepad"), "abcdefghijNotepad");
  EXPECT_EQ(DisplayLine("", ""), std::string(10, ' '));
}

TEST(DisplayLine, NameIsCutToFiftyThreeBytes) {
  std::string name(60, 'n');
  std::string line = DisplayLine("key", name);
  EXPECT_EQ(line.size(), 63u);
  EXPECT_EQ(line.substr(10), std::string(53, 'n'));
}

TEST(DisplayLine, CutNeverLeavesHalfADoubleByteCharacter) {
  // Thirty double-byte characters: byte 53 would be the lead byte of the 27th.
  std::string name;
  for (int i = 0; i < 30; ++i) {
    name += KANA_A;
  }
  std::string line = DisplayLine("memo", name);
  EXPECT_EQ(line.size(), 62u);
  EXPECT_EQ(line.substr(10), name.substr(0, 52));

  // One single-byte character first: 53 bytes end exactly on a character.
  EXPECT_EQ(DisplayLine("memo", "x" + name).size(), 63u);

  // A hand-written key whose tenth byte starts a double-byte character.
  EXPECT_EQ(DisplayLine("abcdefghi" + HYOU, "N"), "abcdefghi N");
  EXPECT_EQ(DisplayLine("abcdefgh" + HYOU + "z", "N"), "abcdefgh" + HYOU + "N");
}

std::string KeyColumn(const std::string& key) {
  char out[LIST_TEXT_SIZE];
  std::size_t length = ListKeyText(key.c_str(), out);
  EXPECT_EQ(length, std::strlen(out));
  return out;
}

std::string NameColumn(const std::string& name) {
  char out[LIST_TEXT_SIZE];
  std::size_t length = ListNameText(name.c_str(), out);
  EXPECT_EQ(length, std::strlen(out));
  return out;
}

TEST(ListColumns, KeyOfTenBytesIsShortenedButANameOfTwentyIsNot) {
  EXPECT_EQ(KeyColumn("123456789"), "123456789");
  EXPECT_EQ(KeyColumn("1234567890"), "12345678..");
  EXPECT_EQ(KeyColumn(std::string(32, 'k')), "kkkkkkkk..");
  EXPECT_EQ(NameColumn(std::string(20, 'n')), std::string(20, 'n'));
  EXPECT_EQ(NameColumn("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqr..");
  EXPECT_EQ(NameColumn(std::string(255, 'n')), std::string(18, 'n') + "..");
}

TEST(ListColumns, DoubleByteCharacterAtTheCutIsDroppedWhole) {
  EXPECT_EQ(NameColumn("abcdefghijklmnopq" + HYOU + "xx"), "abcdefghijklmnopq..");
  EXPECT_EQ(NameColumn("abcdefghijklmnop" + HYOU + "xxx"), "abcdefghijklmnop" + HYOU + "..");
  EXPECT_EQ(KeyColumn("abcdefg" + HYOU + "x"), "abcdefg..");
}

}  // namespace

namespace {

TEST(Backspace, RemovesOneWholeCharacter) {
  char typed[INPUT_TEXT_SIZE] = "abc";
  RemoveLastCharacter(typed);
  EXPECT_STREQ(typed, "ab");
  char line[INPUT_TEXT_SIZE] = "memo      \x83\x81\x83\x82";  // a display line ending in two kana
  RemoveLastCharacter(line);
  EXPECT_STREQ(line, "memo      \x83\x81");
  char empty[INPUT_TEXT_SIZE] = "";
  RemoveLastCharacter(empty);
  EXPECT_STREQ(empty, "");
}

}  // namespace
