// The profile library: an INI-style file read whole into one process-wide model, answering
// string and integer lookups by section and key, and (settings editor only) edited and
// written back in normalised form.
//
// Calls are shaped like the platform's GetPrivateProfile*/WritePrivateProfileString*: the path
// argument of the get and set operations is accepted and ignored; only ProfileLoad and
// ProfileSave touch the file. Results are 0/1 or the value; nothing throws.
#pragma once

#include <cstdint>

// Reading half (both programs).
int ProfileLoad(const char* path);
int ProfileGetString(const char* section, const char* key, const char* defaultText, char* buffer,
                     int bufferSize, const char* path);
int ProfileGetInt(const char* section, const char* key, int defaultValue, const char* path);
void ProfileFree();

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
