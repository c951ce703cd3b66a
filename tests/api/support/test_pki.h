#pragma once
// A throw-away certificate authority for TLS tests: a CA and leaf certificates it signs for
// chosen host names, plus self-signed leaves that no CA vouches for. Made fresh in memory
// (P-256 keys) so no test depends on files in the tree or on the clock of a checked-in cert.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

namespace corvane::test {

struct X509Deleter {
  void operator()(X509* certificate) const;
};
struct KeyDeleter {
  void operator()(EVP_PKEY* key) const;
};
using X509Ptr = std::unique_ptr<X509, X509Deleter>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;

struct LeafCertificate {
  X509Ptr certificate;
  KeyPtr key;
};

class TestPki {
 public:
  TestPki();

  // A leaf for `subjectAltNames` (entries like "IP:127.0.0.1" or "DNS:localhost").
  LeafCertificate issue(const std::vector<std::string>& subjectAltNames) const;
  // A leaf for the same names that signs itself, so no trusted CA stands behind it.
  static LeafCertificate selfSigned(const std::vector<std::string>& subjectAltNames);

  std::string caPem() const;
  // Writes the CA as PEM to a new file in `directory` and returns its path.
  std::filesystem::path writeCaFile(const std::filesystem::path& directory) const;

 private:
  X509Ptr caCertificate_;
  KeyPtr caKey_;
};

}  // namespace corvane::test
