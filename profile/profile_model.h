// The in-memory profile model shared by the reading half (profile.cpp) and the editing and
// writing half (profile_write.cpp) of the profile library; not for use outside profile/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Longest section name, key name or comment line kept, in bytes.
inline constexpr std::size_t PROFILE_NAME_LIMIT = 255;

enum ProfileEntryKind : std::int32_t {
  PROFILE_KEY = 0,      // "name=value" (or a line without "=")
  PROFILE_COMMENT = 1,  // a line whose first byte is "#"
};

// One key line or comment line, in file order.
struct ProfileEntry {
  std::string name;        // trimmed key name, or the whole comment line; empty: deleted
  std::int32_t hash = 0;   // ProfileNameHash(name) for keys, 0 for comments
  std::string value;       // exactly as it stood after "=" (blanks and quotes kept)
  bool hasValue = false;   // false: the value is missing (reads as an absent key)
  std::int32_t kind = PROFILE_KEY;
};

// One section, in file order. Section 0 is nameless and holds what stands before the first
// header. An empty entries vector stands for "no entry array": such a section is not written.
struct ProfileSection {
  std::string name;
  std::int32_t hash = 0;
  std::vector<ProfileEntry> entries;
  // Folded key name -> index of the first live key entry of that name. Keeps lookups and
  // loading linear in the number of keys; the entries stay the one source of truth.
  std::unordered_map<std::string, int> keyIndex;
};

struct ProfileModel {
  std::vector<ProfileSection> sections;
  // Folded section name -> index of the first section of that name.
  std::unordered_map<std::string, int> sectionIndex;
};

// The one model of the process; null when none exists.
extern std::unique_ptr<ProfileModel> CurrentProfile;

// The internal operations below may throw std::bad_alloc; the public routines of profile.h
// catch it. Each leaves the model as it was when it throws.

// A new model holding only the nameless section 0.
std::unique_ptr<ProfileModel> ProfileCreateModel();

// Parses size bytes of text into model (which holds only section 0).
void ProfileParse(ProfileModel* model, const char* text, std::size_t size);

// The name as the index keys it: ASCII letters lower-cased, every other byte kept.
std::string ProfileFoldName(const char* name, std::size_t length);

// Index of the first section / live key entry whose name matches (ASCII case-insensitively,
// byte for byte otherwise), or -1. Null or empty names never match.
int ProfileFindSection(const char* name);
int ProfileFindKey(int section, const char* name);

// Appends a section named by length bytes of name (cut at a NUL and at PROFILE_NAME_LIMIT bytes
// after its leading blanks, then trimmed). Returns 1, or 0 when the name is empty: a nameless
// section after section 0 could not be written back and read again as the same model.
int ProfileAddSection(const char* name, std::size_t length);

// Appends an entry to section: the name as ProfileAddSection cuts it (a comment keeps its
// leading "#" and is only trimmed at its end) and its own copy of value (cut at a NUL).
void ProfileAddEntry(int section, const char* name, std::size_t nameLength, const char* value,
                     std::size_t valueLength, ProfileEntryKind kind);

// Empties the name of a key entry and drops its value, so that a later duplicate becomes the
// first match.
void ProfileDeleteEntry(int section, int entry);

// Frees every entry of a section; the section keeps its place.
void ProfileClearSection(int section);

// Builds the normalised text of model (the text ProfileSave writes) into *out.
void ProfileFormat(const ProfileModel& model, std::string* out);
