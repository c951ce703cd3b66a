// corvanectl protocol P: a protocol tap in the picker, with the change-protocol prompt.
#include "command_support.h"
#include "picker_session.h"

namespace corvane::cli {
namespace {

int runProtocol(const GlobalOptions& global, const std::string& name, bool disconnect) {
  const auto protocol = servers::protocolFromName(name);
  if (!protocol) {
    return failWith(global, "unknown protocol `" + name +
                                "' (wireguard, openvpn, shadowsocks, v2ray)", kExitUsage);
  }
  ClientSession session({});
  if (!requireSignedIn(session, global)) return kExitFailure;
  PickerSession picker(session);
  servers::ServerListView& list = *picker.list;
  list.tapProtocol(*protocol);
  bool prompted = list.changeProtocolAlert;
  if (prompted) {
    if (disconnect) {
      list.tapDisconnect();
    } else {
      list.tapSkip();
      session.drainRequests(std::chrono::seconds(5));
      return failWith(global, std::string(list.locale.text(servers::ServerListView::kPromptMessage)) +
                                  " (pass --disconnect to accept)");
    }
  }
  session.drainRequests(std::chrono::seconds(5));
  emit(global, {{"protocol", std::string(list.headerText())}, {"prompted", prompted},
                {"disconnectPosted", prompted && disconnect}},
       std::string(list.locale.text("Protocol")) + ": " + std::string(list.headerText()) +
           (prompted ? "\nposted: disConnectFromServer" : ""));
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("protocol", "Choose the tunnel protocol (wireguard, openvpn, shadowsocks, v2ray)",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto name = std::make_shared<std::string>();
                   auto disconnect = std::make_shared<bool>(false);
                   sub.add_option("PROTOCOL", *name, "The protocol")->required();
                   sub.add_flag("--disconnect", *disconnect,
                                "When connected, accept disconnecting to change the protocol");
                   return [&global, name, disconnect] {
                     return runProtocol(global, *name, *disconnect);
                   };
                 });

}  // namespace corvane::cli
