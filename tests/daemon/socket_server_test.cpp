// The socket as callers meet it: who is served (SO_PEERCRED, supplementary groups), what a
// malformed or oversized line gets, and that a client which stops reading is dropped without
// stalling anyone else.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "daemon/support/daemon_sandbox.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

// A group that exists on every Debian system, standing in for "corvane".
std::optional<std::pair<std::string, gid_t>> serviceGroup() {
  for (const char* name : {"users", "staff", "nogroup"}) {
    if (const group* g = getgrnam(name)) return std::make_pair(std::string(name), g->gr_gid);
  }
  return std::nullopt;
}

struct Caller {
  const char* what;
  uid_t uid;
  bool primaryIsServiceGroup;
  bool supplementaryServiceGroup;
  bool served;
};

class PeerCredentialMatrix : public ::testing::TestWithParam<Caller> {};

// Connects as the caller in a forked child and reports the first line it reads.
std::string firstLineAs(const Caller& caller, gid_t serviceGid, const std::string& socketPath) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    std::vector<gid_t> groups;
    if (caller.supplementaryServiceGroup) groups.push_back(serviceGid);
    const gid_t primary = caller.primaryIsServiceGroup ? serviceGid : 65534;
    if (caller.uid != 0 &&
        (setgroups(groups.size(), groups.data()) != 0 || setgid(primary) != 0 || setuid(caller.uid) != 0)) {
      _exit(3);
    }
    TunneldClient client;
    std::string line = "connect failed";
    if (client.connect(socketPath, 2s)) {
      client.sendLine(LineCodec::write([] {
        auto r = request(Op::hello);
        r.version = 1;
        return r;
      }()));
      line = client.readLine(5s).value_or("no line");
    }
    (void)!write(fds[1], line.data(), line.size());
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

TEST_P(PeerCredentialMatrix, ServesRootAndMembersOnly) {
  auto group = serviceGroup();
  if (!group) GTEST_SKIP() << "no group to stand in for corvane";
  std::string why;
  auto box = DaemonSandbox::create({"CORVANE_TUNNELD_GROUP=" + group->first}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  TunneldClient root;
  ASSERT_TRUE(root.connect(box->socketPath())) << box->log();
  // Widen the file's modes so every caller reaches the daemon's own check.
  chmod(box->socketPath().c_str(), 0666);

  LineCodec codec;
  auto line = codec.parseServerLine(firstLineAs(GetParam(), group->second, box->socketPath()));
  ASSERT_TRUE(line && line->answer) << GetParam().what;
  if (GetParam().served) {
    EXPECT_TRUE(line->answer->ok()) << GetParam().what;
    EXPECT_EQ(line->answer->version, 1);
  } else {
    ASSERT_FALSE(line->answer->ok()) << GetParam().what;
    EXPECT_EQ(line->answer->error->code, ErrorCode::forbidden);
    EXPECT_NE(line->answer->error->message.find("uid " + std::to_string(GetParam().uid)), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Callers, PeerCredentialMatrix,
                         ::testing::Values(Caller{"root", 0, false, false, true},
                                           Caller{"member by supplementary group", 65534, false, true, true},
                                           Caller{"member by primary group", 65534, true, false, true},
                                           Caller{"another uid", 65534, false, false, false}));

TEST(SocketServer, BadLinesGetErrorAnswersAndTheConnectionGoesOn) {
  std::string why;
  auto box = DaemonSandbox::create({}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  TunneldClient client;
  ASSERT_TRUE(client.connect(box->socketPath()));
  LineCodec codec;
  const std::pair<std::string, ErrorCode> bad[] = {
      {"not json\n", ErrorCode::badRequest},
      {"{\"id\":1,\"op\":\"fly\"}\n", ErrorCode::unknownOp},
      {"{\"id\":2,\"op\":\"hello\",\"version\":2}\n", ErrorCode::unsupportedVersion},
      {"{\"id\":3,\"op\":\"managers.remove\",\"managerId\":\"nope\"}\n", ErrorCode::notFound},
      {"{\"id\":4,\"op\":\"start\",\"profile\":{\"engine\":\"wireguard\",\"content\":\"[Interface]\\nPostUp = id\\n\"}}\n",
       ErrorCode::invalidConfig},
      {"{\"id\":5,\"op\":\"start\",\"profile\":{\"engine\":\"gopher\",\"content\":\"x\"}}\n", ErrorCode::unknownEngine},
  };
  for (const auto& [line, code] : bad) {
    ASSERT_TRUE(client.sendLine(line));
    auto answer = client.readLine(5s);
    ASSERT_TRUE(answer) << line;
    auto parsed = codec.parseServerLine(*answer);
    ASSERT_TRUE(parsed && parsed->answer && parsed->answer->error) << *answer;
    EXPECT_EQ(parsed->answer->error->code, code) << *answer;
  }
  auto status = client.call(request(Op::status));
  ASSERT_TRUE(status && status->status) << "the connection should still serve";
  EXPECT_EQ(status->status->status, kStatusDisconnected);
}

TEST(SocketServer, AnOversizedLineIsAnsweredAndClosed) {
  std::string why;
  auto box = DaemonSandbox::create({}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  TunneldClient client;
  ASSERT_TRUE(client.connect(box->socketPath()));
  std::string huge(kMaxLineBytes + 10, 'x');
  client.sendLine(huge);  // may fail part-way once the daemon closes; the answer comes first
  auto answer = client.readLine(5s);
  ASSERT_TRUE(answer);
  LineCodec codec;
  auto parsed = codec.parseServerLine(*answer);
  ASSERT_TRUE(parsed && parsed->answer && parsed->answer->error);
  EXPECT_EQ(parsed->answer->error->code, ErrorCode::tooLarge);
  EXPECT_FALSE(client.readLine(5s)) << "the connection should be closed";
}

TEST(SocketServer, AClientThatStopsReadingIsDroppedAndStallsNoOne) {
  std::string why;
  auto box = DaemonSandbox::create({}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  TunneldClient stuck;
  ASSERT_TRUE(stuck.connect(box->socketPath()));
  int small = 4096;
  setsockopt(stuck.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  // Requests whose answers it never reads: far more than its queue may hold.
  std::string burst;
  const std::string line = LineCodec::write(request(Op::status));
  for (int i = 0; i < 2000; ++i) burst += line;
  TunneldClient other;
  ASSERT_TRUE(other.connect(box->socketPath()));
  int sent = 0;
  for (int round = 0; round < 20 && stuck.sendLine(burst); ++round) {
    sent += 2000;
    auto answer = other.call(request(Op::status), 5s);
    ASSERT_TRUE(answer) << "a client that does not read stalled another in round " << round << "\n" << box->log();
  }
  // The stuck client was dropped: it finds fewer answers than it asked for, then the end.
  int received = 0;
  while (received <= sent && stuck.readLine(2s)) ++received;
  EXPECT_LT(received, sent);
  EXPECT_TRUE(other.call(request(Op::status), 5s));
}

}  // namespace
}  // namespace corvane::daemon::testing
