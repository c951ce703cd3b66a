#pragma once
// A fixture whose tests share one reference backend: started before the suite's first test,
// stopped after its last (a start costs the backend's TLS set-up and READY line, so a suite
// pays it once). The demo backend by default; a suite that wants another launch declares
// its own SetUpTestSuite that calls start().
//
//   class CliTest : public corvane::test::BackendSuite<> { ... backend_->apiHost() ... };
//   class Shots : public corvane::test::BackendSuite<::testing::TestWithParam<Shape>> { ... };
#include <gtest/gtest.h>

#include <memory>

#include "api/support/backend_process.h"

namespace corvane::test {

template <class Base = ::testing::Test>
class BackendSuite : public Base {
 public:
  static void SetUpTestSuite() {
    BackendLaunch launch;
    launch.demo = true;
    start(launch);
  }
  static void TearDownTestSuite() { backend_.reset(); }

 protected:
  static void start(const BackendLaunch& launch) { backend_ = std::make_unique<BackendProcess>(launch); }

  // Suites run one after another, so the suites of one program may share the one slot.
  static inline std::unique_ptr<BackendProcess> backend_;
};

}  // namespace corvane::test
