# Every library comes from Debian's packages (scripts/install-deps).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(simdjson REQUIRED)
find_package(spdlog REQUIRED)
find_package(fmt REQUIRED)
find_package(CLI11 REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(Boost 1.81 EXACT REQUIRED COMPONENTS url)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(ZLIB REQUIRED)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
# corvane-tunneld sets addresses, routes and policy rules through netlink.
pkg_check_modules(LIBNL_ROUTE REQUIRED IMPORTED_TARGET libnl-3.0 libnl-route-3.0 libnl-genl-3.0)
pkg_check_modules(LIBNFTABLES REQUIRED IMPORTED_TARGET libnftables)
# ... and the tunnel's DNS through systemd-resolved's D-Bus API (sd-bus).
pkg_check_modules(LIBSYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
# The keychain's Secret Service backend (CMakeLists.txt limits its headers to that backend).
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1)

# Standalone Asio is header-only.
add_library(corvane_asio INTERFACE)
target_compile_definitions(corvane_asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)

add_library(corvane_deps INTERFACE)
target_link_libraries(corvane_deps INTERFACE
  corvane_asio simdjson::simdjson spdlog::spdlog fmt::fmt nlohmann_json::nlohmann_json
  CURL::libcurl OpenSSL::SSL OpenSSL::Crypto SQLite::SQLite3 Boost::url ICU::uc ICU::i18n
  Threads::Threads)

# cpp-httplib: reference backend and the tests' scriptable servers.
add_library(corvane_httplib INTERFACE)
target_link_libraries(corvane_httplib INTERFACE PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto)

# Boost.Beast on Boost.Asio (header-only in 1.81): the reference backend's HTTP and HTTPS server.
add_library(corvane_beast INTERFACE)
target_compile_definitions(corvane_beast INTERFACE BOOST_ASIO_NO_DEPRECATED BOOST_BEAST_USE_STD_STRING_VIEW)
target_link_libraries(corvane_beast INTERFACE Boost::boost OpenSSL::SSL OpenSSL::Crypto Threads::Threads)
