#include "platform/vpn/tunneld/record_json.h"

#include <fmt/format.h>

namespace corvane::platform::tunneld {
namespace {

std::string fieldPath(std::string_view path, std::string_view key) {
  return path.empty() ? fmt::format("\"{}\"", key) : fmt::format("\"{}.{}\"", path, key);
}

}  // namespace

std::string quoteJson(simdjson::dom::element value) {
  std::string text = simdjson::minify(value);
  if (text.size() > 80) {
    text.resize(77);
    text += "...";
  }
  return text;
}

void RecordReader::fail(std::string text) {
  if (problem_.empty()) problem_ = std::move(text);
}

namespace {

// Looks `key` up; nullopt when absent or null.
std::optional<simdjson::dom::element> lookup(simdjson::dom::object object, std::string_view key) {
  simdjson::dom::element value;
  if (object.at_key(key).get(value) != simdjson::SUCCESS || value.is_null()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> RecordReader::text(simdjson::dom::object object, std::string_view path,
                                              std::string_view key) {
  auto value = lookup(object, key);
  if (!value) return std::nullopt;
  std::string_view out;
  if (value->get(out) != simdjson::SUCCESS) {
    fail(fmt::format("{} must be a string, got {}", fieldPath(path, key), quoteJson(*value)));
    return std::nullopt;
  }
  return std::string(out);
}

std::optional<std::int64_t> RecordReader::integer(simdjson::dom::object object, std::string_view path,
                                                  std::string_view key) {
  auto value = lookup(object, key);
  if (!value) return std::nullopt;
  std::int64_t out = 0;
  if (value->get(out) != simdjson::SUCCESS) {
    fail(fmt::format("{} must be an integer, got {}", fieldPath(path, key), quoteJson(*value)));
    return std::nullopt;
  }
  return out;
}

std::optional<std::uint64_t> RecordReader::count(simdjson::dom::object object, std::string_view path,
                                                 std::string_view key) {
  auto value = lookup(object, key);
  if (!value) return std::nullopt;
  std::uint64_t out = 0;
  if (value->get(out) != simdjson::SUCCESS) {
    fail(fmt::format("{} must be a non-negative integer, got {}", fieldPath(path, key), quoteJson(*value)));
    return std::nullopt;
  }
  return out;
}

std::optional<bool> RecordReader::flag(simdjson::dom::object object, std::string_view path,
                                       std::string_view key) {
  auto value = lookup(object, key);
  if (!value) return std::nullopt;
  bool out = false;
  if (value->get(out) != simdjson::SUCCESS) {
    fail(fmt::format("{} must be true or false, got {}", fieldPath(path, key), quoteJson(*value)));
    return std::nullopt;
  }
  return out;
}

std::optional<simdjson::dom::object> RecordReader::child(simdjson::dom::object object, std::string_view path,
                                                         std::string_view key) {
  auto value = lookup(object, key);
  if (!value) return std::nullopt;
  simdjson::dom::object out;
  if (value->get(out) != simdjson::SUCCESS) {
    fail(fmt::format("{} must be an object, got {}", fieldPath(path, key), quoteJson(*value)));
    return std::nullopt;
  }
  return out;
}

std::optional<Manager> RecordReader::manager(simdjson::dom::object object, std::string_view path) {
  Manager m;
  m.id = text(object, path, "id");
  if (auto v = text(object, path, "description")) m.description = *v;
  if (auto v = flag(object, path, "enabled")) m.enabled = *v;
  if (auto v = text(object, path, "providerBundleIdentifier")) m.providerBundleIdentifier = *v;
  if (auto v = text(object, path, "serverAddress")) m.serverAddress = *v;
  if (auto v = text(object, path, "username")) m.username = *v;
  if (auto v = text(object, path, "password")) m.password = *v;
  if (auto v = flag(object, path, "onDemandEnabled")) m.onDemandEnabled = *v;
  std::string configPath = std::string(path) + ".providerConfiguration";
  if (auto config = child(object, path, "providerConfiguration")) {
    for (auto [key, value] : *config) {
      std::string_view item;
      if (value.get(item) != simdjson::SUCCESS) {
        fail(fmt::format("\"{}.{}\" must be a string, got {}", configPath, key, quoteJson(value)));
        break;
      }
      m.providerConfiguration[std::string(key)] = std::string(item);
    }
  }
  if (auto rules = lookup(object, "onDemandRules")) {
    simdjson::dom::array array;
    if (rules->get(array) != simdjson::SUCCESS) {
      fail(fmt::format("{} must be an array, got {}", fieldPath(path, "onDemandRules"), quoteJson(*rules)));
    } else {
      std::size_t index = 0;
      for (simdjson::dom::element item : array) {
        std::string rulePath = fmt::format("{}.onDemandRules[{}]", path, index++);
        simdjson::dom::object rule;
        if (item.get(rule) != simdjson::SUCCESS) {
          fail(fmt::format("\"{}\" must be an object, got {}", rulePath, quoteJson(item)));
          break;
        }
        OnDemandRule r;
        if (auto v = text(rule, rulePath, "action")) r.action = *v;
        if (auto v = integer(rule, rulePath, "interfaceTypeMatch")) r.interfaceTypeMatch = *v;
        r.probeURL = text(rule, rulePath, "probeURL");
        m.onDemandRules.push_back(std::move(r));
      }
    }
  }
  if (failed()) return std::nullopt;
  return m;
}

std::optional<Profile> RecordReader::profile(simdjson::dom::object object, std::string_view path) {
  Profile p;
  auto engine = text(object, path, "engine");
  auto content = text(object, path, "content");
  if (auto v = text(object, path, "name")) p.name = *v;
  if (failed()) return std::nullopt;
  if (!engine) {
    fail(fmt::format("{} is missing", fieldPath(path, "engine")));
    return std::nullopt;
  }
  if (!content) {
    fail(fmt::format("{} is missing", fieldPath(path, "content")));
    return std::nullopt;
  }
  p.engine = *engine;
  p.content = *content;
  return p;
}

TunnelStatus RecordReader::status(simdjson::dom::object object) {
  TunnelStatus s;
  if (auto v = integer(object, "", "status")) s.status = *v;
  if (auto v = text(object, "", "engine")) s.engine = *v;
  if (auto v = text(object, "", "startedBy")) s.startedBy = *v;
  if (auto v = text(object, "", "managerId")) s.managerId = *v;
  s.ownerUid = integer(object, "", "ownerUid");
  if (auto v = text(object, "", "tunnelAddress")) s.tunnelAddress = *v;
  if (auto v = text(object, "", "interface")) s.interfaceName = *v;
  if (auto v = integer(object, "", "since")) s.since = *v;
  if (auto v = count(object, "", "rxBytes")) s.rxBytes = *v;
  if (auto v = count(object, "", "txBytes")) s.txBytes = *v;
  if (auto proxy = child(object, "", "proxy")) {
    TunnelStatus::Proxy p;
    if (auto v = text(*proxy, "proxy", "host")) p.host = *v;
    if (auto v = count(*proxy, "proxy", "port"); v && *v <= 65535) p.port = static_cast<std::uint16_t>(*v);
    s.proxy = p;
  }
  if (auto v = flag(object, "", "killSwitch")) s.killSwitch = *v;
  if (auto error = child(object, "", "lastError")) s.lastError = errorInfo(*error, "lastError");
  return s;
}

std::optional<ErrorInfo> RecordReader::errorInfo(simdjson::dom::object object, std::string_view path) {
  ErrorInfo e;
  auto code = text(object, path, "code");
  if (auto v = text(object, path, "message")) e.message = *v;
  if (auto v = flag(object, path, "blocking")) e.blocking = *v;
  if (!code) {
    fail(fmt::format("{} is missing", fieldPath(path, "code")));
    return std::nullopt;
  }
  // A token this reader does not know yet is kept as "internal" rather than refused: new error
  // tokens are an additive change.
  e.code = errorCodeFromToken(*code).value_or(ErrorCode::internal);
  return e;
}

nlohmann::ordered_json toJson(const Manager& manager) {
  nlohmann::ordered_json out;
  if (manager.id) out["id"] = *manager.id;
  out["description"] = manager.description;
  out["enabled"] = manager.enabled;
  out["providerBundleIdentifier"] = manager.providerBundleIdentifier;
  out["serverAddress"] = manager.serverAddress;
  out["username"] = manager.username;
  if (manager.password) out["password"] = *manager.password;
  out["providerConfiguration"] = nlohmann::ordered_json::object();
  for (const auto& [key, value] : manager.providerConfiguration) out["providerConfiguration"][key] = value;
  out["onDemandEnabled"] = manager.onDemandEnabled;
  out["onDemandRules"] = nlohmann::ordered_json::array();
  for (const auto& rule : manager.onDemandRules) {
    nlohmann::ordered_json r;
    r["action"] = rule.action;
    r["interfaceTypeMatch"] = rule.interfaceTypeMatch;
    if (rule.probeURL) r["probeURL"] = *rule.probeURL;
    out["onDemandRules"].push_back(std::move(r));
  }
  return out;
}

nlohmann::ordered_json toJson(const ErrorInfo& error) {
  nlohmann::ordered_json out;
  out["code"] = std::string(errorCodeToken(error.code));
  out["message"] = error.message;
  out["blocking"] = error.blocking;
  return out;
}

void addStatusFields(nlohmann::ordered_json& out, const TunnelStatus& s) {
  out["status"] = s.status;
  out["engine"] = s.engine;
  out["startedBy"] = s.startedBy;
  out["managerId"] = s.managerId;
  if (s.ownerUid) out["ownerUid"] = *s.ownerUid;
  out["tunnelAddress"] = s.tunnelAddress;
  out["interface"] = s.interfaceName;
  out["since"] = s.since;
  out["rxBytes"] = s.rxBytes;
  out["txBytes"] = s.txBytes;
  if (s.proxy) out["proxy"] = {{"host", s.proxy->host}, {"port", s.proxy->port}};
  out["killSwitch"] = s.killSwitch;
  if (s.lastError) out["lastError"] = toJson(*s.lastError);
}

}  // namespace corvane::platform::tunneld
