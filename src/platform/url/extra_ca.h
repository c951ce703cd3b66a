#pragma once
// Extra certificate authorities trusted on top of the system bundle, for a backend with its
// own self-signed CA (CORVANE_CA_FILE). They are added to each new TLS context's store, so the
// system CAs stay trusted and peer and host verification stay on.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/core/result.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct x509_st X509;

namespace corvane::platform {

class ExtraCa {
 public:
  // Reads every PEM certificate in `pemFile`. A file that cannot be read or holds no
  // certificate is an error: silently trusting nothing extra would make the failure show up
  // much later as a puzzling certificate error.
  static Result<std::shared_ptr<const ExtraCa>> load(const std::filesystem::path& pemFile);

  ~ExtraCa();
  ExtraCa(const ExtraCa&) = delete;
  ExtraCa& operator=(const ExtraCa&) = delete;

  // Adds the certificates to the context's verification store. Safe to call concurrently.
  void addTo(SSL_CTX* context) const;

  std::size_t size() const { return certificates_.size(); }

 private:
  ExtraCa() = default;
  std::vector<X509*> certificates_;
};

}  // namespace corvane::platform
