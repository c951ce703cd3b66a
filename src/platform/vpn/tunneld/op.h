#pragma once
// The requests a client can make ("op" of a request line). The table is the one spelling of
// each op's name.
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace corvane::platform::tunneld {

enum class Op {
  hello,           // {"version":1} -> {"version":1,"daemonVersion":...}
  managersList,    // -> {"managers":[Manager...]} of the calling uid
  managersSave,    // {"manager":Manager} (no id: new) -> {"manager":Manager with id}
  managersRemove,  // {"managerId":...}
  start,           // {"managerId":...} or {"profile":{engine,content,name}} -> accepted
  stop,            // -> accepted; the user's stop always wins over the kill switch
  status,          // -> {"status":TunnelStatus}
  subscribe,       // -> ok, then event lines on the same connection
};

inline constexpr std::array<std::pair<Op, std::string_view>, 8> kOpNames{{
    {Op::hello, "hello"},
    {Op::managersList, "managers.list"},
    {Op::managersSave, "managers.save"},
    {Op::managersRemove, "managers.remove"},
    {Op::start, "start"},
    {Op::stop, "stop"},
    {Op::status, "status"},
    {Op::subscribe, "subscribe"},
}};

constexpr std::string_view opName(Op op) {
  for (const auto& [o, name] : kOpNames) {
    if (o == op) return name;
  }
  return "";
}

constexpr std::optional<Op> opFromName(std::string_view name) {
  for (const auto& [o, n] : kOpNames) {
    if (n == name) return o;
  }
  return std::nullopt;
}

}  // namespace corvane::platform::tunneld
