#include "ui/app/window_services.h"

#include <memory>

#include "ui/loop/qt_main_loop.h"

namespace corvane::ui {
namespace {

app::CompositionRoot::Options windowOptions(std::shared_ptr<std::unique_ptr<platform::UrlOpener>> opener,
                                            std::string localeIdentifier, const WindowServices::Adjust& adjust) {
  app::CompositionRoot::Options options;
  options.log = platform::Log::standard("corvane", platform::Log::Level::info);
  options.localeIdentifier = std::move(localeIdentifier);
  options.withLatency = true;
  options.withTunnel = true;
  // The window's opener is handed in once, already made.
  options.makeOpener = [opener](platform::Log) { return std::move(*opener); };
  if (adjust) adjust(options);
  return options;
}

}  // namespace

WindowServices::WindowServices(QtMainLoop& loop, std::unique_ptr<platform::UrlOpener> opener,
                               std::string localeIdentifier, const Adjust& adjust)
    : root_(loop, windowOptions(std::make_shared<std::unique_ptr<platform::UrlOpener>>(std::move(opener)),
                                std::move(localeIdentifier), adjust)) {}

}  // namespace corvane::ui
