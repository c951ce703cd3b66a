#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "backend/catalogue_entry.h"

namespace corvane::backend {

// A realistic catalogue of `count` servers spread over every demo country and all four
// protocols (type 5 WireGuard, 1 and 6 OpenVPN, 4 Shadowsocks, 7 V2ray). Every server sits on a
// loopback address 127.0.0.2-127.0.0.254, so clients can ping it. Keys and passwords derive
// from the server's index, so the same count gives the same catalogue on every start.
// `caPem` is embedded in the OpenVPN configurations.
std::vector<CatalogueEntry> demoCatalogue(size_t count, const std::string& caPem);

}  // namespace corvane::backend
