#include "backend/tls_material.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "platform/paths/paths.h"

namespace corvane::backend {
namespace {

namespace fs = std::filesystem;

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;
using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

constexpr long kCaLifetimeDays = 3650;
// Clients reject leaf certificates valid for more than 825 days.
constexpr long kServerLifetimeDays = 825;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("TLS material: " + what); }

KeyPtr newKey() {
  // P-256: small keys and fast handshakes; every TLS client accepts it.
  KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), &EVP_PKEY_free);
  if (!key) fail("key generation failed");
  return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext || !X509_add_ext(cert, ext, -1)) {
    X509_EXTENSION_free(ext);
    fail(std::string("extension ") + OBJ_nid2sn(nid));
  }
  X509_EXTENSION_free(ext);
}

CertPtr newCertificate(EVP_PKEY* key, const char* commonName, long days) {
  CertPtr cert(X509_new(), &X509_free);
  if (!cert) fail("out of memory");
  X509_set_version(cert.get(), 2);
  unsigned char serial[16];
  if (RAND_bytes(serial, sizeof serial) != 1) fail("no randomness");
  serial[0] &= 0x7f;  // a positive serial number
  BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
  BN_free(bn);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);  // tolerate small clock skew
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Corvane"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                             0);
  return cert;
}

void sign(X509* cert, EVP_PKEY* issuerKey) {
  if (X509_sign(cert, issuerKey, EVP_sha256()) <= 0) fail("signing failed");
}

std::string pemOf(X509* cert) {
  BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
  PEM_write_bio_X509(bio.get(), cert);
  char* data = nullptr;
  const long n = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<size_t>(n));
}

std::string pemOf(EVP_PKEY* key) {
  BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
  PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  const long n = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<size_t>(n));
}

// Writes through a temporary file and a rename, so a crash never leaves half a key behind.
void writeFile(const fs::path& file, const std::string& text, mode_t mode) {
  const fs::path tmp = file.string() + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) fail("cannot write " + tmp.string());
  ::fchmod(fd, mode);
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) {
      ::close(fd);
      fail("cannot write " + tmp.string());
    }
    done += static_cast<size_t>(n);
  }
  ::fsync(fd);
  ::close(fd);
  fs::rename(tmp, file);
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

CertPtr loadCert(const fs::path& file) {
  const std::string pem = readFile(file);
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
  return CertPtr(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr), &X509_free);
}

KeyPtr loadKey(const fs::path& file) {
  const std::string pem = readFile(file);
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
  return KeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
}

bool stillValid(X509* cert) {
  // Reissue a week before expiry rather than serve a certificate that lapses mid-run.
  time_t soon = time(nullptr) + 7 * 24 * 3600;
  return X509_cmp_time(X509_get0_notAfter(cert), &soon) > 0;
}

void issueServer(const fs::path& dir, X509* ca, EVP_PKEY* caKey) {
  KeyPtr key = newKey();
  CertPtr cert = newCertificate(key.get(), "Corvane backend", kServerLifetimeDays);
  X509_set_issuer_name(cert.get(), X509_get_subject_name(ca));
  addExtension(cert.get(), ca, NID_basic_constraints, "critical,CA:FALSE");
  addExtension(cert.get(), ca, NID_key_usage, "critical,digitalSignature,keyEncipherment");
  addExtension(cert.get(), ca, NID_ext_key_usage, "serverAuth");
  addExtension(cert.get(), ca, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1,IP:::1");
  addExtension(cert.get(), ca, NID_subject_key_identifier, "hash");
  addExtension(cert.get(), ca, NID_authority_key_identifier, "keyid:always");
  sign(cert.get(), caKey);
  writeFile(dir / "server.key", pemOf(key.get()), 0600);
  writeFile(dir / "server.pem", pemOf(cert.get()), 0644);
}

}  // namespace

TlsMaterial ensureTlsMaterial(const fs::path& dir) {
  platform::ensurePrivateDirectory(dir);
  TlsMaterial m{dir / "ca.pem", dir / "server.pem", dir / "server.key", {}, false};

  CertPtr ca(nullptr, &X509_free);
  KeyPtr caKey(nullptr, &EVP_PKEY_free);
  if (fs::exists(m.caCertFile) && fs::exists(dir / "ca.key")) {
    ca = loadCert(m.caCertFile);
    caKey = loadKey(dir / "ca.key");
  }
  if (!ca || !caKey || !stillValid(ca.get()) || X509_check_private_key(ca.get(), caKey.get()) != 1) {
    caKey = newKey();
    ca = newCertificate(caKey.get(), "Corvane backend local CA", kCaLifetimeDays);
    X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
    addExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    addExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
    sign(ca.get(), caKey.get());
    // The CA key stays so the server certificate can be reissued under the same trusted CA.
    writeFile(dir / "ca.key", pemOf(caKey.get()), 0600);
    writeFile(m.caCertFile, pemOf(ca.get()), 0644);
    fs::remove(m.serverCertFile);
    m.created = true;
  }

  CertPtr server(nullptr, &X509_free);
  KeyPtr serverKey(nullptr, &EVP_PKEY_free);
  if (fs::exists(m.serverCertFile) && fs::exists(m.serverKeyFile)) {
    server = loadCert(m.serverCertFile);
    serverKey = loadKey(m.serverKeyFile);
  }
  if (!server || !serverKey || !stillValid(server.get()) ||
      X509_check_private_key(server.get(), serverKey.get()) != 1 ||
      X509_verify(server.get(), caKey.get()) != 1) {
    issueServer(dir, ca.get(), caKey.get());
    m.created = true;
  }
  m.caPem = pemOf(ca.get());
  return m;
}

}  // namespace corvane::backend
