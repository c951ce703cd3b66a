#pragma once
#include <memory>

#include <boost/asio/ssl/context.hpp>

#include "backend/tls_material.h"

namespace corvane::backend {

// The server side of TLS 1.2 and later with the backend's certificate and key.
// Throws std::runtime_error when either cannot be loaded.
std::unique_ptr<boost::asio::ssl::context> makeTlsServerContext(const TlsMaterial& tls);

}  // namespace corvane::backend
