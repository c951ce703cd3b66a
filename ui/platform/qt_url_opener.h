#pragma once
// Opens URLs the backend names (support e-mail, chat link, about page) with the desktop's
// handler. Only web pages, e-mail and the chat application's own links are opened: a link
// table is outside input, and a scheme such as file: or a custom handler could start
// anything on the user's machine. Everything else is logged and refused.
#include <QString>

#include "platform/log/log.h"
#include "platform/opener/url_opener.h"

namespace corvane::ui {

class QtUrlOpener final : public platform::UrlOpener {
 public:
  explicit QtUrlOpener(platform::Log log) : log_(std::move(log)) {}

  void open(const std::string& url) override;

  // http, https, mailto and tg (the chat link's scheme), compared without case.
  static bool allowed(const QString& url);

 private:
  platform::Log log_;
};

}  // namespace corvane::ui
