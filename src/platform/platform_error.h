#pragma once
#include <stdexcept>
#include <string>

namespace clipvane {

// Raised by the platform layer when the OS refuses a write or a read that the caller
// cannot do without. The message names the file, so the user can act on it.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace clipvane
