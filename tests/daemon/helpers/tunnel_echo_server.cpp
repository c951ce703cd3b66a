// The far end of the tunnel tests: a plain HTTP server that tells the caller its own address
// ("/ip"; {"ip": ...} with "?format=json") and answers a chosen status ("/status/503").
// Listens on every address given on the command line at the given port; prints "ready" once
// it listens.
#include <httplib.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tunnel_echo_server PORT ADDRESS...\n");
    return 2;
  }
  const int port = std::stoi(argv[1]);
  std::vector<std::unique_ptr<httplib::Server>> servers;
  std::vector<std::thread> threads;
  for (int i = 2; i < argc; ++i) {
    auto server = std::make_unique<httplib::Server>();
    server->Get("/ip", [](const httplib::Request& request, httplib::Response& response) {
      // "?format=json" answers as the app's IP echo does.
      if (request.get_param_value("format") == "json") {
        response.set_content("{\"ip\":\"" + request.remote_addr + "\"}", "application/json");
      } else {
        response.set_content(request.remote_addr, "text/plain");
      }
    });
    server->Get(R"(/status/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
      response.status = std::stoi(request.matches[1]);
      response.set_content("status", "text/plain");
    });
    if (!server->bind_to_port(argv[i], port)) {
      std::fprintf(stderr, "cannot listen on %s:%d\n", argv[i], port);
      return 1;
    }
    servers.push_back(std::move(server));
  }
  for (auto& server : servers) threads.emplace_back([&server] { server->listen_after_bind(); });
  std::printf("ready\n");
  std::fflush(stdout);
  for (auto& thread : threads) thread.join();
  return 0;
}
