// Google Benchmark of LoadCommands and of the launcher's one-pass read on generated files of
// 1,000 and 10,000 commands.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "command_walk.h"
#include "commands.h"
#include "profile.h"

namespace {

// Folder of the generated files, removed at exit.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pimbo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  // A pimbo.ini of count commands, written on first use.
  const std::string& File(int count) {
    auto found = files_.find(count);
    if (found != files_.end()) return found->second;
    std::string path = path_ + "/pimbo" + std::to_string(count) + ".ini";
    std::ofstream out(path, std::ios::binary);
    out << "[settings]\r\nhot key=305\r\ncommand count=" << count << "\r\n\r\n[commands]\r\n";
    for (int i = 0; i < count; ++i) {
      out << "command name" << i << "=\"Command number " << i << "\"\r\n"
          << "command key" << i << "=\"k" << i << "\"\r\n"
          << "command type" << i << "=" << i % 7 << "\r\n"
          << "command exe" << i << "=\"C:\\Program Files\\Tool " << i << "\\tool.exe\"\r\n"
          << "command file" << i << "=\"%USERPROFILE%\\Documents\\file" << i << ".txt\"\r\n";
    }
    out << "\r\n";
    return files_.emplace(count, path).first->second;
  }

  // A pimbo.ini of count commands with Japanese names and folders, in code page 932 or in UTF-8
  // without a mark: the same text, so that the two loads differ only by the conversion.
  const std::string& JapaneseFile(int count, bool utf8) {
    int const id = -(count * 2 + (utf8 ? 1 : 0));
    auto found = files_.find(id);
    if (found != files_.end()) return found->second;
    // "コマンド" and "表示フォルダ" ("表" ends in 0x5C in code page 932).
    const char* command = utf8 ? "コマンド" : "\x83\x52\x83\x7D\x83\x93\x83\x68";
    const char* folder = utf8 ? "表示フォルダ" : "\x95\x5C\x8E\xA6\x83\x74\x83\x48\x83\x8B\x83\x5F";
    std::string path = path_ + "/japanese" + std::to_string(count) + (utf8 ? "-utf8" : "") + ".ini";
    std::ofstream out(path, std::ios::binary);
    out << "[settings]\r\nhot key=305\r\ncommand count=" << count << "\r\n\r\n[commands]\r\n";
    for (int i = 0; i < count; ++i) {
      out << "command name" << i << "=\"" << command << " " << i << "\"\r\n"
          << "command key" << i << "=\"k" << i << "\"\r\n"
          << "command type" << i << "=" << i % 7 << "\r\n"
          << "command exe" << i << "=\"C:\\" << folder << " " << i << "\\tool.exe\"\r\n"
          << "command file" << i << "=\"%USERPROFILE%\\Documents\\file" << i << ".txt\"\r\n";
    }
    out << "\r\n";
    return files_.emplace(id, path).first->second;
  }

 private:
  std::string path_;
  std::map<int, std::string> files_;
};

BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

void BM_LoadCommands(benchmark::State& state) {
  const std::string& path = Folder().File(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CommandList list;
    LoadCommands(path.c_str(), &list, CommandReader::Launcher);
    if (list.count != state.range(0)) state.SkipWithError("wrong number of commands");
    FreeCommandList(&list);
  }
  state.SetComplexityN(state.range(0));
}

// The file alone: read, parse and free, with no lookups.
void BM_ProfileLoad(benchmark::State& state) {
  const std::string& path = Folder().File(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ProfileLoad(path.c_str());
    ProfileFree();
  }
  state.SetComplexityN(state.range(0));
}

// The launcher's start-up read of the file at path, which holds state.range(0) commands.
void LoadLauncherProfileOf(benchmark::State& state, const std::string& path) {
  char hotKey[30];
  SettingText settings[] = {{KEY_HOT_KEY, hotKey, sizeof hotKey, 0, false}};
  for (auto _ : state) {
    CommandList list;
    LoadLauncherProfile(path.c_str(), settings, 1, &list);
    if (list.count != state.range(0)) state.SkipWithError("wrong number of commands");
    FreeCommandList(&list);
  }
}

// The launcher's start-up read: the settings keys and the commands in one pass over the file.
void BM_LoadLauncherProfile(benchmark::State& state) {
  LoadLauncherProfileOf(state, Folder().File(static_cast<int>(state.range(0))));
  state.SetComplexityN(state.range(0));
}

// The same read of Japanese names: arg 1 is 0 for code page 932, 1 for UTF-8, which the launcher
// converts once before the same pass.
void BM_LoadLauncherProfileJapanese(benchmark::State& state) {
  LoadLauncherProfileOf(
      state, Folder().JapaneseFile(static_cast<int>(state.range(0)), state.range(1) != 0));
}

// The fastest repetition: on a shared machine the others carry the neighbours' load.
double Fastest(const std::vector<double>& times) {
  return *std::min_element(times.begin(), times.end());
}

}  // namespace

// For figures to compare: --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
BENCHMARK(BM_ProfileLoad)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest)
    ->Complexity();
BENCHMARK(BM_LoadCommands)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest)
    ->Complexity();
BENCHMARK(BM_LoadLauncherProfile)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest)
    ->Complexity();

BENCHMARK(BM_LoadLauncherProfileJapanese)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

int main(int argc, char** argv) {
  // Keep freed memory in the process between iterations. Otherwise glibc hands the large
  // blocks of the 10,000-command run back to the kernel after each load and the next one pays
  // for zeroed fresh pages, which the 1,000-command run (whose blocks stay below the
  // thresholds) never does: the comparison would measure the allocator, not the loading.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
