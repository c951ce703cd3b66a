#include "platform/url/extra_ca.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <curl/curl.h>

#include <cstdio>

#include "platform/url/url_loader.h"

namespace corvane::platform {

Result<std::shared_ptr<const ExtraCa>> ExtraCa::load(const std::filesystem::path& pemFile) {
  std::FILE* file = std::fopen(pemFile.c_str(), "re");
  if (file == nullptr) {
    return Error(kUrlErrorDomain, CURLE_SSL_CACERT_BADFILE, "cannot read CA file " + pemFile.string());
  }
  std::shared_ptr<ExtraCa> ca(new ExtraCa());
  // Bounded by the file: PEM_read_X509 stops at end of file or at the first non-PEM block.
  while (X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr)) {
    ca->certificates_.push_back(certificate);
  }
  std::fclose(file);
  ERR_clear_error();  // the read that ends the loop leaves a "no start line" error behind
  if (ca->certificates_.empty()) {
    return Error(kUrlErrorDomain, CURLE_SSL_CACERT_BADFILE, "no PEM certificate in CA file " + pemFile.string());
  }
  return std::shared_ptr<const ExtraCa>(std::move(ca));
}

ExtraCa::~ExtraCa() {
  for (X509* certificate : certificates_) {
    X509_free(certificate);
  }
}

void ExtraCa::addTo(SSL_CTX* context) const {
  X509_STORE* store = SSL_CTX_get_cert_store(context);
  for (X509* certificate : certificates_) {
    // libcurl may share one store between contexts; adding a certificate a second time fails
    // with "already in hash table", which is harmless but must not stay on the error queue.
    if (X509_STORE_add_cert(store, certificate) != 1) {
      ERR_clear_error();
    }
  }
}

}  // namespace corvane::platform
