#include "backend/deflated_text.h"

#include <zlib.h>

#include "backend/raw_deflate.h"

namespace corvane::backend {

std::shared_ptr<const DeflatedText> DeflatedText::compress(std::string_view plain) {
  auto out = std::make_shared<DeflatedText>();
  auto deflated = rawDeflate(plain, Z_FULL_FLUSH);
  if (!deflated) return nullptr;
  out->deflated = std::move(*deflated);
  out->crc = crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(plain.data()), plain.size());
  out->plainSize = plain.size();
  return out;
}

}  // namespace corvane::backend
