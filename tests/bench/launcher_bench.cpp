// The launcher's work for one keystroke over a list of 10,000 commands: every key that needs
// candidates scans the whole list and rebuilds the candidate list from scratch, and all of it
// must stay well inside one 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "matching.h"

namespace {

constexpr int COMMAND_COUNT = 10000;

// Keys "a0000" to "j0999"-like: ten first letters, so one typed letter keeps a tenth of the
// list, and no key begins with "z", so a refused character scans everything.
class CommandListForBench {
 public:
  CommandListForBench() {
    keys_.reserve(COMMAND_COUNT);
    names_.reserve(COMMAND_COUNT);
    records_.resize(COMMAND_COUNT);
    for (int i = 0; i < COMMAND_COUNT; ++i) {
      char key[16];
      std::snprintf(key, sizeof key, "%c%04d", 'a' + i % 10, i);
      keys_.emplace_back(key);
      names_.emplace_back("command number " + std::to_string(i));
    }
    for (int i = 0; i < COMMAND_COUNT; ++i) {
      CommandRecord& record = records_[i];
      record.next = i + 1 < COMMAND_COUNT ? &records_[i + 1] : nullptr;
      record.prev = i > 0 ? &records_[i - 1] : nullptr;
      record.key = keys_[i].data();
      record.name = names_[i].data();
      record.type = CMD_APP;
    }
  }
  CommandRecord* head() { return &records_.front(); }

 private:
  std::vector<std::string> keys_;
  std::vector<std::string> names_;
  std::vector<CommandRecord> records_;
};

CommandListForBench& Commands() {
  static CommandListForBench commands;
  return commands;
}

// A refused character: no key fits, so the whole list is scanned.
void BM_AnyKeyHasPrefix_NoMatch(benchmark::State& state) {
  CommandRecord* head = Commands().head();
  for (auto _ : state) {
    benchmark::DoNotOptimize(AnyKeyHasPrefix(head, "z"));
  }
}
BENCHMARK(BM_AnyKeyHasPrefix_NoMatch);

// An accepted character that equals no key: the exact search runs to the end of the list.
void BM_FindCommandByKey_NoMatch(benchmark::State& state) {
  CommandRecord* head = Commands().head();
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindCommandByKey(head, "a"));
  }
}
BENCHMARK(BM_FindCommandByKey_NoMatch);

// Down on an empty line: every command becomes a candidate.
void BM_BuildAndFreeCandidates_All(benchmark::State& state) {
  CommandRecord* head = Commands().head();
  for (auto _ : state) {
    Candidate* list = nullptr;
    int rows = 1;
    BuildCandidates(head, "", &list, &rows);
    benchmark::DoNotOptimize(list);
    FreeCandidates(list);
  }
}
BENCHMARK(BM_BuildAndFreeCandidates_All);

// A refused second character after "a": a tenth of the list is listed.
void BM_BuildAndFreeCandidates_OneLetter(benchmark::State& state) {
  CommandRecord* head = Commands().head();
  for (auto _ : state) {
    Candidate* list = nullptr;
    int rows = 1;
    BuildCandidates(head, "a", &list, &rows);
    benchmark::DoNotOptimize(list);
    FreeCandidates(list);
  }
}
BENCHMARK(BM_BuildAndFreeCandidates_OneLetter);

// The worst keystroke: a refused character with the whole list fitting the text before it
// (AnyKeyHasPrefix fails, then every command is listed), as after Down on an empty line.
void BM_WorstKeystroke(benchmark::State& state) {
  CommandRecord* head = Commands().head();
  for (auto _ : state) {
    benchmark::DoNotOptimize(AnyKeyHasPrefix(head, "z"));
    benchmark::DoNotOptimize(FindCommandByKey(head, "z"));
    Candidate* list = nullptr;
    int rows = 1;
    BuildCandidates(head, "", &list, &rows);
    benchmark::DoNotOptimize(list);
    FreeCandidates(list);
  }
}
BENCHMARK(BM_WorstKeystroke);

}  // namespace

BENCHMARK_MAIN();
