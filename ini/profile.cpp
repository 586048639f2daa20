// Reading half of the profile library: loads an INI-style file into the process's one model
// and answers string and integer lookups by section and key.
#include "profile.h"

#include <cstring>
#include <new>

#include "platform.h"
#include "profile_model.h"
#include "profile_parse.h"
#include "text_encoding.h"
#include "setting_number.h"

namespace {

// ProfileNameHash of a name given by its length.
std::int32_t NameHash(const char* name, std::size_t length) {
  std::uint32_t hash = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (name[i] == ' ') continue;
    // The byte counts as a signed 8-bit value, so bytes from 0x80 on subtract.
    std::int32_t byte = static_cast<signed char>(ProfileFoldByte(name[i]));
    hash = hash * 2 + static_cast<std::uint32_t>(byte);
  }
  return static_cast<std::int32_t>(hash);
}

// The stored value for section/key; false when the section, the key or its value is missing.
bool LookUp(const char* section, const char* key, std::string_view* value) {
  int s = ProfileFindSection(section);
  if (s < 0) return false;
  int k = ProfileFindKey(s, key);
  if (k < 0) return false;
  const ProfileSection& found = CurrentProfile->sections[s];
  const ProfileEntry& entry = found.entries[k];
  if (!entry.hasValue) return false;
  *value = found.EntryValue(entry);
  return true;
}

// A section with this many entries is taken to be one of the long ones, which hold most of
// the lines that follow; a key line is taken to be at least this long.
constexpr std::size_t LONG_SECTION_ENTRIES = 256;
constexpr std::size_t SHORTEST_EXPECTED_LINE = 16;

// Gives a long section room for the entries of the remainingBytes still to be parsed, once its
// entries fill their room. Growing by doubling copies every entry again and again into fresh
// memory, which costs more than the parse itself under Wine. A guess that was too small leaves
// the doubling to go on; without the memory for the guess, so does a failed reserve.
void MakeRoomForTheRest(ProfileSection* section, std::size_t remainingBytes) {
  std::vector<ProfileEntry>& entries = section->entries;
  if (entries.size() < LONG_SECTION_ENTRIES || entries.size() < entries.capacity()) return;
  std::size_t const guess = remainingBytes / SHORTEST_EXPECTED_LINE + 1;
  if (guess <= entries.size()) return;  // doubling gives as much room
  try {
    entries.reserve(entries.size() + guess);
  } catch (const std::bad_alloc&) {
  }
}

// Length of text without the blanks at its ends.
std::size_t TrimmedLength(const char* text, std::size_t length) {
  std::size_t start = 0;
  while (start < length && ProfileIsBlank(text[start])) ++start;
  while (length > start && ProfileIsBlank(text[length - 1])) --length;
  return length - start;
}

// True when a name read from length bytes keeps fewer of them than the storedLength bytes it is
// stored as: a NUL or the cut at PROFILE_NAME_LIMIT dropped some. Blanks around it are no loss.
bool NameLosesBytes(const char* name, std::size_t length, std::size_t storedLength) {
  return ProfileFieldLength(name, length) < length || TrimmedLength(name, length) != storedLength;
}

// Appends the lines of a text, which lives as long as model, to model. What a save could not
// write back from the model's records is kept as it was read: the lines that read as nothing,
// the lines whose names or comments lose bytes, and the text after a NUL that starts a line.
struct ModelSink {
  ProfileModel* model;

  void Line(std::size_t remainingBytes) {
    MakeRoomForTheRest(&model->sections.back(), remainingBytes);
  }
  void Header(const char* inside, std::size_t length) {
    // A header of blanks starts a section that no lookup finds.
    if (!ProfileAddSectionTo(model, inside, length)) ProfileAddNamelessSectionTo(model);
    ProfileSection& section = model->sections.back();
    if (NameLosesBytes(inside, length, section.name.size()))
      section.header = std::string_view(inside - 1, length + 2);
  }
  void Comment(const char* line, std::size_t length) {
    ProfileSection* section = &model->sections.back();
    // Nothing looks comments up, so one that would lose bytes can stand as its line.
    std::size_t written = length;
    while (written > 0 && ProfileIsBlank(line[written - 1])) --written;
    if (ProfileFieldLength(line, length) < length || written > PROFILE_NAME_LIMIT) {
      ProfileAddUnreadTo(section, line, length);
      return;
    }
    ProfileAddEntryTo(model, section, line, length, "", 0, PROFILE_COMMENT,
                      ProfileTextOrigin::Source);
  }
  void Key(const char* name, std::size_t nameLength, const char* value, std::size_t valueLength,
           bool hasNul) {
    ProfileSection* section = &model->sections.back();
    ProfileAddEntryTo(model, section, name, nameLength, value, valueLength, PROFILE_KEY,
                      ProfileTextOrigin::Source);
    // The name starts the line and the value ends it.
    std::size_t const lineLength = static_cast<std::size_t>(value + valueLength - name);
    std::size_t const stored = section->entries.back().nameLength;
    // Bytes are lost to a NUL, to the cut of a long name, or with a name of blanks before "=",
    // which is written not at all (a line of blanks only is an empty line). Most names are
    // short and whole, and need no second look.
    bool const lost = hasNul || (stored == 0 && lineLength > nameLength) ||
                      (nameLength > PROFILE_NAME_LIMIT && NameLosesBytes(name, nameLength, stored));
    if (!lost) return;
    ProfileAddUnreadTo(section, name, lineLength);
    // Marked only once its line is kept, so that a failed append leaves a key written as ever.
    section->entries[section->entries.size() - 2].lineKept = true;
  }
  void Unread(const char* line, std::size_t length) {
    ProfileAddUnreadTo(&model->sections.back(), line, length);
  }
  void Rest(const char* text, std::size_t length) { model->rest = std::string_view(text, length); }
};

}  // namespace

std::int32_t ProfileNameHash(const char* name) {
  return name ? NameHash(name, std::strlen(name)) : 0;
}

int ProfileParseInt(const char* text) {
  return text ? ProfileIntOf(text, std::strlen(text)) : 0;
}

void ProfileTrim(char* text) {
  if (!text) return;
  std::size_t length = std::strlen(text);
  std::size_t start = 0;
  while (start < length && ProfileIsBlank(text[start])) ++start;
  while (length > start && ProfileIsBlank(text[length - 1])) --length;
  std::memmove(text, text + start, length - start);
  text[length - start] = '\0';
}

void ProfileParse(ProfileModel* model, std::string text) {
  // The entries point into the model's own copy of the text, which nothing changes again.
  model->source = std::move(text);
  ModelSink sink{model};
  ProfileScanLines(model->source.data(), model->source.size(), sink);
}

int ProfileLoad(const char* path) {
  // A model left over from an earlier load is dropped rather than leaked.
  CurrentProfile.reset();
  if (!path) return 0;
  try {
    std::string bytes;
    if (!PlatformReadFile(path, &bytes)) return 0;
    // The file's own encoding gives way to code page 932 here, once, before any byte rule.
    ProfileFileText file;
    DecodeProfileFile(std::move(bytes), &file);
    std::unique_ptr<ProfileModel> model = ProfileCreateModel();
    model->encoding = file.encoding;
    model->standIns = std::move(file.standIns);
    model->complete = file.complete;
    ProfileParse(model.get(), std::move(file.text));
    CurrentProfile = std::move(model);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int ProfileGetString(const char* section, const char* key, const char* defaultText, char* buffer,
                     int bufferSize, const char* /*path*/) {
  std::string_view stored;
  if (!LookUp(section, key, &stored)) {
    const char* fallback = defaultText ? defaultText : "";
    return ProfileCopyOut(fallback, std::strlen(fallback), buffer, bufferSize);
  }
  std::string_view value = ProfileTreatedValue(stored);
  return ProfileCopyOut(value.data(), value.size(), buffer, bufferSize);
}

int ProfileGetInt(const char* section, const char* key, int defaultValue, const char* /*path*/) {
  std::string_view stored;
  if (!LookUp(section, key, &stored)) return defaultValue;
  std::string_view value = ProfileTreatedValue(stored);
  return ProfileIntOf(value.data(), value.size());
}

int ProfileGetSettingInt(const char* section, const char* key, int defaultValue,
                         const char* /*path*/) {
  std::string_view stored;
  if (!LookUp(section, key, &stored)) return defaultValue;
  std::string_view text = ProfileSettingText(stored);
  return text.empty() ? defaultValue : ProfileSettingNumber(text);
}

void ProfileFree() { CurrentProfile.reset(); }

int ProfileGetFileForm(ProfileEncoding* encoding, std::size_t* keptCharacters, bool* complete) {
  if (!CurrentProfile) return 0;
  if (encoding) *encoding = CurrentProfile->encoding;
  if (keptCharacters) *keptCharacters = CurrentProfile->standIns.Count();
  if (complete) *complete = CurrentProfile->complete;
  return 1;
}

int ProfileForEachKey(const char* section, ProfileKeyVisitor visit, void* context) {
  int s = ProfileFindSection(section);
  if (s < 0 || !visit) return 0;
  const ProfileSection& found = CurrentProfile->sections[s];
  for (const ProfileEntry& entry : found.entries) {
    // The entries a lookup can find: keys with a name (deleted ones have none).
    if (entry.kind != PROFILE_KEY || entry.nameLength == 0) continue;
    std::string_view name = found.EntryName(entry);
    if (!entry.hasValue) {
      visit(context, name.data(), name.size(), nullptr, 0);
      continue;
    }
    std::string_view value = ProfileTreatedValue(found.EntryValue(entry));
    visit(context, name.data(), name.size(), value.data(), value.size());
  }
  return 1;
}
