#pragma once
#include <span>

namespace corvane::backend {

// Where the demo catalogue places its servers. Codes are the clients' flag-table keys,
// written exactly as that table writes them (Albania is "8", not "008").
struct DemoCountry {
  const char* code;
  const char* name;
  const char* city;
  const char* lat;
  const char* lng;
};

std::span<const DemoCountry> demoCountries();

}  // namespace corvane::backend
