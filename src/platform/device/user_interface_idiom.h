#pragma once
// The kind of device the app runs on. A Linux desktop or server is `desktop`; the
// network-permission step at launch runs on phones only.
namespace corvane::platform {

enum class UserInterfaceIdiom { phone, pad, desktop };

}  // namespace corvane::platform
