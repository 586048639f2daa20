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

// ProfileNameHash of a name given by its length.
std::int32_t NameHash(const char* name, std::size_t length) {
  std::uint32_t hash = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (name[i] == ' ') continue;
    // The byte counts as a signed 8-bit value, so bytes from 0x80 on subtract.
    std::int32_t byte = static_cast<signed char>(FoldByte(name[i]));
    hash = hash * 2 + static_cast<std::uint32_t>(byte);
  }
  return static_cast<std::int32_t>(hash);
}

// The stored form of a section or key name: cut at a NUL, leading blanks skipped, at most
// PROFILE_NAME_LIMIT bytes, trailing blanks dropped. Skipping the leading blanks before the cut
// lets a name written back with a protective leading blank read as the same name.
std::string_view StoredName(const char* name, std::size_t length) {
  length = FieldLength(name, length);
  std::size_t start = 0;
  while (start < length && IsBlank(name[start])) ++start;
  std::size_t end = length;
  if (end - start > PROFILE_NAME_LIMIT) end = start + PROFILE_NAME_LIMIT;
  while (end > start && IsBlank(name[end - 1])) --end;
  return std::string_view(name + start, end - start);
}

// A comment line: cut at a NUL and at PROFILE_NAME_LIMIT bytes, trimmed at its end only.
std::string_view StoredComment(const char* line, std::size_t length) {
  length = FieldLength(line, length);
  if (length > PROFILE_NAME_LIMIT) length = PROFILE_NAME_LIMIT;
  while (length > 0 && IsBlank(line[length - 1])) --length;
  return std::string_view(line, length);
}

// The part of a stored value that a getter hands out: trimmed, then one leading and one
// trailing double quote dropped, each on its own. Needs no copy, so it cannot run out of memory.
struct Span {
  const char* text;
  std::size_t length;
};

Span TreatedValue(std::string_view stored) {
  std::size_t start = 0;
  std::size_t end = stored.size();
  while (start < end && IsBlank(stored[start])) ++start;
  while (end > start && IsBlank(stored[end - 1])) --end;
  if (start < end && stored[start] == '"') ++start;
  if (start < end && stored[end - 1] == '"') --end;
  return Span{stored.data() + start, end - start};
}

// Decimal text as ProfileParseInt reads it, given by its length.
int ParseInt(const char* text, std::size_t length) {
  if (length == 0) return 0;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    ++i;
  }
  // 32-bit arithmetic that wraps: a hand-written huge number gives its low 32 bits.
  std::uint32_t value = 0;
  for (; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(static_cast<std::int32_t>(value));
}

// Copies length bytes of text into buffer (size bytes), cut to size - 1 and NUL-terminated.
int CopyOut(const char* text, std::size_t length, char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  if (length > static_cast<std::size_t>(bufferSize - 1)) length = bufferSize - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
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

}  // namespace

std::int32_t ProfileNameHash(const char* name) {
  return name ? NameHash(name, std::strlen(name)) : 0;
}

int ProfileParseInt(const char* text) { return text ? ParseInt(text, std::strlen(text)) : 0; }

void ProfileTrim(char* text) {
  if (!text) return;
  std::size_t length = std::strlen(text);
  std::size_t start = 0;
  while (start < length && IsBlank(text[start])) ++start;
  while (length > start && IsBlank(text[length - 1])) --length;
  std::memmove(text, text + start, length - start);
  text[length - start] = '\0';
}

std::uint32_t ProfileFoldHash(const char* name, std::size_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(FoldByte(name[i]));
    hash *= 16777619u;
  }
  return hash;
}

bool ProfileNamesMatch(std::string_view stored, const char* name, std::size_t length) {
  if (stored.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (FoldByte(stored[i]) != FoldByte(name[i])) return false;
  return true;
}

void ProfileNameIndex::Reserve() {
  if ((used_ + 1) * 2 <= slots_.size()) return;
  std::size_t live = 0;
  for (const Slot& slot : slots_) live += slot.index >= 0;
  // Twice the live names, so that the table doubles as it fills (a larger one would spill out
  // of the processor's caches sooner) and stays at most half full.
  std::size_t size = 16;
  while (size < (live + 1) * 2) size *= 2;
  std::vector<Slot> slots(size, Slot{0, EMPTY});
  std::size_t mask = size - 1;
  for (const Slot& slot : slots_) {
    if (slot.index < 0) continue;  // removed slots are dropped here
    std::size_t i = slot.hash & mask;
    while (slots[i].index != EMPTY) i = (i + 1) & mask;
    slots[i] = slot;
  }
  slots_.swap(slots);
  used_ = live;
}

void ProfileNameIndex::Insert(std::uint32_t hash, int index) {
  std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].index != EMPTY) i = (i + 1) & mask;
  slots_[i] = Slot{hash, index};
  ++used_;
}

void ProfileNameIndex::Replace(std::uint32_t hash, int oldIndex, int newIndex) {
  if (slots_.empty()) return;
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask; slots_[i].index != EMPTY; i = (i + 1) & mask) {
    if (slots_[i].index == oldIndex) {
      slots_[i].index = newIndex >= 0 ? newIndex : REMOVED;
      return;
    }
  }
}

void ProfileNameIndex::Clear() {
  std::vector<Slot>().swap(slots_);
  used_ = 0;
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
  const ProfileModel& model = *CurrentProfile;
  return model.sectionIndex.Find(name, length, ProfileFoldHash(name, length),
                                 [&model](int i) -> std::string_view {
                                   return model.sections[i].name;
                                 });
}

int ProfileFindKey(int section, const char* name) {
  if (!CurrentProfile || section < 0 ||
      section >= static_cast<int>(CurrentProfile->sections.size()) || !name || !*name)
    return -1;
  const ProfileSection& s = CurrentProfile->sections[section];
  std::size_t length = std::strlen(name);
  if (s.entries.empty() || length > PROFILE_NAME_LIMIT) return -1;
  return s.keyIndex.Find(name, length, ProfileFoldHash(name, length),
                         [&s](int i) { return s.EntryName(s.entries[i]); });
}

namespace {

int AddSectionTo(ProfileModel* model, const char* name, std::size_t length) {
  std::string_view stored = StoredName(name, length);
  if (stored.empty()) return 0;
  std::uint32_t hash = ProfileFoldHash(stored.data(), stored.size());
  bool first = model->sectionIndex.Find(stored.data(), stored.size(), hash,
                                        [model](int i) -> std::string_view {
                                          return model->sections[i].name;
                                        }) < 0;
  if (first) model->sectionIndex.Reserve();
  ProfileSection section;
  section.name.assign(stored);
  model->sections.push_back(std::move(section));
  if (first) model->sectionIndex.Insert(hash, static_cast<int>(model->sections.size()) - 1);
  return 1;
}

void AddEntryTo(ProfileSection* section, const char* name, std::size_t nameLength,
                const char* value, std::size_t valueLength, ProfileEntryKind kind) {
  std::string_view stored =
      kind == PROFILE_COMMENT ? StoredComment(name, nameLength) : StoredName(name, nameLength);
  std::string_view text;
  if (kind == PROFILE_KEY) text = std::string_view(value, FieldLength(value, valueLength));
  // Only the first live key of each name goes into the index: lookups return the first match.
  bool first = false;
  std::uint32_t hash = 0;
  if (kind == PROFILE_KEY && !stored.empty()) {
    hash = ProfileFoldHash(stored.data(), stored.size());
    first = section->keyIndex.Find(stored.data(), stored.size(), hash,
                                   [section](int i) {
                                     return section->EntryName(section->entries[i]);
                                   }) < 0;
  }
  if (first) section->keyIndex.Reserve();
  ProfileEntry entry;
  entry.kind = kind;
  entry.nameLength = static_cast<std::uint8_t>(stored.size());
  entry.nameOffset = section->text.size();
  // Bytes appended before a later step throws stay unused; the entries never point at them.
  section->text.append(stored);
  entry.valueOffset = section->text.size();
  entry.valueLength = text.size();
  section->text.append(text);
  entry.hasValue = kind == PROFILE_KEY;
  section->entries.push_back(entry);
  if (first) section->keyIndex.Insert(hash, static_cast<int>(section->entries.size()) - 1);
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
  std::string_view stored;
  if (!LookUp(section, key, &stored)) {
    const char* fallback = defaultText ? defaultText : "";
    return CopyOut(fallback, std::strlen(fallback), buffer, bufferSize);
  }
  Span value = TreatedValue(stored);
  return CopyOut(value.text, value.length, buffer, bufferSize);
}

int ProfileGetInt(const char* section, const char* key, int defaultValue, const char* /*path*/) {
  std::string_view stored;
  if (!LookUp(section, key, &stored)) return defaultValue;
  Span value = TreatedValue(stored);
  return ParseInt(value.text, value.length);
}

void ProfileFree() { CurrentProfile.reset(); }
