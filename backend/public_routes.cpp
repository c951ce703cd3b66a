#include "public_routes.h"

#include "announcements.h"
#include "json_reply.h"

namespace corvane::backend {

void registerHttpsInfoRoutes(httplib::Server& server, BackendContext& ctx) {
  server.Get("/app-api-v1/get-links", [&ctx](const httplib::Request&, httplib::Response& res) {
    const std::string https = "https://" + ctx.advertisedHost + ":" + std::to_string(ctx.httpsPort);
    const std::string http = "http://" + ctx.advertisedHost + ":" + std::to_string(ctx.httpPort);
    replyJson(res, {{"about_us_link", "https://corvane.test/about"},
                    {"get_support_link", "https://corvane.test/support"},
                    {"email_link", "support@corvane.test"},
                    {"whatsapp_link", "https://wa.me/15550100"},
                    {"domain_link_1", https + "/domain"},
                    {"domain_link_2", http + "/domain"}});
  });
  server.Get("/app-api-v1/announcement-info", [](const httplib::Request&, httplib::Response& res) {
    replyJson(res, {{"announcement_one", kAnnouncementOne}, {"announcement_two", kAnnouncementTwo}});
  });
}

void registerCommonRoutes(httplib::Server& server, BackendContext& ctx) {
  // The domain that every POST addresses: host and port of the plain-HTTP listener.
  server.Get("/domain", [&ctx](const httplib::Request&, httplib::Response& res) {
    res.set_content(ctx.advertisedHost + ":" + std::to_string(ctx.httpPort) + "\n", "text/plain");
  });
  server.Get("/ip", [](const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value("format") == "json") {
      replyJson(res, {{"ip", req.remote_addr}});
    } else {
      res.set_content(req.remote_addr + "\n", "text/plain");
    }
  });
  server.Get("/hotspot-detect.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<HTML><HEAD><TITLE>Success</TITLE></HEAD><BODY>Success</BODY></HTML>\n", "text/html");
  });
}

}  // namespace corvane::backend
