#include "platform/core/error.h"

namespace corvane {

std::string Error::toString() const {
  std::string out = domain + " " + std::to_string(code);
  if (!description.empty()) {
    out += ": " + description;
  }
  return out;
}

}  // namespace corvane
