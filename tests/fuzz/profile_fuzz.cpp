// libFuzzer target: any bytes, in whatever encoding they read as, loaded and saved, then loaded
// and saved again, must give the same bytes twice, in the file's own encoding and in each other
// one, and keep every line the reader passed over; lookups on the model must stay in bounds;
// the command records that loading builds in one walk, and the settings and records of the
// launcher's one pass over the bytes, must be what a lookup per key gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "looked_up_commands.h"
#include "platform.h"
#include "profile.h"
#include "profile_edit.h"
#include "profile_model.h"
#include "profile_parse.h"
#include "profile_text.h"
#include "text_encoding.h"

namespace {

// The code page 932 text of a file's bytes, its model's normalised text, and what a save of that
// model writes in encoding (the file's own encoding when null) with the file's stand-ins.
struct Saved {
  ProfileFileText file;
  std::string formatted;
  std::string bytes;
};

Saved LoadAndSave(std::string bytes, const ProfileEncoding* encoding) {
  Saved saved;
  DecodeProfileFile(std::move(bytes), &saved.file);
  std::unique_ptr<ProfileModel> model = ProfileCreateModel();
  ProfileParse(model.get(), saved.file.text);
  ProfileFormat(*model, &saved.formatted);
  // Stand-ins stand for bytes of the file's own encoding; in another they are written as the
  // user-defined characters they are.
  ProfileStandIns const none;
  bool const own = !encoding || *encoding == saved.file.encoding;
  EncodeProfileFile(saved.formatted, own ? saved.file.encoding : *encoding,
                    own ? saved.file.standIns : none, &saved.bytes);
  return saved;
}

// True when text converts to UTF-16 and back to the same bytes.
bool ExactInCp932(const std::string& text) {
  std::u16string units;
  std::string back;
  return PlatformCp932ToUtf16(text.data(), text.size(), &units) &&
         PlatformUtf16ToCp932(units.data(), units.size(), &back) && back == text;
}

[[noreturn]] void Fail(const char* what, const std::string& first, const std::string& second) {
  std::fprintf(stderr, "%s:\n--- first\n%s\n--- second\n%s\n", what, first.c_str(),
               second.c_str());
  std::abort();
}

// What the reader passes over in a text: the lines that read as nothing, and the rest after a
// NUL that starts a line.
struct PassedOver {
  std::vector<std::string_view> lines;
  std::string_view rest;
  void Line(std::size_t) {}
  void Header(const char*, std::size_t) {}
  void Comment(const char*, std::size_t) {}
  void Key(const char*, std::size_t, const char*, std::size_t, bool) {}
  void Unread(const char* line, std::size_t length) { lines.emplace_back(line, length); }
  void Rest(const char* text, std::size_t length) { rest = std::string_view(text, length); }
};

// True when formatted, the text a save of text's model writes, still holds every line of text
// that the reader passed over, each a line of its own, and ends with the rest after a NUL.
bool KeepsWhatWasPassedOver(const std::string& text, const std::string& formatted) {
  PassedOver passed;
  ProfileScanLines(text.data(), text.size(), passed);
  std::string_view const out(formatted);
  for (std::string_view line : passed.lines) {
    std::string const whole = std::string(line) + "\r\n";
    if (out.substr(0, whole.size()) != whole && out.find("\n" + whole) == std::string_view::npos)
      return false;
  }
  return out.size() >= passed.rest.size() &&
         out.substr(out.size() - passed.rest.size()) == passed.rest;
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
  std::string const input(text, size);
  Saved const first = LoadAndSave(input, nullptr);
  Saved const second = LoadAndSave(first.bytes, nullptr);
  if (second.bytes != first.bytes)
    Fail("a second load and save changed the file", first.bytes, second.bytes);
  if (!KeepsWhatWasPassedOver(first.file.text, first.formatted))
    Fail("a save lost a line that the reader passed over", first.file.text, first.formatted);
  // A text that code page 932 reads and writes exactly is the same text in every encoding, and
  // a save of it there is a fixed point. (Bytes that form no character, or a double-byte
  // character cut in two, have no Unicode form to carry them: a code page 932 file keeps them
  // only because it is never converted.)
  if (ExactInCp932(first.formatted)) {
    for (ProfileEncoding encoding : {ProfileEncoding::Cp932, ProfileEncoding::Utf8,
                                     ProfileEncoding::Utf8Bom, ProfileEncoding::Utf16Le,
                                     ProfileEncoding::Utf16Be}) {
      Saved const in = LoadAndSave(input, &encoding);
      Saved const again = LoadAndSave(in.bytes, nullptr);
      // In its own encoding a file's stand-ins are numbered anew from what the save left; a
      // code page 932 save may add a comment so that it never reads as UTF-8.
      bool const renumbered = encoding == first.file.encoding && first.file.standIns.Count() > 0;
      if (!renumbered && encoding != ProfileEncoding::Cp932 && again.file.text != first.formatted)
        Fail("a save in another encoding reads back otherwise", first.formatted, again.file.text);
      if (again.bytes != in.bytes)
        Fail("a save in another encoding is no fixed point", in.bytes, again.bytes);
    }
  }
  CurrentProfile = ProfileCreateModel();
  ProfileParse(CurrentProfile.get(), first.file.text);
  // A small count keeps the comparison quick; the cap of huge counts has its own unit test.
  if (ProfileGetInt(SETTINGS_SECTION, KEY_COMMAND_COUNT, 0, nullptr) <= 64) {
    std::string difference = LoadingDiffersFromLookups();
    if (difference.empty()) difference = OnePassDiffersFromLookups(input);
    if (!difference.empty()) {
      std::fprintf(stderr, "loading and lookups disagree: %s\n", difference.c_str());
      std::abort();
    }
  }
  LookUp(text, size);
  ProfileFree();
  return 0;
}
