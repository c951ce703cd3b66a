#include "platform/vpn/tunneld/line_codec.h"

#include <fmt/format.h>

#include "platform/vpn/tunneld/record_json.h"

namespace corvane::platform::tunneld {
namespace {

std::string_view withoutNewline(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

ErrorInfo badRequest(std::string message) { return {ErrorCode::badRequest, std::move(message), false}; }

std::string finish(const nlohmann::ordered_json& json) {
  // Replace rather than throw on text that is not UTF-8: an error message may quote input.
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

LineCodec::LineCodec() : parser_(std::make_unique<simdjson::dom::parser>()) {}
LineCodec::~LineCodec() = default;

ParsedLine<Request> LineCodec::parseRequest(std::string_view line) {
  using Parsed = ParsedLine<Request>;
  if (line.size() > kMaxLineBytes) {
    return Parsed::failure(std::nullopt, {ErrorCode::tooLarge,
                                          fmt::format("request line of {} bytes is over the limit of {}",
                                                      line.size(), kMaxLineBytes),
                                          false});
  }
  line = withoutNewline(line);
  simdjson::dom::element root;
  if (auto error = parser_->parse(line.data(), line.size()).get(root); error != simdjson::SUCCESS) {
    std::string quoted(line.substr(0, 60));
    return Parsed::failure(std::nullopt, badRequest(fmt::format("line is not JSON ({}): {}{}", simdjson::error_message(error),
                                                                quoted, line.size() > 60 ? "..." : "")));
  }
  simdjson::dom::object object;
  if (root.get(object) != simdjson::SUCCESS) {
    return Parsed::failure(std::nullopt, badRequest(fmt::format("a request must be a JSON object, got {}", quoteJson(root))));
  }

  RecordReader reader;
  auto id = reader.integer(object, "", "id");
  if (reader.failed()) return Parsed::failure(std::nullopt, badRequest(reader.problem()));
  if (!id) return Parsed::failure(std::nullopt, badRequest("\"id\" is missing"));

  auto opText = reader.text(object, "", "op");
  if (reader.failed()) return Parsed::failure(id, badRequest(reader.problem()));
  if (!opText) return Parsed::failure(id, badRequest("\"op\" is missing"));
  auto op = opFromName(*opText);
  if (!op) {
    return Parsed::failure(id, {ErrorCode::unknownOp, fmt::format("unknown op \"{}\"", opText->substr(0, 60)), false});
  }

  Request request;
  request.id = *id;
  request.op = *op;
  switch (*op) {
    case Op::hello:
      request.version = reader.integer(object, "", "version");
      if (!reader.failed() && !request.version) reader.fail("\"version\" is missing");
      break;
    case Op::managersSave:
      if (auto m = reader.child(object, "", "manager")) {
        request.manager = reader.manager(*m, "manager");
      } else if (!reader.failed()) {
        reader.fail("\"manager\" is missing");
      }
      break;
    case Op::managersRemove:
      request.managerId = reader.text(object, "", "managerId");
      if (!reader.failed() && !request.managerId) reader.fail("\"managerId\" is missing");
      break;
    case Op::start: {
      request.managerId = reader.text(object, "", "managerId");
      if (auto p = reader.child(object, "", "profile")) request.profile = reader.profile(*p, "profile");
      if (!reader.failed() && request.managerId.has_value() == request.profile.has_value()) {
        reader.fail("start needs exactly one of \"managerId\" and \"profile\"");
      }
      break;
    }
    case Op::managersList:
    case Op::stop:
    case Op::status:
    case Op::subscribe:
      break;
  }
  if (reader.failed()) return Parsed::failure(id, badRequest(reader.problem()));
  return Parsed::success(std::move(request));
}

ParsedLine<ServerLine> LineCodec::parseServerLine(std::string_view line) {
  using Parsed = ParsedLine<ServerLine>;
  if (line.size() > kMaxLineBytes) {
    return Parsed::failure(std::nullopt, {ErrorCode::tooLarge, fmt::format("line of {} bytes is over the limit", line.size()), false});
  }
  line = withoutNewline(line);
  simdjson::dom::element root;
  simdjson::dom::object object;
  if (parser_->parse(line.data(), line.size()).get(root) != simdjson::SUCCESS || root.get(object) != simdjson::SUCCESS) {
    return Parsed::failure(std::nullopt, badRequest(fmt::format("not a JSON object: {}", line.substr(0, 60))));
  }
  RecordReader reader;
  ServerLine out;
  if (auto event = reader.text(object, "", "event")) {
    Event e;
    if (*event == "status") {
      e.status = reader.status(object);
    } else if (*event == "traffic") {
      Traffic t;
      t.rxBytes = reader.count(object, "", "rxBytes").value_or(0);
      t.txBytes = reader.count(object, "", "txBytes").value_or(0);
      t.uplink = reader.count(object, "", "uplink").value_or(0);
      t.downlink = reader.count(object, "", "downlink").value_or(0);
      e.traffic = t;
    } else {
      reader.fail(fmt::format("unknown event \"{}\"", event->substr(0, 60)));
    }
    out.event = std::move(e);
  } else if (!reader.failed()) {
    Answer a;
    a.id = reader.integer(object, "", "id");
    auto ok = reader.flag(object, "", "ok");
    if (!reader.failed() && !ok) reader.fail("\"ok\" is missing");
    if (ok && !*ok) {
      if (auto error = reader.child(object, "", "error")) {
        a.error = reader.errorInfo(*error, "error");
      } else if (!reader.failed()) {
        reader.fail("\"error\" is missing from a failed answer");
      }
    } else if (ok) {
      a.version = reader.integer(object, "", "version");
      a.daemonVersion = reader.text(object, "", "daemonVersion");
      if (auto manager = reader.child(object, "", "manager")) a.manager = reader.manager(*manager, "manager");
      simdjson::dom::element managers;
      if (object.at_key("managers").get(managers) == simdjson::SUCCESS) {
        simdjson::dom::array array;
        if (managers.get(array) != simdjson::SUCCESS) {
          reader.fail(fmt::format("\"managers\" must be an array, got {}", quoteJson(managers)));
        } else {
          a.managers.emplace();
          for (simdjson::dom::element item : array) {
            simdjson::dom::object m;
            if (item.get(m) != simdjson::SUCCESS) {
              reader.fail(fmt::format("\"managers[]\" must hold objects, got {}", quoteJson(item)));
              break;
            }
            if (auto manager = reader.manager(m, "managers[]")) a.managers->push_back(std::move(*manager));
          }
        }
      }
      simdjson::dom::element status;
      if (object.at_key("status").get(status) == simdjson::SUCCESS) a.status = reader.status(object);
    }
    out.answer = std::move(a);
  }
  if (reader.failed()) return Parsed::failure(std::nullopt, badRequest(reader.problem()));
  return Parsed::success(std::move(out));
}

std::string LineCodec::write(const Request& request) {
  nlohmann::ordered_json out;
  out["id"] = request.id;
  out["op"] = std::string(opName(request.op));
  if (request.version) out["version"] = *request.version;
  if (request.manager) out["manager"] = toJson(*request.manager);
  if (request.managerId) out["managerId"] = *request.managerId;
  if (request.profile) {
    out["profile"] = {{"engine", request.profile->engine},
                      {"content", request.profile->content},
                      {"name", request.profile->name}};
  }
  return finish(out);
}

std::string LineCodec::write(const Answer& answer) {
  nlohmann::ordered_json out;
  if (answer.id) out["id"] = *answer.id;
  out["ok"] = answer.ok();
  if (answer.error) {
    out["error"] = toJson(*answer.error);
    return finish(out);
  }
  if (answer.version) out["version"] = *answer.version;
  if (answer.daemonVersion) out["daemonVersion"] = *answer.daemonVersion;
  if (answer.managers) {
    out["managers"] = nlohmann::ordered_json::array();
    for (const auto& m : *answer.managers) out["managers"].push_back(toJson(m));
  }
  if (answer.manager) out["manager"] = toJson(*answer.manager);
  if (answer.status) addStatusFields(out, *answer.status);
  return finish(out);
}

std::string LineCodec::write(const Event& event) {
  nlohmann::ordered_json out;
  if (event.status) {
    out["event"] = "status";
    addStatusFields(out, *event.status);
  } else if (event.traffic) {
    out["event"] = "traffic";
    out["rxBytes"] = event.traffic->rxBytes;
    out["txBytes"] = event.traffic->txBytes;
    out["uplink"] = event.traffic->uplink;
    out["downlink"] = event.traffic->downlink;
  }
  return finish(out);
}

}  // namespace corvane::platform::tunneld
