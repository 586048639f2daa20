// Bytes that no editor writes, shared by the tests that feed both programs damaged files.
#pragma once

#include <string>

// Fixed pseudo-random bytes: every value, NULs, lone lead bytes, brackets and "=" included.
inline std::string PseudoRandomBytes(unsigned seed, size_t count) {
  std::string bytes;
  unsigned state = seed;
  for (size_t i = 0; i < count; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 16);
  }
  return bytes;
}
