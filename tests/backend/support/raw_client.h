#pragma once
// Plain sockets for the attack tests: a client that sends exactly the bytes a test chooses,
// as slowly or as much as it likes, which no HTTP library would.
#include <chrono>
#include <filesystem>
#include <string>

namespace corvane::test {

// A blocking TCP connection to 127.0.0.1:`port` with send and receive time-outs; -1 on failure.
int connectLoopback(int port, std::chrono::milliseconds timeout = std::chrono::seconds(5));
// False once the peer refuses more (closed, reset, or the send time-out passed).
bool sendAll(int fd, const std::string& data);
// Reads until the peer closes, the time-out passes, or `enough` bytes arrived.
std::string readSome(int fd, std::chrono::milliseconds timeout, size_t enough = 1 << 20);
// The HTTP status of an answer text ("HTTP/1.1 413 ..."), or 0.
int statusOf(const std::string& answer);

// Resident memory of a process in KiB (VmRSS), 0 when unreadable.
long residentKiB(int pid);
// PRAGMA integrity_check of a SQLite file: "ok" when sound.
std::string integrityOf(const std::filesystem::path& file);

}  // namespace corvane::test
