#include "backend/public_routes.h"

#include "backend/announcements.h"
#include "backend/json_reply.h"

namespace corvane::backend {

void registerHttpsInfoRoutes(Router& server, BackendContext& ctx) {
  server.get("/app-api-v1/get-links", [&ctx](const HttpRequest&, HttpResponse& res) {
    const std::string https = "https://" + ctx.advertisedHost + ":" + std::to_string(ctx.httpsPort);
    const std::string http = "http://" + ctx.advertisedHost + ":" + std::to_string(ctx.httpPort);
    replyJson(res, {{"about_us_link", "https://corvane.test/about"},
                    {"get_support_link", "https://corvane.test/support"},
                    {"email_link", "support@corvane.test"},
                    {"whatsapp_link", "https://wa.me/15550100"},
                    {"domain_link_1", https + "/domain"},
                    {"domain_link_2", http + "/domain"}});
  });
  server.get("/app-api-v1/announcement-info", [](const HttpRequest&, HttpResponse& res) {
    replyJson(res, {{"announcement_one", kAnnouncementOne}, {"announcement_two", kAnnouncementTwo}});
  });
}

void registerCommonRoutes(Router& server, BackendContext& ctx) {
  // The domain that every POST addresses: host and port of the plain-HTTP listener.
  server.get("/domain", [&ctx](const HttpRequest&, HttpResponse& res) {
    // With --api-tls the API is also on the HTTPS listener, and clients built for https
    // must be sent there.
    const int port = ctx.options.apiOverTls ? ctx.httpsPort : ctx.httpPort;
    res.contentType = "text/plain";
    res.body = ctx.advertisedHost + ":" + std::to_string(port) + "\n";
  });
  server.get("/ip", [](const HttpRequest& req, HttpResponse& res) {
    if (req.param("format") == "json") {
      replyJson(res, {{"ip", req.remoteAddress}});
    } else {
      res.contentType = "text/plain";
      res.body = req.remoteAddress + "\n";
    }
  });
  server.get("/hotspot-detect.html", [](const HttpRequest&, HttpResponse& res) {
    res.contentType = "text/html";
    res.body = "<HTML><HEAD><TITLE>Success</TITLE></HEAD><BODY>Success</BODY></HTML>\n";
  });
}

}  // namespace corvane::backend
