#include "escaping_stream_buffer.h"

namespace corvane::cli {

EscapingStreamBuffer::EscapingStreamBuffer(std::ostream& stream)
    : stream_(stream), original_(stream.rdbuf(this)) {}

EscapingStreamBuffer::~EscapingStreamBuffer() {
  scratch_.clear();
  escaper_.finish(scratch_);
  original_->sputn(scratch_.data(), static_cast<std::streamsize>(scratch_.size()));
  original_->pubsync();
  stream_.rdbuf(original_);
}

EscapingStreamBuffer::int_type EscapingStreamBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize EscapingStreamBuffer::xsputn(const char* data, std::streamsize count) {
  scratch_.clear();
  escaper_.feed(std::string_view(data, static_cast<std::size_t>(count)), scratch_);
  const auto size = static_cast<std::streamsize>(scratch_.size());
  return original_->sputn(scratch_.data(), size) == size ? count : 0;
}

int EscapingStreamBuffer::sync() { return original_->pubsync(); }

}  // namespace corvane::cli
