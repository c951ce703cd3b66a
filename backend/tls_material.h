#pragma once
// The HTTPS identity of the backend: a private certificate authority and a server certificate
// it signs for 127.0.0.1, ::1 and localhost. Made on first start and reused afterwards, so a
// client that trusts ca.pem (CORVANE_CA_FILE) keeps trusting the backend across restarts.
#include <filesystem>
#include <string>

namespace corvane::backend {

struct TlsMaterial {
  std::filesystem::path caCertFile;
  std::filesystem::path serverCertFile;
  std::filesystem::path serverKeyFile;
  std::string caPem;
  bool created = false;  // true when this start made new material
};

// Loads the material from `dir` (mode 0700, keys 0600), or makes what is missing or no longer
// valid. A server certificate that is expired or was not signed by the stored CA is reissued
// under the same CA. Throws std::runtime_error when OpenSSL or the file system fails.
TlsMaterial ensureTlsMaterial(const std::filesystem::path& dir);

}  // namespace corvane::backend
