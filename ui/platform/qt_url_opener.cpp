#include "ui/platform/qt_url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvane::ui {

bool QtUrlOpener::allowed(const QString& text) {
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid()) return false;
  const QString scheme = url.scheme().toLower();
  return scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "tg";
}

void QtUrlOpener::open(const std::string& url) {
  const QString text = QString::fromStdString(url);
  if (!allowed(text)) {
    log_.error("Refused to open a URL with an unsupported scheme: " + url);
    return;
  }
  if (!QDesktopServices::openUrl(QUrl(text, QUrl::StrictMode))) {
    log_.error("No handler opened " + url);
  }
}

}  // namespace corvane::ui
