#include "backend/tls_server_context.h"

#include <stdexcept>

namespace corvane::backend {

std::unique_ptr<boost::asio::ssl::context> makeTlsServerContext(const TlsMaterial& tls) {
  namespace ssl = boost::asio::ssl;
  auto ctx = std::make_unique<ssl::context>(ssl::context::tls_server);
  ctx->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                   ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use);
  boost::system::error_code ec;
  ctx->use_certificate_chain_file(tls.serverCertFile.string(), ec);
  if (!ec) ctx->use_private_key_file(tls.serverKeyFile.string(), ssl::context::pem, ec);
  if (ec) {
    throw std::runtime_error("the HTTPS listener cannot load its certificate or key: " + ec.message());
  }
  return ctx;
}

}  // namespace corvane::backend
