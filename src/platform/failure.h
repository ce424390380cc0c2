// The failure that ends a pass. Any phase that cannot go on throws it (or any
// std::exception); the pass boundary turns it into status 1040 with its text.
#pragma once

#include <stdexcept>
#include <string>

namespace dm {

class PassFailure : public std::runtime_error {
 public:
  explicit PassFailure(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace dm
