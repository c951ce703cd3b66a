#include "daemon/engines/openvpn/openvpn_directive_rule.h"

#include <array>

namespace corvane::daemon::engines::openvpn {
namespace {

using enum ArgKind;
using enum Disposition;

constexpr std::string_view kProtos = "udp udp4 udp6 tcp tcp4 tcp6 tcp-client tcp4-client tcp6-client";
constexpr std::string_view kGatewayFlags = "local autolocal def1 bypass-dhcp bypass-dns block-local ipv6 !ipv4";

constexpr OpenVpnDirectiveRule rule(std::string_view name, int minArgs, int maxArgs, ArgKind kind = text,
                                   std::string_view choices = {}, Disposition disposition = keep) {
  return OpenVpnDirectiveRule{name, minArgs, maxArgs, kind, choices, disposition};
}

// Client-side directives a server's profile may carry. Everything else is refused: an
// allowlist, because openvpn grows new options that run programs or open files.
constexpr std::array kRules = {
    rule("client", 0, 0),
    rule("tls-client", 0, 0),
    rule("pull", 0, 0),
    rule("dev", 1, 1, choice, "tun tun0 tun1 tun2 tun3", replaced),
    rule("dev-type", 1, 1, choice, "tun", replaced),
    rule("topology", 1, 1, choice, "net30 p2p subnet"),
    rule("proto", 1, 1, choice, kProtos),
    rule("remote", 1, 3),  // host [port [proto]]: checked by the config reader
    rule("remote-random", 0, 0),
    rule("remote-random-hostname", 0, 0),
    rule("port", 1, 1, number),
    rule("rport", 1, 1, number),
    rule("nobind", 0, 0),
    rule("float", 0, 0),
    rule("resolv-retry", 1, 1),
    rule("connect-retry", 1, 2, number),
    rule("connect-retry-max", 1, 1, number),
    rule("connect-timeout", 1, 1, number),
    rule("server-poll-timeout", 1, 1, number),
    rule("persist-key", 0, 0),
    rule("persist-tun", 0, 0),
    rule("persist-remote-ip", 0, 0),
    rule("persist-local-ip", 0, 0),
    rule("remote-cert-tls", 1, 1, choice, "server"),
    rule("verify-x509-name", 1, 2),
    rule("remote-cert-eku", 1, 1),
    rule("remote-cert-ku", 1, 16),
    rule("cipher", 1, 1),
    rule("data-ciphers", 1, 1),
    rule("data-ciphers-fallback", 1, 1),
    rule("ncp-ciphers", 1, 1),
    rule("auth", 1, 1),
    rule("tls-cipher", 1, 1),
    rule("tls-ciphersuites", 1, 1),
    rule("tls-groups", 1, 1),
    rule("tls-cert-profile", 1, 1, choice, "insecure legacy preferred suiteb"),
    rule("tls-version-min", 1, 2),
    rule("tls-version-max", 1, 1),
    rule("tls-timeout", 1, 1, number),
    rule("tls-exit", 0, 0),
    rule("key-direction", 1, 1, choice, "0 1"),
    rule("comp-lzo", 0, 1, choice, "yes no adaptive"),
    rule("compress", 0, 1, choice, "lzo lz4 lz4-v2 stub stub-v2"),
    rule("allow-compression", 1, 1, choice, "no asym yes"),
    rule("verb", 1, 1, number, {}, replaced),
    rule("mute", 1, 1, number),
    rule("mute-replay-warnings", 0, 0),
    rule("tun-mtu", 1, 1, number),
    rule("tun-mtu-extra", 1, 1, number),
    rule("link-mtu", 1, 1, number),
    rule("mssfix", 0, 2),
    rule("fragment", 1, 2),
    rule("mtu-disc", 1, 1, choice, "no maybe yes"),
    rule("txqueuelen", 1, 1, number),
    rule("sndbuf", 1, 1, number),
    rule("rcvbuf", 1, 1, number),
    rule("fast-io", 0, 0),
    rule("keepalive", 2, 2, number),
    rule("ping", 1, 1, number),
    rule("ping-restart", 1, 1, number),
    rule("ping-exit", 1, 1, number),
    rule("ping-timer-rem", 0, 0),
    rule("inactive", 1, 2, number),
    rule("reneg-sec", 1, 2, number),
    rule("reneg-bytes", 1, 1, number),
    rule("reneg-pkts", 1, 1, number),
    rule("hand-window", 1, 1, number),
    rule("tran-window", 1, 1, number),
    rule("replay-window", 1, 2, number),
    rule("explicit-exit-notify", 0, 1, number),
    rule("auth-nocache", 0, 0),
    // "interact" would wait for a console the service does not have.
    rule("auth-retry", 1, 1, choice, "none nointeract"),
    rule("auth-user-pass", 0, 0),  // only with an inline block: checked by the reader
    rule("redirect-gateway", 0, 8, choice, kGatewayFlags),
    rule("redirect-private", 0, 8, choice, kGatewayFlags),
    rule("route", 1, 4),
    rule("route-ipv6", 1, 3),
    rule("route-metric", 1, 1, number),
    rule("route-delay", 0, 2, number),
    rule("route-nopull", 0, 0),
    rule("block-ipv6", 0, 0),
    rule("pull-filter", 2, 2),
    rule("dhcp-option", 1, 2),
    rule("push-peer-info", 0, 0),
    rule("ifconfig-nowarn", 0, 0),
    // Level 0 and 1 call no program; 2 and 3 are refused with their own reason below.
    rule("script-security", 1, 1, choice, "0 1"),
    rule("tun-ipv6", 0, 0),
    rule("mlock", 0, 0),
    rule("nice", 1, 1),
    rule("block-outside-dns", 0, 0, text, {}, dropped),
    rule("register-dns", 0, 0, text, {}, dropped),
    rule("route-method", 1, 1, text, {}, dropped),
    rule("ip-win32", 1, 4, text, {}, dropped),
};

struct Refusal {
  std::string_view name;
  std::string_view reason;
};

constexpr std::string_view kRunsProgram = "runs a program";
constexpr std::string_view kNamesFile = "names a file on this machine; give its content as an inline block";
constexpr std::string_view kWritesFile = "writes a file";
constexpr std::string_view kLoadsCode = "loads code into openvpn";
constexpr std::string_view kProcess = "changes how the service runs openvpn";

constexpr std::array kRefusals = {
    Refusal{"up", kRunsProgram}, Refusal{"down", kRunsProgram}, Refusal{"route-up", kRunsProgram},
    Refusal{"route-pre-down", kRunsProgram}, Refusal{"ipchange", kRunsProgram},
    Refusal{"tls-verify", kRunsProgram}, Refusal{"auth-user-pass-verify", kRunsProgram},
    Refusal{"learn-address", kRunsProgram}, Refusal{"client-connect", kRunsProgram},
    Refusal{"client-disconnect", kRunsProgram}, Refusal{"iproute", kRunsProgram},
    Refusal{"setenv", kRunsProgram}, Refusal{"setenv-safe", kRunsProgram},
    Refusal{"plugin", kLoadsCode}, Refusal{"engine", kLoadsCode}, Refusal{"providers", kLoadsCode},
    Refusal{"pkcs11-providers", kLoadsCode},
    Refusal{"management", "opens a control channel; the service runs its own"},
    Refusal{"management-client", kProcess}, Refusal{"management-hold", kProcess},
    Refusal{"management-query-passwords", kProcess}, Refusal{"management-external-key", kProcess},
    Refusal{"management-external-cert", kProcess}, Refusal{"management-client-user", kProcess},
    Refusal{"management-client-group", kProcess}, Refusal{"echo", kProcess},
    Refusal{"log", kWritesFile}, Refusal{"log-append", kWritesFile}, Refusal{"writepid", kWritesFile},
    Refusal{"status", kWritesFile}, Refusal{"replay-persist", kWritesFile},
    Refusal{"ifconfig-pool-persist", kWritesFile}, Refusal{"tls-export-cert", kWritesFile},
    Refusal{"syslog", kProcess}, Refusal{"daemon", kProcess}, Refusal{"cd", kProcess},
    Refusal{"chroot", kProcess}, Refusal{"user", kProcess}, Refusal{"group", kProcess},
    Refusal{"tmp-dir", kProcess}, Refusal{"config", "reads another configuration file"},
    Refusal{"ca", kNamesFile}, Refusal{"cert", kNamesFile}, Refusal{"key", kNamesFile},
    Refusal{"tls-auth", kNamesFile}, Refusal{"tls-crypt", kNamesFile}, Refusal{"tls-crypt-v2", kNamesFile},
    Refusal{"extra-certs", kNamesFile}, Refusal{"crl-verify", kNamesFile}, Refusal{"pkcs12", kNamesFile},
    Refusal{"dh", kNamesFile}, Refusal{"secret", kNamesFile}, Refusal{"askpass", kNamesFile},
    Refusal{"dev-node", kNamesFile}, Refusal{"http-proxy-user-pass", kNamesFile},
    Refusal{"capath", kNamesFile}, Refusal{"client-config-dir", kNamesFile},
    Refusal{"server", "runs a server"}, Refusal{"mode", "runs a server"}, Refusal{"tls-server", "runs a server"},
};

}  // namespace

const OpenVpnDirectiveRule* findDirectiveRule(std::string_view name) {
  for (const auto& rule : kRules) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

std::optional<std::string_view> refusalReason(std::string_view name) {
  for (const auto& refusal : kRefusals) {
    if (refusal.name == name) return refusal.reason;
  }
  return std::nullopt;
}

bool isAllowedInlineBlock(std::string_view tag) {
  constexpr std::array kBlocks = {"ca", "cert", "key", "tls-auth", "tls-crypt", "tls-crypt-v2",
                                  "extra-certs", "crl-verify", "auth-user-pass"};
  for (std::string_view block : kBlocks) {
    if (block == tag) return true;
  }
  return false;
}

}  // namespace corvane::daemon::engines::openvpn
