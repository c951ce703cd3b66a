#pragma once
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "backend/backend_context.h"
#include "backend/http_request.h"
#include "backend/http_response.h"
#include "backend/router.h"

namespace corvane::backend {

void replyJson(HttpResponse& res, const nlohmann::json& body, int status = 200);

// The generic status answer: {"status_code", "response_code", "message"}, sent with HTTP 200
// because clients read the outcome from "status_code" and only then store the message.
nlohmann::json statusAnswer(int statusCode, const std::string& message);

// Runs `handler` for a POST with a JSON body. Malformed bodies (BadRequest) become HTTP 400
// with a JSON message; storage failures become HTTP 500 and a log line, never a crash.
using JsonHandler = std::function<void(const HttpRequest& req, const nlohmann::json& body, HttpResponse& res)>;
Router::Handler jsonRoute(BackendContext& ctx, const char* name, JsonHandler handler);

}  // namespace corvane::backend
