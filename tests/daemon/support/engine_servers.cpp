#include "daemon/support/engine_servers.h"

#include <sys/stat.h>

#include "daemon/support/test_pki.h"

namespace corvane::daemon::testing {
namespace {

constexpr const char* kVmessId = "6a3c2d1e-8f4b-4c6d-9e0a-1b2c3d4e5f60";

std::optional<std::string> shadowsocks(ProxyTestbed& bed) {
  auto config = bed.writeFile("ss-server.json", R"({"server":"192.168.79.1","server_port":8388,"password":"test-secret",
    "method":"chacha20-ietf-poly1305","mode":"tcp_and_udp","timeout":60})");
  if (!bed.startServer({"ss-server", "-u", "-c", config})) return std::nullopt;
  // "chacha20-ietf-poly1305:test-secret", SIP002 with URL-safe Base64 and no padding.
  return "ss://Y2hhY2hhMjAtaWV0Zi1wb2x5MTMwNTp0ZXN0LXNlY3JldA@192.168.79.1:8388#test";
}

std::optional<std::string> v2ray(ProxyTestbed& bed) {
  auto config = bed.writeFile(
      "v2ray-server.json",
      std::string(R"({"log":{"loglevel":"warning"},"inbounds":[{"listen":"192.168.79.1","port":10086,"protocol":"vmess",
    "settings":{"clients":[{"id":")") + kVmessId + R"(","alterId":0}]}}],"outbounds":[{"protocol":"freedom"}]})");
  if (!bed.startServer({"v2ray", "-config", config})) return std::nullopt;
  return std::string(R"({"log":{"loglevel":"warning"},
    "inbounds":[{"listen":"127.0.0.1","port":10808,"protocol":"socks","settings":{"udp":true}}],
    "outbounds":[{"protocol":"vmess","settings":{"vnext":[{"address":"192.168.79.1","port":10086,
      "users":[{"id":")") + kVmessId + R"(","alterId":0,"security":"auto"}]}]},"streamSettings":{"network":"tcp"}}]})";
}

// The server's check of an account: openvpn hands the script a file of two lines.
std::string accountCheck(ProxyTestbed& bed, const ServerAccount& account) {
  auto expected = bed.writeFile("account.expected", account.username + "\n" + account.password + "\n");
  auto script = bed.writeFile("check-account", "#!/bin/sh\nexec cmp -s \"$1\" " + expected + "\n");
  chmod(script.c_str(), 0700);
  return "script-security 2\nauth-user-pass-verify " + script + " via-file\n";
}

std::optional<std::string> openvpn(ProxyTestbed& bed, const std::optional<ServerAccount>& account,
                                   const std::string& pushedDns) {
  TestPki pki;
  if (!pki.make(bed.scratch())) return std::nullopt;
  auto config = bed.writeFile(
      "server.conf",
      "port 1194\nproto udp\nlocal 192.168.79.1\ndev tun\ntopology subnet\nserver 10.8.0.0 255.255.255.0\nca " +
          pki.caFile.string() + "\ncert " + pki.serverCertFile.string() + "\nkey " + pki.serverKeyFile.string() +
          "\ndh none\npush \"redirect-gateway def1\"\npush \"dhcp-option DNS " + pushedDns + "\"\nkeepalive 10 60\n"
          "data-ciphers AES-256-GCM:CHACHA20-POLY1305\nverb 3\ncd " + bed.scratch().string() + "\n" +
          (account ? accountCheck(bed, *account) : std::string()));
  if (!bed.startServer({"openvpn", "--config", config})) return std::nullopt;
  return std::string("client\ndev tun\nproto udp\nremote 192.168.79.1 1194\nresolv-retry infinite\nnobind\npersist-key\n"
                     "persist-tun\nremote-cert-tls server\ndata-ciphers AES-256-GCM:CHACHA20-POLY1305\nverb 3\n") +
         (account ? "auth-user-pass\n" : "") + "<ca>\n" +
         pki.caPem + "</ca>\n<cert>\n" + pki.clientCertPem + "</cert>\n<key>\n" + pki.clientKeyPem + "</key>\n";
}

}  // namespace

std::optional<std::string> startEngineServer(const EngineServer& server, ProxyTestbed& bed,
                                             const std::optional<ServerAccount>& account,
                                             const std::string& pushedDns) {
  if (server.engine == "shadowsocks") return shadowsocks(bed);
  if (server.engine == "v2ray") return v2ray(bed);
  if (server.engine == "openvpn") return openvpn(bed, account, pushedDns);
  return std::nullopt;
}

}  // namespace corvane::daemon::testing
