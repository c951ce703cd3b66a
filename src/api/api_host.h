#pragma once
// The default API host: where the link table and the announcements are fetched over HTTPS.
// Compiled in (CMake cache variable CORVANE_API_HOST); the environment variable of the same
// name overrides it for development and tests.
#include <string>

namespace corvane::api {

std::string defaultApiHost();

// The API domain (host and port, spoken to over plain HTTP like every domain a source names)
// used when the link table names no domain source or the domain check fails. Not the API
// host: that one is a TLS port, and the API's POSTs go over plain HTTP. CMake cache variable
// and environment variable CORVANE_FALLBACK_DOMAIN.
std::string defaultFallbackDomain();

}  // namespace corvane::api
