// Launch-key matching, completion and the texts the input window shows. Needs no window:
// it builds and is unit-tested on the host too.
#pragma once

#include <cstddef>

#include "commands.h"

// Size of InputText: at most 63 bytes of text and the terminating NUL.
inline constexpr int INPUT_TEXT_SIZE = 64;

// One command listed under the input line; records come from PlatformAlloc and are owned by
// the list; the command is not.
struct Candidate {
  Candidate* next;
  CommandRecord* command;
};

// True when key begins with text (an empty text is a prefix of every key).
bool KeyHasPrefix(const char* key, const char* text);
// True when some command's launch key begins with text.
bool AnyKeyHasPrefix(const CommandRecord* head, const char* text);
// The first command whose launch key equals text exactly (case-sensitive), or null.
CommandRecord* FindCommandByKey(CommandRecord* head, const char* text);
// With *list empty: appends a Candidate for every command whose key begins with text, in
// list order, adding 1 to *counter for each.
void BuildCandidates(CommandRecord* head, const char* text, Candidate** list, int* counter);
// Releases every record of list; the caller sets its head to null.
void FreeCandidates(Candidate* list);

// What Enter does with the candidates of the input text (the list BuildCandidates made for it).
enum class EnterAction {
  Nothing,  // no launch key begins with the text
  Run,      // exactly one does (on an empty line: there is one command only): it runs
  List,     // several do: they are listed under the input line
};

struct EnterDecision {
  EnterAction action;
  CommandRecord* command;  // set for Run only
};

// The Enter rule: one candidate runs, several are listed, none leaves the line as it is.
EnterDecision DecideEnter(const Candidate* list);

// What typing one character did to the input text (the WM_CHAR rules).
enum class TypingOutcome {
  Ignored,   // not a printable single-byte character: the text is unchanged
  Dropped,   // the text already held 63 bytes (a long display line): emptied, character lost
  Refused,   // no launch key begins with the longer text: the character was removed again
  Accepted,  // appended; no launch key equals the text yet
  Matched,   // appended, and the text equals the launch key of command, which is to run now
};

struct TypingResult {
  TypingOutcome outcome;
  CommandRecord* command;  // set for Matched only
};

// True for the characters that typing can append: the bytes 0x20 to 0x7E.
bool IsTypedCharacter(int ch);

// Applies one typed character (ch taken as a signed byte) to inputText (INPUT_TEXT_SIZE bytes).
TypingResult TypeCharacter(char* inputText, int ch, CommandRecord* head);

// How many leading bytes of the first candidate's key Tab completes to: the whole key when it
// is the only candidate, otherwise the first position below its length where another
// candidate's key differs (a shorter key differs at its terminator), or 0 when none does.
std::size_t CompletionLength(const Candidate* list);

// Tab: extends inputText to the completion of list when that is longer than the text, and
// returns true; returns false when there is nothing to complete (the caller lists the
// candidates instead).
bool CompleteInput(char* inputText, const Candidate* list);

// Rewrites inputText (INPUT_TEXT_SIZE bytes, holding the launch key) into the line shown after
// a launch: the key's first 10 bytes padded with blanks to 10, then the name, cut to the 63
// bytes of text the line holds. Neither cut leaves half of a double-byte character.
void WriteDisplayLine(char* inputText, const char* name);

// Room for one column text of the candidate list and its terminator.
inline constexpr std::size_t LIST_TEXT_SIZE = 24;

// The key column of the list: a key of 10 bytes or more as its first 8 bytes and "..".
// Returns the length written to out.
std::size_t ListKeyText(const char* key, char (&out)[LIST_TEXT_SIZE]);
// The name column of the list: a name of more than 20 bytes as its first 18 bytes and "..".
std::size_t ListNameText(const char* name, char (&out)[LIST_TEXT_SIZE]);

// Backspace: removes the last character of text, both bytes of a double-byte one (only the
// display line holds such characters), so no half character is left to be drawn.
void RemoveLastCharacter(char* text);
