#pragma once
// nftables scripts run in-process through libnftables, in the caller's network namespace.
// Starting the nft program cost about 20 ms per table change, several times per connect; the
// library does the same netlink transaction without it. A script is one transaction: it
// applies whole or not at all. Scripts hold addresses and ports only, never secrets.
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::daemon::net {

class Nftables {
 public:
  enum class Output { text, json };

  // Runs `script` (the syntax of `nft -f`) and returns what it printed (list commands).
  // A refusal quotes nft's own message.
  static Result<std::string> run(const std::string& script, Output output = Output::text);
  // Puts `definition` ("table FAMILY NAME { ... }") in place. Where a table of that name is
  // there already, it is deleted and defined again in one transaction, with no moment
  // between. The kernel takes a grace period (about 15 ms here) to delete a table with hooks,
  // so the delete is left out where there is nothing to delete.
  static Result<void> replaceTable(std::string_view family, std::string_view name, const std::string& definition);
  // Deletes the table when it is there; nothing to delete is not an error.
  static Result<void> removeTable(std::string_view family, std::string_view name);
  static bool hasTable(std::string_view family, std::string_view name);
};

}  // namespace corvane::daemon::net
