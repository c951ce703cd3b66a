// The kernel WireGuard path, for real: this machine's kernel has no WireGuard module, so a
// Debian kernel that has one boots in qemu, sees this machine's root read-only, and runs the
// daemon's WireGuard end-to-end tests there with CORVANE_WIREGUARD=kernel (forced: a fallback
// to wireguard-go would fail the start, not pass quietly). Their verdict is this test's.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>

#include "daemon/support/skip_or_fail.h"

namespace {

namespace fs = std::filesystem;

// Everything the VM runs: the end-to-end rows (connect, replace, kill -9 and the next daemon's
// clean-up) and the kernel-only rows.
constexpr const char* kFilter = "WireGuardEndToEnd.*:KernelWireGuard.*";
constexpr int kExpectedTests = 4;
// Under emulation (no usable KVM) the boot takes about 10 s and the tests about a minute.
constexpr int kVmSeconds = 420;

struct Output {
  int status = -1;
  std::string text;
};

Output capture(const std::string& command) {
  Output out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.text.append(buffer, n);
  int status = pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

bool have(const std::string& program) { return capture("command -v " + program).status == 0; }

std::string shellWord(const std::string& text) { return "'" + text + "'"; }

// Why the VM cannot run here ("needs ..." skips, outside CI), or empty.
std::string whyNoVm(std::string* kernelTree) {
  if (geteuid() != 0) return "needs root (the tests in the VM make network namespaces)";
  for (const char* program : {"qemu-system-x86_64", "busybox", "timeout", "gzip"}) {
    if (!have(program)) return std::string("needs ") + program + " (scripts/install-deps)";
  }
  auto fetched =
      capture(shellWord(std::string(CORVANE_SOURCE_DIR) + "/scripts/fetch-debian-kernel"));
  if (fetched.status != 0) return "needs the Debian kernel package: " + fetched.text;
  *kernelTree = fetched.text.substr(0, fetched.text.find_last_not_of('\n') + 1);
  kernelTree->erase(0, kernelTree->rfind('\n') + 1);
  return {};
}

TEST(KernelWireGuardInVm, TheWireGuardEndToEndTestsPassOnKernelWireGuard) {
  std::string tree;
  std::string whyNot = whyNoVm(&tree);
  if (!whyNot.empty()) {
    // CI has root and the packages; there a missing piece is a failure, never a skip.
    if (getenv("CI")) FAIL() << whyNot;
    CORVANE_SKIP_OR_FAIL(whyNot);
  }
  const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  char pattern[] = "/tmp/corvane-vm-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path work = pattern;

  const auto started = std::chrono::steady_clock::now();
  auto run =
      capture(shellWord(std::string(CORVANE_SOURCE_DIR) + "/tests/vm/run-in-vm") + " " +
              shellWord(tree) + " " + shellWord(work.string()) + " " + std::to_string(kVmSeconds) +
              " CORVANE_WIREGUARD=kernel CORVANE_KEYCHAIN=file -- " +
              shellWord((bin / "daemon_tests").string()) + " --gtest_filter=" + shellWord(kFilter) +
              " --gtest_color=no");
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::error_code ignored;
  fs::remove_all(work, ignored);
  RecordProperty("vm_seconds", std::to_string(seconds));
  // The rows' own lines, with their times, for the log of a passing run too.
  std::istringstream lines(run.text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("[       OK ]", 0) == 0 || line.rfind("run-in-vm:", 0) == 0)
      std::cout << "vm: " << line << "\n";
  }
  std::cout << "the VM ran for " << seconds << " s\n";

  ASSERT_NE(run.status, 125) << "the VM did not give a verdict:\n" << run.text;
  EXPECT_EQ(run.status, 0) << run.text;
  // Every row ran and passed in the VM: a skip there (a testbed that could not be built) is
  // no pass here.
  std::smatch passed;
  ASSERT_TRUE(std::regex_search(run.text, passed, std::regex(R"(\[  PASSED  \] (\d+) tests?)")))
      << run.text;
  EXPECT_EQ(std::stoi(passed[1]), kExpectedTests) << run.text;
  EXPECT_EQ(run.text.find("[  SKIPPED ]"), std::string::npos) << run.text;
}

}  // namespace
