// Internal operations of the editing and writing half (profile_write.cpp) on the model; not for
// use outside ini/. Like the model's own, they may throw std::bad_alloc (the public set and
// save routines of profile.h catch it) and leave the model as it was when they do.
#pragma once

#include <cstddef>
#include <string>

#include "profile_model.h"

// Empties the name of a key entry and drops its value, so that a later duplicate becomes the
// first match.
void ProfileDeleteEntry(int section, int entry);

// Gives an entry a copy of value as its new value.
void ProfileSetEntryValue(int section, int entry, const char* value, std::size_t length);

// Frees every entry of a section; the section keeps its place.
void ProfileClearSection(int section);

// Builds the normalised text of model (the text ProfileSave writes) into *out.
void ProfileFormat(const ProfileModel& model, std::string* out);
