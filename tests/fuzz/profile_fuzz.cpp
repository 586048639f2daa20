// libFuzzer target: any bytes loaded and saved, then loaded and saved again, must give the same
// text twice; lookups on the model must stay in bounds; the command records that loading
// builds in one walk, and the settings and records of the launcher's one pass over the text,
// must be what a lookup per key gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "looked_up_commands.h"
#include "profile.h"
#include "profile_edit.h"
#include "profile_model.h"
#include "profile_parse.h"

namespace {

std::string ParseAndFormat(const char* text, std::size_t size) {
  std::unique_ptr<ProfileModel> model = ProfileCreateModel();
  ProfileParse(model.get(), std::string(text, size));
  std::string out;
  ProfileFormat(*model, &out);
  return out;
}

// Reads what the programs read, plus names taken from the input itself.
void LookUp(const char* text, std::size_t size) {
  char buffer[64];
  int count = ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr);
  for (int i = 0; i < 4 && i < count; ++i) {
    std::snprintf(buffer, sizeof buffer, "%s%d", STEM_COMMAND_NAME, i);
    char name[COMMAND_NAME_LIMIT + 1];
    ProfileGetString(COMMANDS_SECTION, buffer, "", name, sizeof name, nullptr);
  }
  // The first two NUL-free pieces of the input, taken as a section and a key name.
  std::string input(text, size);
  std::string section = input.substr(0, input.find('\n'));
  std::string key = size > section.size() ? input.substr(section.size() + 1) : std::string();
  section = std::string(section.c_str());  // up to the first NUL
  key = std::string(key.substr(0, key.find('\n')).c_str());
  ProfileGetString(section.c_str(), key.c_str(), "d", buffer, sizeof buffer, nullptr);
  ProfileGetInt(section.c_str(), key.c_str(), 0, nullptr);
  if (ProfileSetString(section.c_str(), key.c_str(), nullptr, nullptr))
    ProfileGetString(section.c_str(), key.c_str(), "d", buffer, sizeof buffer, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  std::string first = ParseAndFormat(text, size);
  std::string second = ParseAndFormat(first.data(), first.size());
  if (first != second) {
    std::fprintf(stderr,
                 "a second load and save changed the text:\n--- first\n%s\n--- second\n%s\n",
                 first.c_str(), second.c_str());
    std::abort();
  }
  CurrentProfile = ProfileCreateModel();
  ProfileParse(CurrentProfile.get(), std::string(text, size));
  // A small count keeps the comparison quick; the cap of huge counts has its own unit test.
  if (ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr) <= 64) {
    std::string difference = LoadingDiffersFromLookups();
    if (difference.empty()) difference = OnePassDiffersFromLookups(std::string(text, size));
    if (!difference.empty()) {
      std::fprintf(stderr, "loading and lookups disagree: %s\n", difference.c_str());
      std::abort();
    }
  }
  LookUp(text, size);
  ProfileFree();
  return 0;
}
