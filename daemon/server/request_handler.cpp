#include "daemon/server/request_handler.h"

#include <fmt/format.h>

namespace corvane::daemon::server {

using namespace platform::tunneld;

namespace {

constexpr std::size_t kMaxPasswordBytes = 1024;

Answer failure(std::int64_t id, ErrorCode code, std::string message) {
  return Answer::failure(id, ErrorInfo{code, std::move(message), false});
}

Answer internal(std::int64_t id, const Error& error) { return failure(id, ErrorCode::internal, error.description); }

}  // namespace

void RequestHandler::handle(ClientConnection& client, std::string_view line) {
  auto request = client.codec().parseRequest(line);
  if (!request) {
    client.send(LineCodec::write(Answer::failure(request.id(), request.error())));
    return;
  }
  client.send(LineCodec::write(answer(client, *request)));
  if (request->op == Op::subscribe) {
    // The current status first, so a subscriber never has to ask separately.
    Event event;
    event.status = slot_.status();
    client.send(LineCodec::write(event));
  }
}

Answer RequestHandler::answer(ClientConnection& client, const Request& request) {
  const std::uint32_t uid = client.peer().uid;
  Answer ok = Answer::success(request.id);
  switch (request.op) {
    case Op::hello:
      if (request.version != kProtocolVersion) {
        return failure(request.id, ErrorCode::unsupportedVersion,
                       fmt::format("version {} is not spoken here; this daemon speaks {}", *request.version, kProtocolVersion));
      }
      ok.version = kProtocolVersion;
      ok.daemonVersion = std::string(kDaemonVersion);
      return ok;
    case Op::managersList: {
      auto managers = store_.managers(uid);
      if (!managers) return internal(request.id, managers.error());
      ok.managers = std::move(*managers);
      return ok;
    }
    case Op::managersSave: {
      // openvpn reads the account as two lines: a line break would split or end it. The
      // password itself is never quoted back.
      const auto& manager = *request.manager;
      if (manager.username.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        return failure(request.id, ErrorCode::badRequest, "\"username\" must not hold a line break or NUL");
      }
      if (manager.password && (manager.password->find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
                               manager.password->size() > kMaxPasswordBytes)) {
        return failure(request.id, ErrorCode::badRequest,
                       fmt::format("\"password\" must be at most {} bytes with no line break or NUL", kMaxPasswordBytes));
      }
      auto saved = store_.save(uid, manager);
      if (!saved) {
        if (saved.error().code == 404) return failure(request.id, ErrorCode::notFound, saved.error().description);
        return internal(request.id, saved.error());
      }
      ok.manager = std::move(*saved);
      slot_.killSwitchChanged(uid);
      return ok;
    }
    case Op::managersRemove: {
      auto removed = store_.remove(uid, *request.managerId);
      if (!removed) return internal(request.id, removed.error());
      if (!*removed) return failure(request.id, ErrorCode::notFound, fmt::format("no manager \"{}\"", *request.managerId));
      slot_.killSwitchChanged(uid);
      return ok;
    }
    case Op::start:
      return start(uid, request);
    case Op::stop:
      if (auto refused = slot_.stop(uid)) return Answer::failure(request.id, *refused);
      return ok;
    case Op::status:
      ok.status = slot_.status();
      return ok;
    case Op::subscribe:
      client.subscribed = true;
      return ok;
  }
  return failure(request.id, ErrorCode::unknownOp, "unknown op");
}

Answer RequestHandler::start(std::uint32_t uid, const Request& request) {
  state::RunRecord run;
  run.uid = uid;
  if (request.managerId) {
    auto manager = store_.find(uid, *request.managerId);
    if (!manager) return failure(request.id, ErrorCode::notFound, fmt::format("no manager \"{}\"", *request.managerId));
    auto ovpn = manager->providerConfiguration.find(std::string(kOvpnConfigurationKey));
    if (ovpn == manager->providerConfiguration.end()) {
      return failure(request.id, ErrorCode::badRequest,
                     fmt::format("manager \"{}\" has no providerConfiguration \"ovpn\" to start", *request.managerId));
    }
    run.engine = std::string(kEngineOpenVpn);
    run.content = ovpn->second;
    run.name = manager->description;
    run.managerId = *request.managerId;
    run.startedBy = std::string(kStartedByManager);
  } else {
    run.engine = request.profile->engine;
    run.content = request.profile->content;
    run.name = request.profile->name;
    run.startedBy = std::string(kStartedByProfile);
  }
  if (auto refused = slot_.start(uid, std::move(run))) return Answer::failure(request.id, *refused);
  return Answer::success(request.id);
}

}  // namespace corvane::daemon::server
