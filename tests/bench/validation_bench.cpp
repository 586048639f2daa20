// The launch-key conflict walk of the command edit dialog's OK over a list of 10,000 commands:
// one pass, nothing allocated per key, well inside the moment a click may take.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "validation.h"

namespace {

constexpr int KEY_COUNT = 10000;

// Keys "cmd0000" to "cmd9999": every one shares its first three bytes with the keys typed below.
struct ListKeys {
  std::vector<std::string> texts;
  std::vector<const char*> keys;
  ListKeys() {
    texts.reserve(KEY_COUNT);
    for (int i = 0; i < KEY_COUNT; ++i) {
      char key[16];
      std::snprintf(key, sizeof key, "cmd%04d", i);
      texts.emplace_back(key);
    }
    for (const std::string& text : texts) {
      keys.push_back(text.c_str());
    }
  }
};

const ListKeys& Keys() {
  static const ListKeys keys;
  return keys;
}

// Accepts every warning; a failure would end the walk early and is counted.
struct AcceptAll : ValidationPrompts {
  long warnings = 0;
  long failures = 0;
  bool Warn(const char*) override {
    ++warnings;
    return true;
  }
  void Fail(ValidationBox, const char*) override { ++failures; }
  bool FolderExists(const char*) override { return true; }
};

void RunWalk(benchmark::State& state, const char* key, bool isModify, const char* oldKey) {
  const std::vector<const char*>& keys = Keys().keys;
  AcceptAll prompts;
  std::string name = "command";
  CommandFields fields{{name.c_str(), name.size()},
                       {key, std::char_traits<char>::length(key)},
                       {},
                       {},
                       CMD_SCREENSAVER,
                       -1,
                       isModify,
                       oldKey};
  ValidatedCommand out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ValidateCommand(fields, keys, prompts, &out));
  }
  if (prompts.failures != 0) {
    state.SkipWithError("the walk failed");
  }
  state.counters["warnings/run"] =
      benchmark::Counter(static_cast<double>(prompts.warnings), benchmark::Counter::kAvgIterations);
}

// A new key that no stored key begins or is begun by: every key is compared, no box is shown.
void BM_KeyWalk_NoConflict(benchmark::State& state) { RunWalk(state, "cmdx", false, ""); }
BENCHMARK(BM_KeyWalk_NoConflict);

// Changing "cmd5000" to itself: its own key is met halfway and passed over.
void BM_KeyWalk_ChangeOwnKey(benchmark::State& state) {
  RunWalk(state, "cmd5000", true, "cmd5000");
}
BENCHMARK(BM_KeyWalk_ChangeOwnKey);

// The worst walk: "cmd" begins every stored key, so each one formats a warning.
void BM_KeyWalk_EveryKeyWarns(benchmark::State& state) { RunWalk(state, "cmd", false, ""); }
BENCHMARK(BM_KeyWalk_EveryKeyWarns);

}  // namespace

BENCHMARK_MAIN();
