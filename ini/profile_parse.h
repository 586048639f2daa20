// The parser of the reading half (profile.cpp), for the fuzzer that drives it directly;
// private to ini/.
#pragma once

#include <cstddef>
#include <string>

#include "profile_model.h"

// Parses text into model (which holds only section 0 and no source yet); the model keeps the
// text as its source. May throw std::bad_alloc, leaving what was added so far.
void ProfileParse(ProfileModel* model, std::string text);
