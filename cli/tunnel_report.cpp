#include "tunnel_report.h"

namespace corvane::cli {

std::string TunnelReport::line() const {
  std::string text = rows.statusWord + "  " + rows.protocol + "  " + rows.address;
  if (rows.speedShown) text += "  up " + rows.upload + "  down " + rows.download;
  text += "  " + rows.server;
  if (killSwitch) text += "  [kill switch blocking]";
  if (!lastError.empty()) text += "  (" + lastError + ")";
  return text;
}

nlohmann::json TunnelReport::json() const {
  nlohmann::json out{{"status", rows.statusWord},   {"statusPanel", rows.statusPanel}, {"protocol", rows.protocol},
                     {"address", rows.address},     {"server", rows.server},           {"killSwitchBlocking", killSwitch},
                     {"countryCode", rows.lastUsedCountryCode}};
  if (rows.speedShown) {
    out["upload"] = rows.upload;
    out["download"] = rows.download;
  }
  if (!lastError.empty()) out["lastError"] = lastError;
  return out;
}

}  // namespace corvane::cli
