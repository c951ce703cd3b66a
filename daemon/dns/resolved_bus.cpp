#include "daemon/dns/resolved_bus.h"

#include <fmt/format.h>
#include <systemd/sd-bus.h>

#include <cstring>
#include <functional>

namespace corvane::daemon::dns {
namespace {

constexpr const char* kDomain = "Dns";
constexpr const char* kService = "org.freedesktop.resolve1";
constexpr const char* kPath = "/org/freedesktop/resolve1";
constexpr const char* kManager = "org.freedesktop.resolve1.Manager";
constexpr const char* kNoSuchLink = "org.freedesktop.resolve1.NoSuchLink";
// resolved answers in milliseconds; five seconds means it is stuck, and the daemon's loop
// must not wait longer than that for it.
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

struct Unref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, Unref>;

// Calls a Manager method; `arguments` appends its arguments. `missingLinkIsFine` turns
// resolved's "no such link" into success.
Result<void> callManager(sd_bus* bus, const char* method, const std::function<int(sd_bus_message*)>& arguments,
                         bool missingLinkIsFine = false) {
  sd_bus_message* raw = nullptr;
  int r = sd_bus_message_new_method_call(bus, &raw, kService, kPath, kManager, method);
  Message call(raw);
  if (r >= 0) r = arguments(call.get());
  if (r < 0) return Error(kDomain, -r, fmt::format("{}: cannot build the call: {}", method, std::strerror(-r)));
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  r = sd_bus_call(bus, call.get(), kCallTimeoutUs, &error, &reply);
  sd_bus_message_unref(reply);
  if (r >= 0 || (missingLinkIsFine && sd_bus_error_has_name(&error, kNoSuchLink))) {
    sd_bus_error_free(&error);
    return Result<void>::success();
  }
  std::string text = error.message ? error.message : std::strerror(-r);
  sd_bus_error_free(&error);
  return Error(kDomain, -r, fmt::format("systemd-resolved refused {}: {}", method, text));
}

}  // namespace

void ResolvedBus::Close::operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }

Result<ResolvedBus> ResolvedBus::openSystem() {
  sd_bus* bus = nullptr;
  int r = sd_bus_open_system(&bus);
  if (r < 0) return Error(kDomain, -r, fmt::format("cannot reach the system bus: {}", std::strerror(-r)));
  return ResolvedBus(bus);
}

Result<ResolvedBus> ResolvedBus::open(const std::string& address) {
  sd_bus* bus = nullptr;
  int r = sd_bus_new(&bus);
  if (r >= 0) r = sd_bus_set_address(bus, address.c_str());
  if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
  if (r >= 0) r = sd_bus_start(bus);
  if (r < 0) {
    sd_bus_unref(bus);
    return Error(kDomain, -r, fmt::format("cannot reach the bus at {}: {}", address, std::strerror(-r)));
  }
  return ResolvedBus(bus);
}

bool ResolvedBus::running() {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int r = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                             "NameHasOwner", &error, &reply, "s", kService);
  int owned = 0;
  if (r >= 0) r = sd_bus_message_read(reply, "b", &owned);
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  return r >= 0 && owned != 0;
}

Result<void> ResolvedBus::setLinkDns(int linkIndex, const std::vector<Server>& servers) {
  return callManager(bus_.get(), "SetLinkDNS", [&](sd_bus_message* m) {
    int r = sd_bus_message_append(m, "i", linkIndex);
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(iay)");
    for (const auto& server : servers) {
      if (r >= 0) r = sd_bus_message_open_container(m, 'r', "iay");
      if (r >= 0) r = sd_bus_message_append(m, "i", server.family);
      if (r >= 0) r = sd_bus_message_append_array(m, 'y', server.address.data(), server.address.size());
      if (r >= 0) r = sd_bus_message_close_container(m);
    }
    return r >= 0 ? sd_bus_message_close_container(m) : r;
  });
}

Result<void> ResolvedBus::setLinkDomains(int linkIndex, const std::vector<Domain>& domains) {
  return callManager(bus_.get(), "SetLinkDomains", [&](sd_bus_message* m) {
    int r = sd_bus_message_append(m, "i", linkIndex);
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(sb)");
    for (const auto& domain : domains) {
      if (r >= 0) r = sd_bus_message_append(m, "(sb)", domain.name.c_str(), static_cast<int>(domain.routingOnly));
    }
    return r >= 0 ? sd_bus_message_close_container(m) : r;
  });
}

Result<void> ResolvedBus::setLinkDefaultRoute(int linkIndex, bool enable) {
  return callManager(bus_.get(), "SetLinkDefaultRoute",
                     [&](sd_bus_message* m) { return sd_bus_message_append(m, "ib", linkIndex, static_cast<int>(enable)); });
}

Result<void> ResolvedBus::revertLink(int linkIndex) {
  return callManager(
      bus_.get(), "RevertLink", [&](sd_bus_message* m) { return sd_bus_message_append(m, "i", linkIndex); }, true);
}

}  // namespace corvane::daemon::dns
