#pragma once
// A throwaway certificate authority for the OpenVPN tests, made with the openssl program:
// a CA, a server certificate (serverAuth, so "remote-cert-tls server" holds) and a client
// certificate, EC P-256, valid for a day. Files land in `folder`.
#include <filesystem>
#include <string>

namespace corvane::daemon::testing {

struct TestPki {
  std::string caPem, serverCertPem, serverKeyPem, clientCertPem, clientKeyPem;
  std::filesystem::path caFile, serverCertFile, serverKeyFile;

  // False when openssl failed.
  bool make(const std::filesystem::path& folder);
};

}  // namespace corvane::daemon::testing
