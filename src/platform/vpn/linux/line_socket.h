#pragma once
// One connection to the tunnel service's socket, cut into lines. Reads run from the main
// loop's descriptor watch and never block; a line is written whole before send returns
// (the socket blocks on writing, for at most kSendTimeout: a configuration may be larger than
// the socket's buffer, and the service reads as it goes).
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/result.h"
#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

class LineSocket {
 public:
  static constexpr std::chrono::seconds kSendTimeout{5};

  using OnLine = std::function<void(std::string_view line)>;
  // Called once, when the service closes the connection or a read fails; the socket is
  // closed by then.
  using OnClosed = std::function<void(Error)>;

  // Connects now. Errors in the "tunneld" domain with the errno.
  static Result<std::unique_ptr<LineSocket>> connect(const std::string& path, MainLoop& loop, OnLine onLine,
                                                     OnClosed onClosed);
  ~LineSocket();
  LineSocket(const LineSocket&) = delete;
  LineSocket& operator=(const LineSocket&) = delete;

  // `line` must end with its newline. A failed send closes the connection (onClosed follows
  // on a later turn of the loop) and returns the error.
  Result<void> send(const std::string& line);

 private:
  LineSocket(int fd, MainLoop& loop, OnLine onLine, OnClosed onClosed);
  void readable();
  void fail(Error error);

  int fd_;
  MainLoop& loop_;
  OnLine onLine_;
  OnClosed onClosed_;
  WatchId watch_ = 0;
  std::string buffer_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::platform
