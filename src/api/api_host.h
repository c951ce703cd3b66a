#pragma once
// The default API host: where the link table and the announcements are fetched over HTTPS,
// and the fallback API domain. Compiled in (CMake cache variable CORVANE_API_HOST); the
// environment variable of the same name overrides it for development and tests.
#include <string>

namespace corvane::api {

std::string defaultApiHost();

}  // namespace corvane::api
