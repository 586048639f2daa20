// Reading half of the profile library: loads an INI-style file into the process's one model
// and answers string and integer lookups by section and key.
#include "profile.h"

#include <cstring>
#include <new>

#include "platform.h"
#include "profile_model.h"

std::unique_ptr<ProfileModel> CurrentProfile;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Length of text up to its first NUL, looking at no more than length bytes.
std::size_t FieldLength(const char* text, std::size_t length) {
  const void* nul = std::memchr(text, '\0', length);
  return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : length;
}

// The stored form of a section or key name: cut at a NUL, leading blanks skipped, at most
// PROFILE_NAME_LIMIT bytes, trailing blanks dropped. Skipping the leading blanks before the cut
// lets a name written back with a protective leading blank read as the same name.
std::string StoredName(const char* name, std::size_t length) {
  length = FieldLength(name, length);
  std::size_t start = 0;
  while (start < length && IsBlank(name[start])) ++start;
  std::size_t end = length;
  if (end - start > PROFILE_NAME_LIMIT) end = start + PROFILE_NAME_LIMIT;
  while (end > start && IsBlank(name[end - 1])) --end;
  return std::string(name + start, end - start);
}

// The value as a getter hands it out: trimmed, then one leading and one trailing double quote
// dropped, each on its own.
std::string TreatedValue(const std::string& stored) {
  std::size_t start = 0;
  std::size_t end = stored.size();
  while (start < end && IsBlank(stored[start])) ++start;
  while (end > start && IsBlank(stored[end - 1])) --end;
  if (start < end && stored[start] == '"') ++start;
  if (start < end && stored[end - 1] == '"') --end;
  return stored.substr(start, end - start);
}

// Copies length bytes of text into buffer (size bytes), cut to size - 1 and NUL-terminated.
int CopyOut(const char* text, std::size_t length, char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  if (length > static_cast<std::size_t>(bufferSize - 1)) length = bufferSize - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

// The stored entry for section/key, or null when either is missing.
const ProfileEntry* LookUp(const char* section, const char* key) {
  int s = ProfileFindSection(section);
  if (s < 0) return nullptr;
  int k = ProfileFindKey(s, key);
  if (k < 0) return nullptr;
  return &CurrentProfile->sections[s].entries[k];
}

}  // namespace

std::int32_t ProfileNameHash(const char* name) {
  std::uint32_t hash = 0;
  if (!name) return 0;
  for (const char* p = name; *p; ++p) {
    if (*p == ' ') continue;
    // The byte counts as a signed 8-bit value, so bytes from 0x80 on subtract.
    std::int32_t byte = static_cast<signed char>(FoldByte(*p));
    hash = hash * 2 + static_cast<std::uint32_t>(byte);
  }
  return static_cast<std::int32_t>(hash);
}

int ProfileParseInt(const char* text) {
  if (!text || !*text) return 0;
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // 32-bit arithmetic that wraps: a hand-written huge number gives its low 32 bits.
  std::uint32_t value = 0;
  for (; *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = value * 10 + static_cast<std::uint32_t>(*p - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(static_cast<std::int32_t>(value));
}

void ProfileTrim(char* text) {
  if (!text) return;
  std::size_t length = std::strlen(text);
  std::size_t start = 0;
  while (start < length && IsBlank(text[start])) ++start;
  while (length > start && IsBlank(text[length - 1])) --length;
  std::memmove(text, text + start, length - start);
  text[length - start] = '\0';
}

std::string ProfileFoldName(const char* name, std::size_t length) {
  std::string folded(name, length);
  for (char& c : folded) c = FoldByte(c);
  return folded;
}

std::unique_ptr<ProfileModel> ProfileCreateModel() {
  auto model = std::make_unique<ProfileModel>();
  model->sections.reserve(10);
  model->sections.emplace_back();
  return model;
}

int ProfileFindSection(const char* name) {
  if (!CurrentProfile || !name || !*name) return -1;
  std::size_t length = std::strlen(name);
  // Stored names are at most PROFILE_NAME_LIMIT bytes, so a longer one cannot match.
  if (length > PROFILE_NAME_LIMIT) return -1;
  auto found = CurrentProfile->sectionIndex.find(ProfileFoldName(name, length));
  return found == CurrentProfile->sectionIndex.end() ? -1 : found->second;
}

int ProfileFindKey(int section, const char* name) {
  if (!CurrentProfile || section < 0 ||
      section >= static_cast<int>(CurrentProfile->sections.size()) || !name || !*name)
    return -1;
  const ProfileSection& s = CurrentProfile->sections[section];
  std::size_t length = std::strlen(name);
  if (s.entries.empty() || length > PROFILE_NAME_LIMIT) return -1;
  auto found = s.keyIndex.find(ProfileFoldName(name, length));
  return found == s.keyIndex.end() ? -1 : found->second;
}

namespace {

int AddSectionTo(ProfileModel* model, const char* name, std::size_t length) {
  std::string stored = StoredName(name, length);
  if (stored.empty()) return 0;
  std::string folded = ProfileFoldName(stored.data(), stored.size());
  ProfileSection section;
  section.hash = ProfileNameHash(stored.c_str());
  section.name = std::move(stored);
  int index = static_cast<int>(model->sections.size());
  model->sections.push_back(std::move(section));
  try {
    model->sectionIndex.try_emplace(std::move(folded), index);
  } catch (...) {
    model->sections.pop_back();
    throw;
  }
  return 1;
}

void AddEntryTo(ProfileSection* section, const char* name, std::size_t nameLength,
                const char* value, std::size_t valueLength, ProfileEntryKind kind) {
  ProfileEntry entry;
  entry.kind = kind;
  if (kind == PROFILE_COMMENT) {
    // The whole line from the "#", cut and trimmed at its end only.
    std::size_t length = FieldLength(name, nameLength);
    if (length > PROFILE_NAME_LIMIT) length = PROFILE_NAME_LIMIT;
    while (length > 0 && IsBlank(name[length - 1])) --length;
    entry.name.assign(name, length);
  } else {
    entry.name = StoredName(name, nameLength);
    entry.hash = ProfileNameHash(entry.name.c_str());
    entry.value.assign(value, FieldLength(value, valueLength));
    entry.hasValue = true;
  }
  std::string folded;
  if (kind == PROFILE_KEY && !entry.name.empty())
    folded = ProfileFoldName(entry.name.data(), entry.name.size());
  int index = static_cast<int>(section->entries.size());
  section->entries.push_back(std::move(entry));
  if (folded.empty()) return;
  try {
    section->keyIndex.try_emplace(std::move(folded), index);  // keeps an earlier duplicate
  } catch (...) {
    section->entries.pop_back();
    throw;
  }
}

}  // namespace

int ProfileAddSection(const char* name, std::size_t length) {
  return CurrentProfile ? AddSectionTo(CurrentProfile.get(), name, length) : 0;
}

void ProfileAddEntry(int section, const char* name, std::size_t nameLength, const char* value,
                     std::size_t valueLength, ProfileEntryKind kind) {
  if (!CurrentProfile || section < 0 ||
      section >= static_cast<int>(CurrentProfile->sections.size()))
    return;
  AddEntryTo(&CurrentProfile->sections[section], name, nameLength, value, valueLength, kind);
}

void ProfileParse(ProfileModel* model, const char* text, std::size_t size) {
  std::size_t p = 0;
  while (p < size && text[p] != '\0') {
    std::size_t e = p;
    while (e < size && text[e] != '\r' && text[e] != '\n') ++e;
    const char* line = text + p;
    std::size_t length = e - p;
    ProfileSection* current = &model->sections.back();
    if (length == 0) {
      // An empty line: nothing to keep.
    } else if (line[0] == '[') {
      // A header only when its last byte closes it; "[]" and unclosed headers are ignored.
      if (length >= 2 && line[length - 1] == ']') AddSectionTo(model, line + 1, length - 2);
    } else if (line[0] == '#') {
      AddEntryTo(current, line, length, "", 0, PROFILE_COMMENT);
    } else {
      const void* equals = std::memchr(line, '=', length);
      std::size_t nameLength =
          equals ? static_cast<std::size_t>(static_cast<const char*>(equals) - line) : length;
      if (nameLength > 0) {
        const char* value = equals ? line + nameLength + 1 : line + length;
        std::size_t valueLength = equals ? length - nameLength - 1 : 0;
        AddEntryTo(current, line, nameLength, value, valueLength, PROFILE_KEY);
      }
    }
    p = e;
    while (p < size && (text[p] == '\r' || text[p] == '\n')) ++p;
  }
}

int ProfileLoad(const char* path) {
  // A model left over from an earlier load is dropped rather than leaked.
  CurrentProfile.reset();
  if (!path) return 0;
  try {
    std::string text;
    if (!PlatformReadFile(path, &text)) return 0;
    std::unique_ptr<ProfileModel> model = ProfileCreateModel();
    ProfileParse(model.get(), text.data(), text.size());
    CurrentProfile = std::move(model);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int ProfileGetString(const char* section, const char* key, const char* defaultText, char* buffer,
                     int bufferSize, const char* /*path*/) {
  try {
    const ProfileEntry* entry = LookUp(section, key);
    if (!entry || !entry->hasValue) {
      const char* fallback = defaultText ? defaultText : "";
      return CopyOut(fallback, std::strlen(fallback), buffer, bufferSize);
    }
    try {
      std::string value = TreatedValue(entry->value);
      return CopyOut(value.data(), value.size(), buffer, bufferSize);
    } catch (const std::bad_alloc&) {
      return CopyOut(entry->value.data(), entry->value.size(), buffer, bufferSize);
    }
  } catch (const std::bad_alloc&) {
    const char* fallback = defaultText ? defaultText : "";
    return CopyOut(fallback, std::strlen(fallback), buffer, bufferSize);
  }
}

int ProfileGetInt(const char* section, const char* key, int defaultValue, const char* /*path*/) {
  try {
    const ProfileEntry* entry = LookUp(section, key);
    if (!entry || !entry->hasValue) return defaultValue;
    try {
      return ProfileParseInt(TreatedValue(entry->value).c_str());
    } catch (const std::bad_alloc&) {
      return ProfileParseInt(entry->value.c_str());
    }
  } catch (const std::bad_alloc&) {
    return defaultValue;
  }
}

void ProfileFree() { CurrentProfile.reset(); }
