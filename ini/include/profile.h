// The profile library: an INI-style file read whole into one process-wide model, answering
// string and integer lookups by section and key, and (settings editor only) edited and
// written back in normalised form.
//
// Calls are shaped like the platform's GetPrivateProfile*/WritePrivateProfileString*: the path
// argument of the get and set operations is accepted and ignored; only ProfileLoad and
// ProfileSave touch the file. Results are 0/1 or the value; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>

// Reading half (both programs).
int ProfileLoad(const char* path);
int ProfileGetString(const char* section, const char* key, const char* defaultText, char* buffer,
                     int bufferSize, const char* path);
int ProfileGetInt(const char* section, const char* key, int defaultValue, const char* path);
// A settings key's number as the platform's profile reader (GetPrivateProfileIntA) makes it of
// the stored value (setting_number.h): hexadecimal, octal and binary too, a matched pair of '
// or " dropped, 29 characters read. A missing key or value, or one that reads as empty ("",
// '', blanks), gives defaultValue. ProfileGetInt keeps its own reading for the other keys.
int ProfileGetSettingInt(const char* section, const char* key, int defaultValue, const char* path);
void ProfileFree();

// The encoding of the loaded file (text_encoding.h), how many distinct characters of it stand
// in the model for others, and whether every such character found a stand-in. Returns 0, and
// sets nothing, when no model is loaded. Any of the three may be null.
enum class ProfileEncoding : std::uint8_t;
int ProfileGetFileForm(ProfileEncoding* encoding, std::size_t* keptCharacters, bool* complete);

// Visits the key lines of the first section that section names, in file order, duplicates
// included: visit(context, name, nameLength, value, valueLength) with the value as the getters
// hand it out (blanks and one pair of quotes dropped), or a null value for a key without one.
// The texts live until the model is freed. Returns 0 when there is no such section. Lets a
// reader of many numbered keys take them in one pass instead of one lookup each.
using ProfileKeyVisitor = void (*)(void* context, const char* name, std::size_t nameLength,
                                   const char* value, std::size_t valueLength);
int ProfileForEachKey(const char* section, ProfileKeyVisitor visit, void* context);


// Editing and writing half (settings editor only; lives in profile_write.cpp). A CR or LF in
// a section name, key name or value is stored as a blank, so a set never breaks the file's
// line structure.
int ProfileSetString(const char* section, const char* key, const char* value, const char* path);
int ProfileSetQuotedString(const char* section, const char* key, const char* value,
                           const char* path);
int ProfileSetInt(const char* section, const char* key, std::int32_t value, const char* path);
int ProfileSave(const char* path);

// Helpers with rules of their own, exposed for the unit tests.
std::int32_t ProfileNameHash(const char* name);
int ProfileParseInt(const char* text);
void ProfileTrim(char* text);
