#pragma once
// The one exception of the start-up: its text is the given text with one blank
// on each side.
#include <stdexcept>
#include <string>

namespace lumetra {

class ECommError : public std::runtime_error {
 public:
  explicit ECommError(const std::string& text) : std::runtime_error(" " + text + " ") {}
};

}  // namespace lumetra
