// A command list built in the test from launch keys and names, owning its texts.
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "commands.h"
#include "matching.h"

class TestCommands {
 public:
  // Keys in list order; each command's name is "name of <key>".
  TestCommands(std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
      Add(key, std::string("name of ") + key);
    }
  }

  CommandRecord* Add(const std::string& key, const std::string& name) {
    texts_.push_back(key);
    char* keyText = texts_.back().data();
    texts_.push_back(name);
    char* nameText = texts_.back().data();
    records_.push_back(CommandRecord{nullptr, tail_, nameText, keyText, CMD_APP, nullptr, nullptr});
    CommandRecord* record = &records_.back();
    if (tail_ != nullptr) {
      tail_->next = record;
    } else {
      head_ = record;
    }
    tail_ = record;
    return record;
  }

  CommandRecord* head() const { return head_; }

 private:
  std::deque<std::string> texts_;  // deques keep addresses stable as they grow
  std::deque<CommandRecord> records_;
  CommandRecord* head_ = nullptr;
  CommandRecord* tail_ = nullptr;
};

// The candidate list for text, freed when the object goes.
class TestCandidates {
 public:
  TestCandidates(CommandRecord* head, const char* text) {
    BuildCandidates(head, text, &list_, &count_);
  }
  ~TestCandidates() { FreeCandidates(list_); }
  TestCandidates(const TestCandidates&) = delete;
  TestCandidates& operator=(const TestCandidates&) = delete;

  Candidate* list() const { return list_; }
  // The number of candidates (the window's counter starts at 1 for the input row).
  int size() const { return count_; }

 private:
  Candidate* list_ = nullptr;
  int count_ = 0;
};
