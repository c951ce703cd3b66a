#include "api/support/test_pki.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <fstream>
#include <stdexcept>

namespace corvane::test {

void X509Deleter::operator()(X509* certificate) const { X509_free(certificate); }
void KeyDeleter::operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }

namespace {

KeyPtr newKey() {
  KeyPtr key(EVP_EC_gen("P-256"));
  if (!key) {
    throw std::runtime_error("EC key generation failed");
  }
  return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  if (extension == nullptr) {
    throw std::runtime_error("bad certificate extension " + value);
  }
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

X509Ptr newCertificate(const std::string& commonName, EVP_PKEY* key) {
  static std::atomic<long> serial{1};
  X509Ptr certificate(X509_new());
  X509_set_version(certificate.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial++);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
  X509_set_pubkey(certificate.get(), key);
  X509_NAME* name = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  return certificate;
}

std::string joinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const auto& name : names) {
    joined += (joined.empty() ? "" : ",") + name;
  }
  return joined;
}

LeafCertificate makeLeaf(const std::vector<std::string>& names, X509* issuer, EVP_PKEY* issuerKey) {
  LeafCertificate leaf{nullptr, newKey()};
  leaf.certificate = newCertificate("corvane test leaf", leaf.key.get());
  X509* signer = issuer != nullptr ? issuer : leaf.certificate.get();
  X509_set_issuer_name(leaf.certificate.get(), X509_get_subject_name(signer));
  addExtension(leaf.certificate.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
  addExtension(leaf.certificate.get(), signer, NID_subject_alt_name, joinNames(names));
  X509_sign(leaf.certificate.get(), issuerKey != nullptr ? issuerKey : leaf.key.get(), EVP_sha256());
  return leaf;
}

}  // namespace

TestPki::TestPki() : caKey_(newKey()) {
  caCertificate_ = newCertificate("corvane test CA", caKey_.get());
  X509_set_issuer_name(caCertificate_.get(), X509_get_subject_name(caCertificate_.get()));
  addExtension(caCertificate_.get(), caCertificate_.get(), NID_basic_constraints, "critical,CA:TRUE");
  addExtension(caCertificate_.get(), caCertificate_.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
  addExtension(caCertificate_.get(), caCertificate_.get(), NID_subject_key_identifier, "hash");
  X509_sign(caCertificate_.get(), caKey_.get(), EVP_sha256());
}

LeafCertificate TestPki::issue(const std::vector<std::string>& subjectAltNames) const {
  return makeLeaf(subjectAltNames, caCertificate_.get(), caKey_.get());
}

LeafCertificate TestPki::selfSigned(const std::vector<std::string>& subjectAltNames) {
  return makeLeaf(subjectAltNames, nullptr, nullptr);
}

std::string TestPki::caPem() const {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, caCertificate_.get());
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<std::size_t>(size));
  BIO_free(bio);
  return pem;
}

std::filesystem::path TestPki::writeCaFile(const std::filesystem::path& directory) const {
  static std::atomic<int> counter{0};
  const auto path = directory / ("test-ca-" + std::to_string(counter++) + ".pem");
  std::ofstream(path) << caPem();
  return path;
}

}  // namespace corvane::test
