// Profile text in and out through files, for the profile store's tests.
#pragma once

#include <string>

#include "test_files.h"

// Loads bytes as a profile file (through a temporary file) and returns ProfileLoad's result.
int LoadProfileText(const std::string& bytes);
// Saves the current model and returns the bytes written (empty when the save failed).
std::string SaveProfileText();
// Load, save and free: the normalised form of bytes.
std::string Normalise(const std::string& bytes);
