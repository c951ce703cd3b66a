#pragma once
// The server picker as the commands reach it: the main container's dashboard presents it,
// and it refreshes the catalogue as it appears.
#include <memory>
#include <optional>
#include <string>

#include "client_session.h"
#include "tunnel/home_view.h"
#include "screens/main_tabbed_view.h"
#include "servers/server_list_view.h"

namespace corvane::cli {

struct PickerSession {
  explicit PickerSession(ClientSession& session)
      : main(session.services()), home(*main.home()) {
    home.openServerList();
    list = home.serverList();
    list->appear();
    session.runUntil([this] { return list->refreshed(); }, kFlowLimit);
  }

  // Why the catalogue could not be fetched (backend down, refused sign-in, no answer in
  // time); none when the refresh succeeded.
  std::optional<std::string> refreshFailure() const {
    if (!list->refreshed()) return "the backend did not answer in time";
    if (const auto& error = list->refreshError()) return error->toString();
    return std::nullopt;
  }

  screens::MainTabbedView main;
  tunnel::HomeView& home;
  servers::ServerListView* list = nullptr;
};

}  // namespace corvane::cli
