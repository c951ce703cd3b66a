#pragma once
// What EngineFactory::prepare gives: an engine ready to start, or the reason the
// configuration was refused. Checked with operator bool.
#include <cassert>
#include <memory>
#include <optional>
#include <utility>

#include "daemon/engine/engine.h"
#include "daemon/engine/engine_error.h"

namespace corvane::daemon::engine {

class PreparedEngine {
 public:
  PreparedEngine(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}  // NOLINT
  PreparedEngine(EngineError error) : error_(std::move(error)) {}                 // NOLINT

  explicit operator bool() const { return engine_ != nullptr; }
  std::unique_ptr<Engine> take() { return std::move(engine_); }
  const EngineError& error() const {
    assert(error_);
    return *error_;
  }

 private:
  std::unique_ptr<Engine> engine_;
  std::optional<EngineError> error_;
};

}  // namespace corvane::daemon::engine
