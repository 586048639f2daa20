// The in-memory profile model, the bottom layer of the profile library (profile_model.cpp):
// name matching, the name index, the process's one model and the appending of sections and
// entries. The reading half (profile.cpp) and the editing and writing half (profile_write.cpp,
// profile_edit.h) stand on it; private to ini/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "profile_text.h"
#include "text_encoding.h"

// Longest value kept, in bytes: a file of 4 GB or more is never read, and a longer value set
// by an edit is refused.
inline constexpr std::size_t PROFILE_VALUE_LIMIT = 0xFFFFFFFFu;

enum ProfileEntryKind : std::int32_t {
  PROFILE_KEY = 0,      // "name=value" (or a line without "=")
  PROFILE_COMMENT = 1,  // a line whose first byte is "#"
  // A line of the file as it was read, which no lookup finds and a save writes back byte for
  // byte: a line that reads as nothing ("[" without its "]", "[]", a line that starts with
  // "="), a comment that loses bytes when kept as one (a NUL in it, more than
  // PROFILE_NAME_LIMIT bytes), or the line of the key entry before it (lineKept).
  PROFILE_UNREAD = 2,
};

// Hash of a name under the matching rule: equal for names that differ only in the case of
// ASCII letters. (ProfileNameHash skips blanks and drops the early bytes of long names, which
// makes it a poor table hash.)
std::uint32_t ProfileFoldHash(const char* name, std::size_t length);

// Open-addressing table from a name to the index of the first record of that name (section or
// key entry). Stores the fold hash beside each index, so probing reads one small array and a
// record's name only when the hashes agree.
class ProfileNameIndex {
 public:
  // Index of the record that matches name, or -1. nameOf(i) returns record i's stored name.
  template <class NameOf>
  int Find(const char* name, std::size_t length, std::uint32_t hash, NameOf nameOf) const {
    if (slots_.empty()) return -1;
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.index == EMPTY) return -1;
      if (slot.index >= 0 && slot.hash == hash &&
          ProfileNamesMatch(nameOf(slot.index), name, length))
        return slot.index;
    }
  }

  // Makes room for one more name; the only step that allocates (and may throw).
  void Reserve();

  // Records index under hash; call only after Reserve and only when Find found no record of
  // that name, so the first record of each name keeps its place.
  void Insert(std::uint32_t hash, int index);

  // The record at oldIndex is no longer the first of its name: newIndex is, or none when -1.
  void Replace(std::uint32_t hash, int oldIndex, int newIndex);

  void Clear();

 private:
  static constexpr std::int32_t EMPTY = -1;
  static constexpr std::int32_t REMOVED = -2;  // keeps later names of the probe chain reachable
  struct Slot {
    std::uint32_t hash;
    std::int32_t index;
  };
  std::vector<Slot> slots_;  // size 0 or a power of two, at most half full
  std::size_t used_ = 0;     // slots that are not EMPTY
};

// Copies of the texts that edits bring, each kept where it is until the store is dropped, so
// that entries may point at them. Texts of a small edit share blocks: the editor sets five keys
// per command on every save.
class ProfileTextStore {
 public:
  // A kept copy of length bytes of text (not NUL-terminated); may throw std::bad_alloc.
  const char* Keep(const char* text, std::size_t length);

 private:
  static constexpr std::size_t BLOCK_SIZE = 16 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;  // the unused end of the last shared block
  std::size_t left_ = 0;
};

// One key line, comment line or unread line, in file order. Its name and value point into the
// model: into the text of the file that was read (loading copies no text), or into the model's
// store for what an edit set.
struct ProfileEntry {
  const char* name = "";   // key name (trimmed) or the whole comment line; "" when unread
  // Exactly as it stood after "=" (blanks and quotes kept); for an unread entry, its line.
  const char* value = "";
  // At most PROFILE_VALUE_LIMIT; kept small, for a long command list has 50,000 entries. An
  // unread entry of length 0 has been dropped.
  std::uint32_t valueLength = 0;
  std::uint8_t nameLength = 0;  // 0: deleted (or a key line whose name was all blanks)
  bool hasValue = false;        // false: the value is missing (reads as an absent key)
  std::uint8_t kind = PROFILE_KEY;  // a ProfileEntryKind
  // A key whose line would lose bytes written as name=value (a NUL in it, a name cut): the
  // entry after it, PROFILE_UNREAD, holds the line and is written in its place until an edit
  // changes or deletes the key.
  bool lineKept = false;
};
static_assert(sizeof(void*) != 8 || sizeof(ProfileEntry) == 24, "entries stay three words");
static_assert(PROFILE_NAME_LIMIT <= 255, "entry name lengths are kept in one byte");

// One section, in file order. Section 0 is nameless and holds what stands before the first
// header; a header of blanks makes another nameless one. An empty entries vector stands for
// "no entry array": such a section is not written.
struct ProfileSection {
  std::string name;
  // The header line as it was read, written back in place of "[name]", when the name lost bytes
  // of it (a NUL inside the brackets, a name cut); empty otherwise.
  std::string_view header;
  std::vector<ProfileEntry> entries;
  // First live key entry of each name. Keeps lookups linear in the number of keys; the
  // entries stay the one source of truth. Built on the first lookup in the section
  // (ProfileIndexKeys), not while loading: the launcher reads its commands in one walk over
  // the entries and never needs the index of its largest section.
  ProfileNameIndex keyIndex;
  bool indexed = false;  // keyIndex holds every live key entry

  static std::string_view EntryName(const ProfileEntry& entry) {
    return std::string_view(entry.name, entry.nameLength);
  }
  static std::string_view EntryValue(const ProfileEntry& entry) {
    return std::string_view(entry.value, entry.valueLength);
  }
};

struct ProfileModel {
  std::vector<ProfileSection> sections;
  ProfileNameIndex sectionIndex;  // first section of each name
  // The file that was parsed into the model; never changed, so the entries read from it point
  // into it. A replaced value's old bytes stay unused (here or in the store) until the model is
  // freed: the editor sets each key once a save.
  std::string source;
  ProfileTextStore store;
  // The text from a NUL at the start of a line to the end of the file, which no reader reads and
  // a save writes back after everything else, as it was; empty when the file has none.
  std::string_view rest;
  // How the file was encoded, and what its stand-ins stand for: a save writes it back so.
  ProfileEncoding encoding = ProfileEncoding::Cp932;
  ProfileStandIns standIns;
  bool complete = true;  // false: some characters of the file had no stand-in left
};

// The one model of the process; null when none exists.
extern std::unique_ptr<ProfileModel> CurrentProfile;

// The internal operations below may throw std::bad_alloc; the public routines of profile.h
// catch it. Each leaves the model as it was when it throws.

// A new model holding only the nameless section 0.
std::unique_ptr<ProfileModel> ProfileCreateModel();

// Builds section's key index from its entries when it has none yet; may throw, and then leaves
// the section unindexed.
void ProfileIndexKeys(ProfileSection* section);

// Index of the first section / live key entry whose name matches (ASCII case-insensitively,
// byte for byte otherwise), or -1. Null or empty names never match.
int ProfileFindSection(const char* name);
int ProfileFindKey(int section, const char* name);

// Appends to model a section named by length bytes of name (cut at a NUL and at
// PROFILE_NAME_LIMIT bytes after its leading blanks, then trimmed). Returns 1, or 0 when the name
// is empty: a set never makes a section that no name could reach again (the parser adds one for
// a header of blanks, ProfileAddNamelessSectionTo).
int ProfileAddSectionTo(ProfileModel* model, const char* name, std::size_t length);

// Where the name and value of a new entry live.
enum class ProfileTextOrigin {
  Source,  // in the model's source: the entry points at them
  Copy,    // elsewhere: the entry points at copies in the model's store
};

// Appends an entry to section of model: the name as ProfileAddSectionTo cuts it (a comment
// keeps its leading "#" and is only trimmed at its end) and value (cut at a NUL).
void ProfileAddEntryTo(ProfileModel* model, ProfileSection* section, const char* name,
                       std::size_t nameLength, const char* value, std::size_t valueLength,
                       ProfileEntryKind kind, ProfileTextOrigin origin);

// Appends to section an unread entry holding length bytes of line, which must live as long as
// the model (in its source).
void ProfileAddUnreadTo(ProfileSection* section, const char* line, std::size_t length);

// Appends to model a section that no name reaches, for a header of only blanks: the keys under
// it are kept (and written back) but never found, rather than read as keys of the section
// before it.
void ProfileAddNamelessSectionTo(ProfileModel* model);

// The same on the current model (0 / nothing when there is none, or no such section).
int ProfileAddSection(const char* name, std::size_t length);
void ProfileAddEntry(int section, const char* name, std::size_t nameLength, const char* value,
                     std::size_t valueLength, ProfileEntryKind kind);
