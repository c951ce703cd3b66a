#include "backend/command_line.h"

#include <CLI/CLI.hpp>

#include "corvane/build_config.h"
#include "backend/demo_seed.h"
#include "platform/paths/paths.h"

namespace corvane::backend {

ParsedCommandLine parseCommandLine(int argc, char** argv) {
  BackendOptions o;
  CLI::App app{"corvane-backend: the reference backend of the Corvane VPN service.\n"
               "HTTPS serves the link table, announcements, domain source and IP echo; plain HTTP serves\n"
               "the JSON API (/app-api-v1/...), the domain source, IP echo and captive probe.\n"
               "Once listening it prints one line on stdout:\n"
               "  READY https=PORT http=PORT [test=PORT] ca=/path/ca.pem"};
  app.set_version_flag("--version", std::string("corvane-backend ") + build::kVersion);
  std::string dataDir;
  std::string hashCost;
  std::optional<int> testPort;
  app.add_option("--bind", o.bind, "Address to listen on")->capture_default_str();
  app.add_option("--https-port", o.httpsPort, "HTTPS port; 0 picks a free port")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--http-port", o.httpPort, "Plain-HTTP API port; 0 picks a free port")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--test-port", testPort,
                 "Also serve GET /test/reset-code?username=NAME on 127.0.0.1:PORT (always loopback, "
                 "whatever --bind says; 0 picks a free port). Off unless given; for tests only")
      ->check(CLI::Range(0, 65535));
  app.add_option("--data", dataDir,
                 "Data folder: accounts database, TLS material (tls/ca.pem) and backend.log.\n"
                 "Default: $CORVANE_HOME/data/backend, else $XDG_DATA_HOME/corvane/backend");
  app.add_flag("--demo", o.demo,
               std::string("Seed the demo account (user name ") + kDemoUsername + ", password " + kDemoPassword +
                   ") and a demo catalogue of servers on 127.0.0.2-127.0.0.254; implies --hash-cost minimal");
  app.add_option("--demo-servers", o.demoServers, "Number of servers in the demo catalogue")
      ->capture_default_str()
      ->check(CLI::Range(1, 100000));
  app.add_option("--hash-cost", hashCost,
                 "Password hashing cost: interactive (default) or minimal (libsodium's lowest limits, "
                 "for demos, tests and benchmarks)")
      ->check(CLI::IsMember({"interactive", "minimal"}));
  app.add_option("--threads", o.threads, "Request workers (they run the handlers; connections themselves wait on one event loop)")->capture_default_str()->check(CLI::Range(1, 256));
  app.add_option("--reset-code-ttl", o.resetCodeTtlSeconds, "Seconds a password reset code stays valid")
      ->capture_default_str()
      ->check(CLI::Range(0, 7 * 24 * 3600));
  app.add_option("--max-body", o.maxBodyBytes, "Largest request body accepted, in bytes")
      ->capture_default_str()
      ->check(CLI::Range(1024, 16 * 1024 * 1024));
  int deadlineSeconds = o.requestDeadlineMs / 1000;
  app.add_option("--request-deadline", deadlineSeconds,
                 "Seconds a client has to send a whole request (head and body) or finish a TLS handshake")
      ->capture_default_str()
      ->check(CLI::Range(1, 600));
  app.add_option("--max-connections", o.maxConnections, "Open connections over all listeners; more are closed at once")
      ->capture_default_str()
      ->check(CLI::Range(16, 1000000));
  app.add_flag("--api-tls", o.apiOverTls,
               "Serve the JSON API on the HTTPS listener too, and name that listener in the domain source "
               "(for clients built with CORVANE_API_SCHEME=https)");
  std::string catalogue;
  app.add_option("--catalogue", catalogue,
                 "Replace the server catalogue with the servers of this JSON file (format in backend/README.md)")
      ->check(CLI::ExistingFile);
  app.add_option("--login-failures-per-address", o.loginFailuresPerAddress,
                 "Failed logins allowed from one client address in 15 minutes; 0 turns the limit off")
      ->capture_default_str()
      ->check(CLI::Range(0, 1000000));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ParsedCommandLine{std::nullopt, app.exit(e) == 0 ? 0 : 2};
  }
  o.testPort = testPort;
  o.requestDeadlineMs = deadlineSeconds * 1000;
  o.catalogueFile = catalogue;
  o.dataDir = dataDir.empty() ? platform::Paths::fromEnvironment().data / "backend" : std::filesystem::path(dataDir);
  if (hashCost == "minimal" || (hashCost.empty() && o.demo)) o.hashCost = HashCost::minimal;
  return ParsedCommandLine{o, 0};
}

}  // namespace corvane::backend
