#pragma once
// One binding per screen model: the table of what the screen's QML reads, types and taps.
// Each returns a fresh adapter that follows the model until the adapter or the model goes.
#include <memory>

#include "ui/adapters/model_adapter.h"

namespace corvane::app {
class ContentView;
}
namespace corvane::screens {
class LoginView;
class SignUPView;
class RegistarationSuccessView;
class ForgetPassView;
class SetNewPassView;
class ForgetPassSuccess;
class MainTabbedView;
class SupportView;
class ConnectDeviceView;
}  // namespace corvane::screens
namespace corvane::tunnel {
class HomeView;
class SettingView;
}  // namespace corvane::tunnel
namespace corvane::servers {
class ServerListView;
}

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindRoot(app::ContentView& model);
std::unique_ptr<ModelAdapter> bindLogin(screens::LoginView& model);
std::unique_ptr<ModelAdapter> bindSignUp(screens::SignUPView& model);
std::unique_ptr<ModelAdapter> bindRegistrationSuccess(screens::RegistarationSuccessView& model);
std::unique_ptr<ModelAdapter> bindForgetPass(screens::ForgetPassView& model);
std::unique_ptr<ModelAdapter> bindSetNewPass(screens::SetNewPassView& model);
std::unique_ptr<ModelAdapter> bindForgetPassSuccess(screens::ForgetPassSuccess& model);
std::unique_ptr<ModelAdapter> bindMain(screens::MainTabbedView& model);
std::unique_ptr<ModelAdapter> bindSupport(screens::SupportView& model);
std::unique_ptr<ModelAdapter> bindDevices(screens::ConnectDeviceView& model);
std::unique_ptr<ModelAdapter> bindHome(tunnel::HomeView& model);
std::unique_ptr<ModelAdapter> bindSetting(tunnel::SettingView& model);
std::unique_ptr<ModelAdapter> bindServerList(servers::ServerListView& model);

}  // namespace corvane::ui
