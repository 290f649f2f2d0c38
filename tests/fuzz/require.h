#pragma once
#include <cstdlib>

// A property every input must keep: when it breaks, the fuzzer keeps the input.
inline void Require(bool condition) {
  if (!condition) std::abort();
}
