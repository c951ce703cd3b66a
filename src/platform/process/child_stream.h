#pragma once
// What one of a child's standard descriptors (0, 1, 2) is connected to.
namespace corvane::platform {

struct ChildStream {
  enum class Kind {
    inherit,     // the parent's own descriptor of the same number
    null,        // /dev/null
    pipe,        // a pipe whose other end the Process keeps (non-blocking, close-on-exec)
    descriptor,  // a descriptor the caller owns and keeps (a file, a socket, a terminal)
  };

  Kind kind = Kind::inherit;
  int fd = -1;  // only for Kind::descriptor

  static ChildStream inherited() { return {Kind::inherit, -1}; }
  static ChildStream devNull() { return {Kind::null, -1}; }
  static ChildStream piped() { return {Kind::pipe, -1}; }
  static ChildStream from(int descriptor) { return {Kind::descriptor, descriptor}; }
};

}  // namespace corvane::platform
