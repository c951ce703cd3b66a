#pragma once
// What a reset answer may say about where the code went: enough for the owner to recognise the
// address, too little for anyone else to learn it ("d***@c***.test"). Names that match no
// account get an invented mask of the same shape, stable for the name, so the answer does not
// tell whether the account exists.
#include <string>
#include <string_view>

namespace corvane::backend {

std::string maskedAddress(std::string_view address);

// A plausible mask derived from `nameKey` under `secret` (kept by the server, never sent).
std::string inventedMask(std::string_view nameKey, std::string_view secret);

}  // namespace corvane::backend
