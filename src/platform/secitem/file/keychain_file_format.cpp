#include "platform/secitem/file/keychain_file_format.h"

#include <openssl/sha.h>

#include <array>
#include <cstring>

namespace corvane::platform {
namespace {

constexpr std::string_view kMagic{"CVKEYCH\n", 8};
constexpr std::size_t kDigestSize = SHA256_DIGEST_LENGTH;
constexpr std::uint8_t kHasAccessControl = 1, kHasGeneric = 2, kHasLabel = 4, kHasComment = 8;

std::array<unsigned char, kDigestSize> digest(std::string_view bytes) {
  std::array<unsigned char, kDigestSize> out{};
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out.data());
  return out;
}

class Writer {
 public:
  void u8(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
  void u32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(value >> shift));
  }
  void bytes(const void* data, std::size_t size) {
    u32(static_cast<std::uint32_t>(size));
    out_.append(static_cast<const char*>(data), size);
  }
  void text(const std::string& value) { bytes(value.data(), value.size()); }
  void data(const SecData& value) { bytes(value.data(), value.size()); }
  std::string& out() { return out_; }

 private:
  std::string out_;
};

// Reads fields front to back; any read past the end marks the reader failed.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool failed() const { return failed_; }
  bool atEnd() const { return pos_ == in_.size(); }

  std::uint8_t u8() {
    if (!need(1)) return 0;
    return static_cast<std::uint8_t>(in_[pos_++]);
  }
  std::uint32_t u32() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) value |= static_cast<std::uint32_t>(u8()) << shift;
    return value;
  }
  std::string_view raw() {
    const std::uint32_t size = u32();
    if (!need(size)) return {};
    std::string_view out = in_.substr(pos_, size);
    pos_ += size;
    return out;
  }
  std::string text() { return std::string(raw()); }
  SecData data() {
    const std::string_view bytes = raw();
    return SecData(bytes.begin(), bytes.end());
  }

 private:
  bool need(std::size_t size) {
    if (failed_ || in_.size() - pos_ < size) {
      failed_ = true;
      return false;
    }
    return true;
  }
  std::string_view in_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

Error problem(KeychainFileProblem kind, std::string text) {
  return Error("keychain file", static_cast<int>(kind), std::move(text));
}

}  // namespace

std::string encodeKeychainFile(const std::vector<SecItem>& items) {
  Writer w;
  w.out().append(kMagic);
  w.u32(kKeychainFileVersion);
  w.u32(static_cast<std::uint32_t>(items.size()));
  for (const SecItem& item : items) {
    w.u8(static_cast<std::uint8_t>(item.itemClass));
    w.u8(item.synchronizable ? 1 : 0);
    w.u8(static_cast<std::uint8_t>(item.accessible));
    w.u8((item.accessControlFlags ? kHasAccessControl : 0) | (item.generic ? kHasGeneric : 0) |
         (item.label ? kHasLabel : 0) | (item.comment ? kHasComment : 0));
    w.text(item.service);
    w.text(item.accessGroup);
    w.text(item.account);
    w.data(item.value);
    if (item.accessControlFlags) w.u32(*item.accessControlFlags);
    if (item.generic) w.data(*item.generic);
    if (item.label) w.text(*item.label);
    if (item.comment) w.text(*item.comment);
  }
  const auto sum = digest(w.out());
  w.out().append(reinterpret_cast<const char*>(sum.data()), sum.size());
  return std::move(w.out());
}

Result<std::vector<SecItem>> decodeKeychainFile(std::string_view bytes) {
  if (bytes.size() < kMagic.size() + 4 || bytes.substr(0, kMagic.size()) != kMagic) {
    return problem(KeychainFileProblem::corrupt, "not a keychain file");
  }
  Reader header(bytes.substr(kMagic.size(), 4));
  const std::uint32_t version = header.u32();
  if (version > kKeychainFileVersion) {
    return problem(KeychainFileProblem::newerVersion,
                   "written by a newer version (" + std::to_string(version) + ")");
  }
  if (version == 0) {
    return problem(KeychainFileProblem::corrupt, "version 0");
  }
  if (bytes.size() < kMagic.size() + 8 + kDigestSize) {
    return problem(KeychainFileProblem::corrupt, "truncated");
  }
  const std::string_view body = bytes.substr(0, bytes.size() - kDigestSize);
  const auto sum = digest(body);
  if (std::memcmp(sum.data(), bytes.data() + body.size(), kDigestSize) != 0) {
    return problem(KeychainFileProblem::corrupt, "checksum mismatch");
  }

  Reader r(body.substr(kMagic.size() + 4));
  const std::uint32_t count = r.u32();
  std::vector<SecItem> items;
  // Each item takes at least 20 bytes, so a count beyond that is a lie; don't reserve for it.
  items.reserve(std::min<std::size_t>(count, body.size() / 20));
  for (std::uint32_t i = 0; i < count && !r.failed(); ++i) {
    SecItem item;
    const std::uint8_t itemClass = r.u8();
    const std::uint8_t sync = r.u8();
    const std::uint8_t accessible = r.u8();
    const std::uint8_t presence = r.u8();
    if ((itemClass != 1 && itemClass != 2) || sync > 1 || accessible < 1 || accessible > 7 ||
        presence > 15) {
      return problem(KeychainFileProblem::corrupt, "bad item header");
    }
    item.itemClass = static_cast<SecItemClass>(itemClass);
    item.synchronizable = sync == 1;
    item.accessible = static_cast<SecAccessible>(accessible);
    item.service = r.text();
    item.accessGroup = r.text();
    item.account = r.text();
    item.value = r.data();
    if (presence & kHasAccessControl) item.accessControlFlags = r.u32();
    if (presence & kHasGeneric) item.generic = r.data();
    if (presence & kHasLabel) item.label = r.text();
    if (presence & kHasComment) item.comment = r.text();
    for (const SecItem& earlier : items) {
      if (earlier.sameIdentity(item)) {
        return problem(KeychainFileProblem::corrupt, "duplicate item");
      }
    }
    items.push_back(std::move(item));
  }
  if (r.failed()) {
    return problem(KeychainFileProblem::corrupt, "truncated item");
  }
  if (!r.atEnd()) {
    return problem(KeychainFileProblem::corrupt, "trailing bytes");
  }
  return items;
}

}  // namespace corvane::platform
