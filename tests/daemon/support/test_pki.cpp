#include "daemon/support/test_pki.h"

#include <fstream>
#include <sstream>

#include "daemon/support/command.h"

namespace corvane::daemon::testing {
namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

bool issue(const std::filesystem::path& folder, const std::string& name, const std::string& usage) {
  const auto f = [&](const std::string& suffix) { return (folder / (name + suffix)).string(); };
  {
    std::ofstream ext(f(".ext"));
    ext << "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyAgreement\nextendedKeyUsage=" << usage << "\n";
  }
  return run({"openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
              f(".key"), "-out", f(".csr"), "-subj", "/CN=" + name})
             .ok &&
         run({"openssl", "x509", "-req", "-in", f(".csr"), "-CA", (folder / "ca.crt").string(), "-CAkey",
              (folder / "ca.key").string(), "-CAcreateserial", "-out", f(".crt"), "-days", "1", "-extfile", f(".ext")})
             .ok;
}

}  // namespace

bool TestPki::make(const std::filesystem::path& folder) {
  caFile = folder / "ca.crt";
  if (!run({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
            (folder / "ca.key").string(), "-out", caFile.string(), "-days", "1", "-subj", "/CN=corvane-test-ca"})
           .ok) {
    return false;
  }
  if (!issue(folder, "server", "serverAuth") || !issue(folder, "client", "clientAuth")) return false;
  serverCertFile = folder / "server.crt";
  serverKeyFile = folder / "server.key";
  caPem = slurp(caFile);
  serverCertPem = slurp(serverCertFile);
  serverKeyPem = slurp(serverKeyFile);
  clientCertPem = slurp(folder / "client.crt");
  clientKeyPem = slurp(folder / "client.key");
  return !caPem.empty() && !clientKeyPem.empty();
}

}  // namespace corvane::daemon::testing
