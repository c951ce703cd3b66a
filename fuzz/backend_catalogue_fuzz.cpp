// The --catalogue file reader: any bytes either become complete server entries or are refused
// with a CatalogueFileError that names the file; nothing else escapes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "backend/catalogue_file.h"

using namespace corvane::backend;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    for (const auto& entry : parseCatalogue(text, "fuzz.json")) {
      if (!entry.bundle.is_object() || !entry.bundle["config"].is_string()) std::abort();
      if (entry.bundle["type"] == 5 && entry.wireGuardPublicKey.size() != 44) std::abort();
    }
  } catch (const CatalogueFileError& e) {
    if (std::string(e.what()).rfind("fuzz.json: ", 0) != 0) std::abort();
  }
  return 0;
}
