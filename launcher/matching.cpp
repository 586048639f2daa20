// Launch-key matching, Tab completion and the texts of the input line and the candidate list.
#include "matching.h"

#include <cstring>

#include "command_paths.h"
#include "platform.h"
#include "shared.h"

namespace {

// Bytes of the launch-key field at the start of the display line.
constexpr std::size_t DISPLAY_KEY_FIELD = 10;

// A record read from the file always has its texts; a missing one is taken as empty.
const char* TextOrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

// Writes text into out whole when it is at most keepWhole bytes; otherwise its first cut bytes
// (fewer when the cut would split a double-byte character) followed by "..".
std::size_t ShortenListText(const char* text, std::size_t keepWhole, std::size_t cut,
                            char (&out)[LIST_TEXT_SIZE]) {
  std::size_t length = std::strlen(text);
  if (length <= keepWhole) {
    CopyBytes(out, text, length);
    out[length] = '\0';
    return length;
  }
  std::size_t kept = CharBoundaryLength(text, cut);
  CopyBytes(out, text, kept);
  out[kept] = '.';
  out[kept + 1] = '.';
  out[kept + 2] = '\0';
  return kept + 2;
}

}  // namespace

bool KeyHasPrefix(const char* key, const char* text) {
  key = TextOrEmpty(key);
  for (; *text != '\0'; ++text, ++key) {
    if (*key != *text) {
      return false;
    }
  }
  return true;
}

bool AnyKeyHasPrefix(const CommandRecord* head, const char* text) {
  for (const CommandRecord* command = head; command != nullptr; command = command->next) {
    if (KeyHasPrefix(command->key, text)) {
      return true;
    }
  }
  return false;
}

CommandRecord* FindCommandByKey(CommandRecord* head, const char* text) {
  for (CommandRecord* command = head; command != nullptr; command = command->next) {
    if (std::strcmp(TextOrEmpty(command->key), text) == 0) {
      return command;
    }
  }
  return nullptr;
}

void BuildCandidates(CommandRecord* head, const char* text, Candidate** list, int* counter) {
  Candidate** tail = list;
  while (*tail != nullptr) {
    tail = &(*tail)->next;
  }
  for (CommandRecord* command = head; command != nullptr; command = command->next) {
    if (!KeyHasPrefix(command->key, text)) {
      continue;
    }
    auto* candidate = static_cast<Candidate*>(PlatformAlloc(sizeof(Candidate)));
    if (candidate == nullptr) {
      return;  // out of memory: list what we have
    }
    candidate->next = nullptr;
    candidate->command = command;
    *tail = candidate;
    tail = &candidate->next;
    ++*counter;
  }
}

void FreeCandidates(Candidate* list) {
  while (list != nullptr) {
    Candidate* next = list->next;
    PlatformFree(list);
    list = next;
  }
}

EnterDecision DecideEnter(const Candidate* list) {
  if (list == nullptr) {
    return {EnterAction::Nothing, nullptr};
  }
  if (list->next != nullptr) {
    return {EnterAction::List, nullptr};
  }
  return {EnterAction::Run, list->command};
}

bool IsTypedCharacter(int ch) {
  auto byte = static_cast<signed char>(ch);
  return byte >= 0x20 && byte <= 0x7E;
}

TypingResult TypeCharacter(char* inputText, int ch, CommandRecord* head) {
  if (!IsTypedCharacter(ch)) {
    return {TypingOutcome::Ignored, nullptr};
  }
  std::size_t length = std::strlen(inputText);
  if (length > INPUT_TEXT_SIZE - 2) {
    inputText[0] = '\0';
    return {TypingOutcome::Dropped, nullptr};
  }
  inputText[length] = static_cast<char>(ch);
  inputText[length + 1] = '\0';
  if (!AnyKeyHasPrefix(head, inputText)) {
    inputText[length] = '\0';
    return {TypingOutcome::Refused, nullptr};
  }
  CommandRecord* command = FindCommandByKey(head, inputText);
  if (command != nullptr) {
    return {TypingOutcome::Matched, command};
  }
  return {TypingOutcome::Accepted, nullptr};
}

std::size_t CompletionLength(const Candidate* list) {
  if (list == nullptr) {
    return 0;
  }
  const char* first = TextOrEmpty(list->command->key);
  std::size_t length = std::strlen(first);
  if (list->next == nullptr) {
    return length;
  }
  for (std::size_t position = 0; position < length; ++position) {
    for (const Candidate* other = list->next; other != nullptr; other = other->next) {
      // first[position] is never the terminator, so a shorter key differs at its own
      // terminator and ends the scan before it is read past.
      if (TextOrEmpty(other->command->key)[position] != first[position]) {
        return position;
      }
    }
  }
  return 0;
}

bool CompleteInput(char* inputText, const Candidate* list) {
  std::size_t completion = CompletionLength(list);
  if (completion > INPUT_TEXT_SIZE - 1) {
    completion = INPUT_TEXT_SIZE - 1;
  }
  if (std::strlen(inputText) >= completion) {
    return false;
  }
  CopyBytes(inputText, TextOrEmpty(list->command->key), completion);
  inputText[completion] = '\0';
  return true;
}

void WriteDisplayLine(char* inputText, const char* name) {
  // The key field: the key's first 10 bytes, without a double-byte character cut in two (only
  // a hand-written key can hold one), padded with blanks.
  inputText[INPUT_TEXT_SIZE - 1] = '\0';
  std::size_t keyLength = CharBoundaryLength(inputText, DISPLAY_KEY_FIELD);
  for (std::size_t i = keyLength; i < DISPLAY_KEY_FIELD; ++i) {
    inputText[i] = ' ';
  }
  const char* shown = TextOrEmpty(name);
  std::size_t nameLength = CharBoundaryLength(shown, INPUT_TEXT_SIZE - 1 - DISPLAY_KEY_FIELD);
  CopyBytes(inputText + DISPLAY_KEY_FIELD, shown, nameLength);
  inputText[DISPLAY_KEY_FIELD + nameLength] = '\0';
}

std::size_t ListKeyText(const char* key, char (&out)[LIST_TEXT_SIZE]) {
  return ShortenListText(TextOrEmpty(key), 9, 8, out);
}

std::size_t ListNameText(const char* name, char (&out)[LIST_TEXT_SIZE]) {
  return ShortenListText(TextOrEmpty(name), 20, 18, out);
}

void RemoveLastCharacter(char* text) {
  char* last = nullptr;
  for (char* p = text; *p != '\0'; p = NextChar(p)) {
    last = p;
  }
  if (last != nullptr) {
    *last = '\0';
  }
}
