#include "daemon/engines/v2ray/v2ray_config.h"

namespace corvane::daemon::engines::v2ray {

std::string V2rayConfig::render(const V2rayInbounds& inbounds) const {
  using nlohmann::json;
  json transparent = {{"tag", "transparent"},
                      {"listen", "127.0.0.1"},
                      {"port", inbounds.transparentPort},
                      {"protocol", "dokodemo-door"},
                      {"settings", {{"network", "tcp,udp"}, {"followRedirect", true}}},
                      {"streamSettings", {{"sockopt", {{"tproxy", "tproxy"}}}}}};
  json socks = {{"tag", "socks"},
                {"listen", "127.0.0.1"},
                {"port", inbounds.socksPort},
                {"protocol", "socks"},
                {"settings", {{"auth", "noauth"}, {"udp", true}, {"ip", "127.0.0.1"}}}};
  json marked = outbounds;
  for (auto& outbound : marked) {
    // The service's rules let marked packets leave untouched: without the mark the outbound's
    // own connection to the server would be redirected back into v2ray.
    outbound["streamSettings"]["sockopt"]["mark"] = inbounds.outboundMark;
    outbound["streamSettings"]["sockopt"]["tproxy"] = "off";
  }
  json out = {{"log", {{"loglevel", logLevel}}}, {"inbounds", json::array({transparent, socks})}, {"outbounds", marked}};
  if (!routing.is_null()) out["routing"] = routing;
  if (!dns.is_null()) out["dns"] = dns;
  if (!policy.is_null()) out["policy"] = policy;
  return out.dump(2);
}

}  // namespace corvane::daemon::engines::v2ray
