// The random-input test's front: runs for a time from a session seed, or replays one run from
// its seed (all its actions or some), and shrinks a failing run to its fewest actions.
//
//   monkey --seed S --seconds N [--shrink-seconds M]   runs until N seconds have passed; the
//                                                      failing ones are shrunk, M seconds in all
//   monkey --run-seed R [--only 3,7,12]                plays one run again, printing each action
//
// Every run prints its seed; a failure prints the check that failed, the shrunk list of actions
// and the command line that replays it. Exit code 0 when no check failed, 1 otherwise.
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "monkey.h"

namespace {

using namespace monkey;

std::vector<int> ParseList(char const* text) {
  std::vector<int> list;
  for (char const* p = text; *p;) {
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) break;
    list.push_back(static_cast<int>(v));
    p = *end == ',' ? end + 1 : end;
  }
  return list;
}

std::string Joined(std::vector<int> const& list) {
  std::string text;
  for (int i : list) text += (text.empty() ? "" : ",") + std::to_string(i);
  return text;
}

bool FailsWith(RunOutcome const& outcome, std::string const& check) {
  for (Failure const& f : outcome.failures) {
    if (f.check == check) return true;
  }
  return false;
}

void PrintFailures(RunOutcome const& outcome) {
  for (Failure const& f : outcome.failures) {
    std::printf("  FAILED %s: %s\n", f.check.c_str(), f.detail.c_str());
  }
}

// Delta debugging over the action list: drops ever smaller chunks while the run still fails
// the same check, replaying each candidate, until no single action can go or the time is up.
std::vector<int> Shrink(std::uint64_t seed, std::vector<Action> const& actions,
                        std::string const& check, ULONGLONG deadline, int* replays) {
  std::vector<int> current(actions.size());
  for (size_t i = 0; i < current.size(); ++i) current[i] = static_cast<int>(i);
  auto fails = [&](std::vector<int> const& candidate) {
    ++*replays;
    bool failed = FailsWith(PlayRun(seed, actions, &candidate, false), check);
    std::printf("    shrinking: %zu action(s) %s\n", candidate.size(),
                failed ? "still fail" : "pass");
    std::fflush(stdout);
    return failed;
  };
  if (GetTickCount64() >= deadline) return current;
  if (fails({})) return {};
  size_t chunks = 2;
  while (current.size() >= 2 && GetTickCount64() < deadline) {
    size_t const size = (current.size() + chunks - 1) / chunks;
    bool reduced = false;
    for (size_t start = 0; start < current.size() && GetTickCount64() < deadline; start += size) {
      std::vector<int> rest(current.begin(), current.begin() + static_cast<long>(start));
      rest.insert(rest.end(),
                  current.begin() + static_cast<long>(std::min(start + size, current.size())),
                  current.end());
      if (fails(rest)) {
        current = rest;
        chunks = std::max<size_t>(chunks - 1, 2);
        reduced = true;
        break;
      }
    }
    if (!reduced) {
      if (chunks >= current.size()) break;
      chunks = std::min(current.size(), chunks * 2);
    }
  }
  if (current.size() == 1 && GetTickCount64() < deadline && fails({})) current.clear();
  return current;
}

void PrintActions(std::vector<Action> const& actions, std::vector<int> const& only) {
  for (int i : only)
    std::printf("    [%d] %s\n", i, Describe(actions[static_cast<size_t>(i)]).c_str());
}

char const* StartingFileName(std::uint64_t seed) {
  static std::string name;
  name = MakeStartingFile(seed).name;
  return name.c_str();
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t sessionSeed = 1, runSeed = 0;
  bool replay = false, haveOnly = false;
  std::vector<int> only;
  unsigned seconds = 60, shrinkSeconds = 300;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string const option = argv[i];
    char const* value = argv[i + 1];
    if (option == "--seed")
      sessionSeed = std::strtoull(value, nullptr, 0);
    else if (option == "--seconds")
      seconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    else if (option == "--shrink-seconds")
      shrinkSeconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    else if (option == "--run-seed") {
      runSeed = std::strtoull(value, nullptr, 0);
      replay = true;
    } else if (option == "--only") {
      only = ParseList(value);
      haveOnly = true;
    } else {
      std::fprintf(stderr, "monkey: unknown option %s\n", option.c_str());
      return 2;
    }
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shortcuts a drop takes

  if (replay) {
    std::vector<Action> const actions = DrawActions(runSeed);
    std::printf("replay of run seed 0x%016llx, file \"%s\", %zu of %zu actions\n",
                static_cast<unsigned long long>(runSeed), StartingFileName(runSeed),
                haveOnly ? only.size() : actions.size(), actions.size());
    RunOutcome outcome = PlayRun(runSeed, actions, haveOnly ? &only : nullptr, true);
    PrintFailures(outcome);
    std::printf("%s\n", outcome.failures.empty() ? "passed" : "FAILED");
    return outcome.failures.empty() ? 0 : 1;
  }

  std::printf("monkey: session seed %llu, %u s (replay a session: --seed %llu)\n",
              static_cast<unsigned long long>(sessionSeed), seconds,
              static_cast<unsigned long long>(sessionSeed));
  ULONGLONG const start = GetTickCount64();
  int runs = 0, actionsDone = 0, failedRuns = 0;
  // The time left for shrinking, shared by every failing run of the session.
  ULONGLONG shrinkLeftMs = shrinkSeconds * 1000ull;
  // Each check that failed: how many runs, and the first run's seed.
  std::map<std::string, std::pair<int, std::uint64_t>> classes;
  for (unsigned index = 0; GetTickCount64() - start < seconds * 1000ull; ++index) {
    std::uint64_t const seed = RunSeed(sessionSeed, index);
    std::vector<Action> const actions = DrawActions(seed);
    ULONGLONG const runStart = GetTickCount64();
    RunOutcome const outcome = PlayRun(seed, actions, nullptr, false);
    ++runs;
    actionsDone += outcome.actionsDone;
    std::printf("run %u: seed 0x%016llx, file \"%s\", %d of %zu actions, %.1f s: %s\n", index,
                static_cast<unsigned long long>(seed), StartingFileName(seed), outcome.actionsDone,
                actions.size(), (GetTickCount64() - runStart) / 1000.0,
                outcome.failures.empty() ? "passed" : "FAILED");
    if (outcome.failures.empty()) continue;
    ++failedRuns;
    PrintFailures(outcome);
    std::set<std::string> checks;
    for (Failure const& f : outcome.failures) checks.insert(f.check);
    for (std::string const& c : checks) {
      auto& entry = classes.emplace(c, std::make_pair(0, seed)).first->second;
      ++entry.first;
    }
    std::string const check = outcome.failures.front().check;
    int replays = 0;
    ULONGLONG const shrinkStart = GetTickCount64();
    std::vector<int> const shrunk =
        Shrink(seed, actions, check, GetTickCount64() + shrinkLeftMs, &replays);
    shrinkLeftMs -= std::min(shrinkLeftMs, GetTickCount64() - shrinkStart);
    std::printf("  shrunk \"%s\" to %zu action(s) in %d replays:\n", check.c_str(), shrunk.size(),
                replays);
    PrintActions(actions, shrunk);
    std::printf("  replay: monkey --run-seed 0x%016llx --only \"%s\"\n",
                static_cast<unsigned long long>(seed), Joined(shrunk).c_str());
  }
  double const minutes = (GetTickCount64() - start) / 60000.0;
  std::printf(
      "monkey: %d run(s), %d action(s) in %.1f min (%.1f runs, %.0f actions a minute), "
      "%d failed\n",
      runs, actionsDone, minutes, runs / minutes, actionsDone / minutes, failedRuns);
  for (auto const& [check, entry] : classes) {
    std::printf("monkey: %s failed in %d run(s), first in run seed 0x%016llx\n", check.c_str(),
                entry.first, static_cast<unsigned long long>(entry.second));
  }
  return failedRuns == 0 ? 0 : 1;
}
