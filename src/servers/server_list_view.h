#pragma once
// The server picker: the protocol choice, the search, and the account's servers of the
// chosen protocol grouped by country. Choosing a server stores its keys, closes the picker
// and posts "ConnectFromServer". While the tunnel is up, a protocol tap asks first.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/notifications/notification_center.h"
#include "platform/vpn/vpn_service.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"
#include "servers/protocol_selection.h"
#include "servers/server_catalogue.h"

namespace corvane::servers {

class LatencyProbe;

class ServerListView : public screenkit::ScreenModel {
 public:
  // What a server tap did, for the CLI's report.
  enum class TapOutcome { ignored, stored, fetching };

  ServerListView(screenkit::Services services, ProtocolSelection& flags, std::function<void()> dismiss);
  ~ServerListView() override;

  std::string searchText;
  ProtocolSelection& flags;
  std::optional<double> pingResult;  // milliseconds, whole, shared by every row
  std::optional<platform::VpnStatus> status;
  std::shared_ptr<platform::TunnelProviderManager> vpnManagerEnterprise;
  bool changeProtocolAlert = false;
  screenkit::Localization locale;
  // Besides the one shared value, each report kept by server address (milliseconds), for
  // callers that list every row at once (corvanectl servers --ping).
  std::map<std::string, double> reportsByAddress;
  // A WireGuard tap waits for its configuration; its failure, when it failed.
  bool fetchingConfig = false;
  std::optional<Error> lastTapError;

  const std::vector<api::IPBundle>& ipBundle() const { return catalogue_->servers(); }
  // True once the catalogue refresh of the last appearance has answered (either way).
  bool refreshed() const { return refreshed_; }
  // Why that refresh failed (the catalogue shown is then the one from before); none when it
  // succeeded or has not answered yet.
  const std::optional<Error>& refreshError() const { return refreshError_; }

  void appear();
  // What the window types into the search field; reports "changed" when the text differs.
  bool setSearchText(std::string text) { return setField(searchText, std::move(text)); }
  void tapProtocol(VpnProtocol protocol);
  void tapDisconnect();  // "DISCONNECT" in the change-protocol prompt
  void tapSkip();        // "SKIP"
  void tapClose();       // leaves without changing anything
  TapOutcome tapServer(const api::IPBundle& server);

  // A row came into view: its latency probe starts 1.0 s later.
  void rowAppeared(const api::IPBundle& server);

  // What the screen shows.
  std::string_view headerText() const;
  std::string_view buttonImage(VpnProtocol protocol) const {
    return flags.flag(protocol) ? "select" : "deSelect";
  }
  std::vector<ServerSection> sections() const;
  std::string latencyText() const { return latencyText(pingResult); }
  std::string_view latencyColour() const { return latencyColour(pingResult); }
  // The same for any value: "N/A" or "%.0f ms"; green up to 150, orange to 400, red above.
  std::string latencyText(std::optional<double> milliseconds) const;
  static std::string_view latencyColour(std::optional<double> milliseconds);
  // "VPNStatus", or "Disconnected" when absent or not a text.
  std::string vpnStatusText() const;

  static constexpr std::string_view kPromptMessage =
      "You are connected to VPN.You have to disconnect VPN to change Protocol.";
  static constexpr screenkit::NamedText kTexts[] = {
      {"title", "Server List"},
      {"protocolTitle", "Protocol"},
      {"protocolDescription", "Decides how data moves between\na device and a VPN server"},
      {"searchPlaceholder", "Search your preferred server..."},
      {"promptMessage", kPromptMessage},
      {"disconnectText", "DISCONNECT"},
      {"skipText", "SKIP"},
  };

  // A probe's report for the server at `ip`, on the main loop: seconds of round trip.
  void reportLatency(const std::string& ip, double seconds);

 private:
  void writeProtocolKeys();
  void readProtocolKeys();
  void selectAndStore(VpnProtocol protocol);
  void statusChanged();
  void finishTap();

  std::function<void()> dismiss_;
  // Shared with the sections handed out, which may outlive a refresh.
  std::shared_ptr<const ServerCatalogue> catalogue_ = std::make_shared<ServerCatalogue>();
  bool refreshed_ = false;
  std::optional<Error> refreshError_;
  std::vector<std::unique_ptr<LatencyProbe>> probes_;
  platform::ObserverRegistration statusObserver_;
};

}  // namespace corvane::servers
