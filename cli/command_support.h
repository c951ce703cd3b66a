#pragma once
// Shared pieces of the commands that drive the screen models: printing (text or --json),
// errors on stderr with the exit code, and the steps several flows begin with.
#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "client_session.h"
#include "command.h"

namespace corvane::cli {

// Prints `json` (with --json) or `text` on stdout.
void emit(const GlobalOptions& global, const nlohmann::json& json, const std::string& text);

// Prints "corvanectl: <message>" on stderr (and {"error": ...} on stdout with --json) and
// returns `code`.
int failWith(const GlobalOptions& global, const std::string& message, int code = kExitFailure);

// Makes sure the API domain is known: when no "domain_link" is stored yet, runs the start-up
// gate once. False (with the message printed) when the gate refused entry.
bool ensureDomain(ClientSession& session, const GlobalOptions& global);

// True when "loggedIn" is set; otherwise prints the hint to sign in first.
bool requireSignedIn(ClientSession& session, const GlobalOptions& global);

// The failure of a row that opens a stored link which is missing or not openable (see
// platform::isOpenableUrl): the message quotes the stored text. Returns kExitFailure.
int failWithLink(const GlobalOptions& global, const std::string& what, const std::optional<std::string>& stored);

// Prints the URLs the models opened where no desktop could open them.
void printRecordedUrls(ClientSession& session, const GlobalOptions& global);

}  // namespace corvane::cli
