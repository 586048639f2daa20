// The in-memory profile model: name matching, the name index, the process's one model, and
// the appending of sections and entries that parsing and editing build on.
#include "profile_model.h"

#include <cstring>
#include <new>

std::unique_ptr<ProfileModel> CurrentProfile;

namespace {

// A comment line: cut at a NUL and at PROFILE_NAME_LIMIT bytes (between characters), trimmed
// at its end only.
std::string_view StoredComment(const char* line, std::size_t length) {
  length = ProfileNameCut(line, ProfileFieldLength(line, length));
  while (length > 0 && ProfileIsBlank(line[length - 1])) --length;
  return std::string_view(line, length);
}

}  // namespace

std::uint32_t ProfileFoldHash(const char* name, std::size_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(ProfileFoldByte(name[i]));
    hash *= 16777619u;
  }
  return hash;
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

const char* ProfileTextStore::Keep(const char* text, std::size_t length) {
  if (length == 0) return "";
  if (length > left_) {
    // A long text gets a block of its own; the shared block goes on serving short ones.
    bool own = length > BLOCK_SIZE / 4;
    blocks_.emplace_back();  // may throw; an empty slot frees nothing
    blocks_.back().reset(new char[own ? length : BLOCK_SIZE]);
    char* block = blocks_.back().get();
    if (own) {
      std::memcpy(block, text, length);
      return block;
    }
    free_ = block;
    left_ = BLOCK_SIZE;
  }
  char* kept = free_;
  std::memcpy(kept, text, length);
  free_ += length;
  left_ -= length;
  return kept;
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

void ProfileIndexKeys(ProfileSection* section) {
  if (section->indexed) return;
  ProfileSection& s = *section;
  try {
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
      const ProfileEntry& entry = s.entries[i];
      if (entry.kind != PROFILE_KEY || entry.nameLength == 0) continue;
      std::string_view name = s.EntryName(entry);
      std::uint32_t hash = ProfileFoldHash(name.data(), name.size());
      // Only the first of each name: lookups return the first match.
      if (s.keyIndex.Find(name.data(), name.size(), hash,
                          [&s](int k) { return s.EntryName(s.entries[k]); }) >= 0)
        continue;
      s.keyIndex.Reserve();
      s.keyIndex.Insert(hash, static_cast<int>(i));
    }
  } catch (...) {
    s.keyIndex.Clear();
    throw;
  }
  s.indexed = true;
}

int ProfileFindKey(int section, const char* name) {
  if (!CurrentProfile || section < 0 ||
      section >= static_cast<int>(CurrentProfile->sections.size()) || !name || !*name)
    return -1;
  ProfileSection& s = CurrentProfile->sections[section];
  std::size_t length = std::strlen(name);
  if (s.entries.empty() || length > PROFILE_NAME_LIMIT) return -1;
  try {
    ProfileIndexKeys(&s);
  } catch (const std::bad_alloc&) {
    // No memory for the index: the same answer by walking the entries.
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
      const ProfileEntry& entry = s.entries[i];
      if (entry.kind == PROFILE_KEY && entry.nameLength > 0 &&
          ProfileNamesMatch(s.EntryName(entry), name, length))
        return static_cast<int>(i);
    }
    return -1;
  }
  return s.keyIndex.Find(name, length, ProfileFoldHash(name, length),
                         [&s](int i) { return s.EntryName(s.entries[i]); });
}

int ProfileAddSectionTo(ProfileModel* model, const char* name, std::size_t length) {
  std::string_view stored = ProfileStoredName(name, length);
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

void ProfileAddNamelessSectionTo(ProfileModel* model) { model->sections.emplace_back(); }

void ProfileAddEntryTo(ProfileModel* model, ProfileSection* section, const char* name,
                       std::size_t nameLength, const char* value, std::size_t valueLength,
                       ProfileEntryKind kind, ProfileTextOrigin origin) {
  std::string_view stored = kind == PROFILE_COMMENT ? StoredComment(name, nameLength)
                                                    : ProfileStoredName(name, nameLength);
  std::string_view text;
  if (kind == PROFILE_KEY) text = std::string_view(value, ProfileFieldLength(value, valueLength));
  if (text.size() > PROFILE_VALUE_LIMIT) throw std::bad_alloc();
  // Only the first live key of each name goes into the index: lookups return the first match.
  // An unindexed section gets its index from the entries when it is first searched.
  bool first = false;
  std::uint32_t hash = 0;
  if (section->indexed && kind == PROFILE_KEY && !stored.empty()) {
    hash = ProfileFoldHash(stored.data(), stored.size());
    first = section->keyIndex.Find(stored.data(), stored.size(), hash,
                                   [section](int i) {
                                     return ProfileSection::EntryName(section->entries[i]);
                                   }) < 0;
  }
  if (first) section->keyIndex.Reserve();
  ProfileEntry entry;
  entry.kind = static_cast<std::uint8_t>(kind);
  entry.nameLength = static_cast<std::uint8_t>(stored.size());
  entry.valueLength = static_cast<std::uint32_t>(text.size());
  if (origin == ProfileTextOrigin::Source) {
    entry.name = stored.data();
    entry.value = text.data();
  } else {
    // Copies made before a later step throws stay unused; no entry points at them.
    entry.name = model->store.Keep(stored.data(), stored.size());
    entry.value = model->store.Keep(text.data(), text.size());
  }
  entry.hasValue = kind == PROFILE_KEY;
  section->entries.push_back(entry);
  if (first) section->keyIndex.Insert(hash, static_cast<int>(section->entries.size()) - 1);
}

void ProfileAddUnreadTo(ProfileSection* section, const char* line, std::size_t length) {
  if (length > PROFILE_VALUE_LIMIT) throw std::bad_alloc();
  ProfileEntry entry;
  entry.kind = PROFILE_UNREAD;
  entry.value = line;
  entry.valueLength = static_cast<std::uint32_t>(length);
  section->entries.push_back(entry);
}

int ProfileAddSection(const char* name, std::size_t length) {
  return CurrentProfile ? ProfileAddSectionTo(CurrentProfile.get(), name, length) : 0;
}

void ProfileAddEntry(int section, const char* name, std::size_t nameLength, const char* value,
                     std::size_t valueLength, ProfileEntryKind kind) {
  if (!CurrentProfile || section < 0 ||
      section >= static_cast<int>(CurrentProfile->sections.size()))
    return;
  ProfileAddEntryTo(CurrentProfile.get(), &CurrentProfile->sections[section], name, nameLength,
                    value, valueLength, kind, ProfileTextOrigin::Copy);
}
