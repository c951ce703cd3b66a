#pragma once
// The state of one decode: where in the document the reader is, and the first failure.
//
// Readers descend with enter()/leave() only into arrays and objects; a leaf value's own step is
// passed to fail() so the common, successful path pushes nothing per scalar field. After a
// failure the context is finished: the path is not unwound and the caller takes the error.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/records/decoding/decoding_error.h"
#include "platform/core/error.h"

namespace corvane::api::decoding {

// One step of a JSON path: an object key or an array index.
struct Step {
  std::string_view key;
  std::size_t index = 0;
  bool isIndex = false;

  static Step of(std::string_view key) { return Step{key, 0, false}; }
  static Step at(std::size_t index) { return Step{{}, index, true}; }
};

class DecodeContext {
 public:
  void enter(Step step) { path_.push_back(step); }
  void leave() { path_.pop_back(); }

  // Records the failure at `leaf` under the current path. Returns false so that readers can
  // write `return ctx.fail(...)`.
  bool fail(DecodingErrorCode code, std::optional<Step> leaf, std::string_view reason);

  // The path as "a.b[2].c", or "<root>" for the document itself.
  std::string path(std::optional<Step> leaf) const;

  bool failed() const { return error_.has_value(); }
  Error takeError();

 private:
  std::vector<Step> path_;
  std::optional<Error> error_;
};

}  // namespace corvane::api::decoding
