#include "platform/secitem/sec_item_backend_factory.h"

#include "platform/secitem/file/file_sec_item_backend.h"

namespace corvane::platform {

std::unique_ptr<SecItemBackend> makeSecItemBackend(const Paths& paths, Log log) {
  return std::make_unique<FileSecItemBackend>(FileSecItemBackend::defaultFile(paths),
                                              std::move(log));
}

}  // namespace corvane::platform
