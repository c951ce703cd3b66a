#pragma once
// Whether the running tunnel offers a proxy on loopback (Shadowsocks and V2ray do), and
// whether this session's programs are pointed at it.
namespace corvane::tunnelcore {

struct SystemProxyStatus {
  bool available = false;
  bool enabled = false;
};

}  // namespace corvane::tunnelcore
