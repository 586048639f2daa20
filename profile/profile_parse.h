// The parser of the reading half (profile.cpp), for the layers above it and the fuzzer; not
// for use outside profile/.
#pragma once

#include <cstddef>

#include "profile_model.h"

// Parses size bytes of text into model (which holds only section 0). May throw std::bad_alloc,
// leaving what was added so far.
void ProfileParse(ProfileModel* model, const char* text, std::size_t size);
