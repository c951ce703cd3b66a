#include "daemon/net/nftables.h"

#include <fmt/format.h>
#include <nftables/libnftables.h>

#include <memory>

namespace corvane::daemon::net {
namespace {

struct ContextFree {
  void operator()(nft_ctx* context) const { nft_ctx_free(context); }
};

}  // namespace

Result<std::string> Nftables::run(const std::string& script, Output output) {
  // A context per script: it holds no state worth keeping between the daemon's few changes,
  // and nothing of one script's cache can go stale into the next.
  std::unique_ptr<nft_ctx, ContextFree> context(nft_ctx_new(NFT_CTX_DEFAULT));
  if (!context) return Error("Nftables", -1, "libnftables could not make a context");
  if (output == Output::json) nft_ctx_output_set_flags(context.get(), NFT_CTX_OUTPUT_JSON);
  if (nft_ctx_buffer_output(context.get()) != 0 || nft_ctx_buffer_error(context.get()) != 0) {
    return Error("Nftables", -1, "libnftables could not buffer its output");
  }
  const int failed = nft_run_cmd_from_buffer(context.get(), script.c_str());
  const char* out = nft_ctx_get_output_buffer(context.get());
  std::string printed = out ? out : "";
  if (failed != 0) {
    const char* err = nft_ctx_get_error_buffer(context.get());
    std::string why = err ? err : "";
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return Error("Nftables", failed, fmt::format("nftables refused the script: {}", why.substr(0, 400)));
  }
  return printed;
}

bool Nftables::hasTable(std::string_view family, std::string_view name) {
  return run(fmt::format("list table {} {}", family, name)).ok();
}

Result<void> Nftables::replaceTable(std::string_view family, std::string_view name, const std::string& definition) {
  std::string script = hasTable(family, name) ? fmt::format("delete table {} {}\n", family, name) : std::string();
  script += definition;
  auto done = run(script);
  if (!done) return done.error();
  return Result<void>::success();
}

Result<void> Nftables::removeTable(std::string_view family, std::string_view name) {
  if (!hasTable(family, name)) return Result<void>::success();
  auto done = run(fmt::format("delete table {} {}\n", family, name));
  if (!done) return done.error();
  return Result<void>::success();
}

}  // namespace corvane::daemon::net
