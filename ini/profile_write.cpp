// Editing and writing half of the profile library: sets, quotes and deletes values, clears
// sections, and writes the whole model back in its normalised form. Every set goes through
// ProfileSetString, which keeps line breaks out of names and values.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform.h"
#include "profile.h"
#include "profile_edit.h"
#include "profile_model.h"
#include "text_encoding.h"

namespace {

// The line an entry writes, as the model holds it: a live unread line, or a key or comment with
// a name whose line is not kept after it. Entries with an empty name (deleted keys, or key lines
// whose name was all blanks) and dropped unread lines write nothing.
bool WritesLine(const ProfileEntry& entry) {
  if (entry.kind == PROFILE_UNREAD) return entry.valueLength > 0;
  return entry.nameLength > 0 && !entry.lineKept;
}

// A section is written only when it holds a line to write: a header with nothing under it would
// not read back as a section with entries, and leaving it out keeps a second load and save
// byte-identical to the first.
bool HasWrittenEntry(const ProfileSection& section) {
  for (const ProfileEntry& entry : section.entries)
    if (WritesLine(entry)) return true;
  return false;
}

// A key name that begins with "[" or "#" would read back as a header or a comment; one leading
// blank (dropped again when the name is read) keeps it a key.
bool NeedsGuardBlank(const ProfileEntry& entry) {
  if (entry.kind != PROFILE_KEY || entry.nameLength == 0) return false;
  char first = entry.name[0];
  return first == '[' || first == '#';
}

// The header line: as it was read when its name lost bytes of it; a section that no name
// reaches (a header of blanks in the file read) is written as "[ ]", which reads back as the
// same kind of section.
std::size_t HeaderLength(const ProfileSection& section) {
  if (!section.header.empty()) return section.header.size();
  return (section.name.empty() ? 1 : section.name.size()) + 2;
}
void AppendHeader(const ProfileSection& section, std::string* out) {
  if (!section.header.empty()) {
    out->append(section.header);
    return;
  }
  out->append("[").append(section.name.empty() ? std::string_view(" ") : section.name).append("]");
}

std::size_t FormattedLength(const ProfileModel& model) {
  std::size_t length = 0;
  for (std::size_t s = 0; s < model.sections.size(); ++s) {
    const ProfileSection& section = model.sections[s];
    if (!HasWrittenEntry(section)) continue;
    if (s != 0) length += HeaderLength(section) + 2;
    for (const ProfileEntry& entry : section.entries) {
      if (!WritesLine(entry)) continue;
      if (entry.kind == PROFILE_UNREAD) {
        length += entry.valueLength + 2;
        continue;
      }
      length += entry.nameLength + 2;
      if (entry.kind == PROFILE_KEY)
        length += 1 + entry.valueLength + (NeedsGuardBlank(entry) ? 1 : 0);
    }
    length += 2;
  }
  return length + model.rest.size();
}

// The form in which a section name, key name or value may enter the model: CR and LF become
// blanks, so that whatever the editor sets stays one line of the file (one header, or one key
// with its whole value) and cannot start lines of its own when the file is read again. Other
// bytes below 0x20 are kept: they end no line, and values keep their bytes. Neither CR nor LF
// is ever the second byte of a code page 932 character, so no character is split. Returns text
// itself when it holds neither (the usual case, which copies nothing), else *copy's text.
const char* LineSafe(const char* text, std::string* copy) {
  if (!text || !std::strpbrk(text, "\r\n")) return text;
  copy->assign(text);  // may throw
  for (char& c : *copy)
    if (c == '\r' || c == '\n') c = ' ';
  return copy->c_str();
}

// Index of the section named name, appended when missing; -1 when it cannot be made. Creates
// the model (section 0 only) when none exists.
int SectionForEditing(const char* name) {
  if (!CurrentProfile) CurrentProfile = ProfileCreateModel();
  int s = ProfileFindSection(name);
  if (s >= 0) return s;
  if (!ProfileAddSection(name, std::strlen(name))) return -1;
  return static_cast<int>(CurrentProfile->sections.size()) - 1;
}

}  // namespace

void ProfileFormat(const ProfileModel& model, std::string* out) {
  out->clear();
  out->reserve(FormattedLength(model));
  for (std::size_t s = 0; s < model.sections.size(); ++s) {
    const ProfileSection& section = model.sections[s];
    if (!HasWrittenEntry(section)) continue;
    if (s != 0) {
      AppendHeader(section, out);
      out->append("\r\n");
    }
    for (const ProfileEntry& entry : section.entries) {
      if (!WritesLine(entry)) continue;
      if (entry.kind == PROFILE_UNREAD) {
        out->append(section.EntryValue(entry)).append("\r\n");
        continue;
      }
      if (NeedsGuardBlank(entry)) out->push_back(' ');
      out->append(section.EntryName(entry));
      if (entry.kind == PROFILE_KEY) out->append("=").append(section.EntryValue(entry));
      out->append("\r\n");
    }
    out->append("\r\n");
  }
  // What followed a NUL at the start of a line stays at the end, where no reader reads it: a
  // section added by an edit must come before it to be read.
  out->append(model.rest);
}

// An edit that changes or deletes a key takes the place of the line kept for it.
void DropKeptLine(ProfileSection* section, int entry) {
  ProfileEntry& e = section->entries[entry];
  if (!e.lineKept) return;
  e.lineKept = false;
  ProfileEntry& line = section->entries[entry + 1];
  line.value = "";
  line.valueLength = 0;
}

void ProfileDeleteEntry(int section, int entry) {
  ProfileSection& s = CurrentProfile->sections[section];
  ProfileEntry& e = s.entries[entry];
  if (e.kind == PROFILE_KEY && e.nameLength > 0) {
    // When this was the first match, the next live key of the same name takes its place.
    std::string_view name = s.EntryName(e);
    int next = -1;
    for (std::size_t i = static_cast<std::size_t>(entry) + 1; i < s.entries.size(); ++i) {
      const ProfileEntry& later = s.entries[i];
      if (later.kind == PROFILE_KEY &&
          ProfileNamesMatch(s.EntryName(later), name.data(), name.size())) {
        next = static_cast<int>(i);
        break;
      }
    }
    if (s.indexed) s.keyIndex.Replace(ProfileFoldHash(name.data(), name.size()), entry, next);
  }
  DropKeptLine(&s, entry);
  e.nameLength = 0;
  e.valueLength = 0;
  e.hasValue = false;
}

void ProfileSetEntryValue(int section, int entry, const char* value, std::size_t length) {
  ProfileSection& s = CurrentProfile->sections[section];
  ProfileEntry& e = s.entries[entry];
  // A key whose line is kept keeps it while a reader would find the same text in the new value
  // (the editor sets back every command text it read, quoted): only a new text replaces it.
  if (e.lineKept && e.hasValue &&
      ProfileTreatedValue(std::string_view(value, length)) ==
          ProfileTreatedValue(s.EntryValue(e)))
    return;
  // May throw; the entry keeps its old value then.
  if (length > PROFILE_VALUE_LIMIT) throw std::bad_alloc();
  const char* kept = CurrentProfile->store.Keep(value, length);
  DropKeptLine(&s, entry);
  e.value = kept;
  e.valueLength = static_cast<std::uint32_t>(length);
  e.hasValue = true;
}

void ProfileClearSection(int section) {
  ProfileSection& s = CurrentProfile->sections[section];
  std::vector<ProfileEntry>().swap(s.entries);
  s.keyIndex.Clear();
}

int ProfileSetString(const char* section, const char* key, const char* value,
                     const char* /*path*/) {
  if (!section) return 0;
  try {
    std::string sectionCopy;
    std::string keyCopy;
    std::string valueCopy;
    section = LineSafe(section, &sectionCopy);
    key = LineSafe(key, &keyCopy);
    value = LineSafe(value, &valueCopy);
    int s = SectionForEditing(section);
    if (s < 0) return 0;
    if (!key) {
      ProfileClearSection(s);
      return 1;
    }
    int k = ProfileFindKey(s, key);
    if (k >= 0) {
      if (!value) {
        ProfileDeleteEntry(s, k);
        return 1;
      }
      ProfileSetEntryValue(s, k, value, std::strlen(value));
      return 1;
    }
    if (!value) return 0;
    ProfileAddEntry(s, key, std::strlen(key), value, std::strlen(value), PROFILE_KEY);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int ProfileSetQuotedString(const char* section, const char* key, const char* value,
                           const char* path) {
  if (!value || !*value) return ProfileSetString(section, key, "", path);
  try {
    std::string quoted;
    quoted.reserve(std::strlen(value) + 2);
    quoted.append("\"").append(value).append("\"");
    return ProfileSetString(section, key, quoted.c_str(), path);
  } catch (const std::bad_alloc&) {
    return ProfileSetString(section, key, value, path);
  }
}

int ProfileSetInt(const char* section, const char* key, std::int32_t value, const char* path) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return ProfileSetString(section, key, text, path);
}

int ProfileSave(const char* path) {
  if (!CurrentProfile || !path) return 0;
  try {
    std::string text;
    ProfileFormat(*CurrentProfile, &text);
    // Back in the encoding the file was read in, so that a user's UTF-8 file stays UTF-8.
    std::string bytes;
    EncodeProfileFile(text, CurrentProfile->encoding, CurrentProfile->standIns, &bytes);
    return PlatformReplaceFile(path, bytes.data(), bytes.size()) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
