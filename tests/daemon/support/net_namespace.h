#pragma once
// A network namespace for one test, always deleted with its /etc/netns folder. The name
// carries a prefix, the test process's pid and a counter; namespaces of earlier runs whose
// process is gone are deleted first (removeStale). Its resolv.conf is written before anything
// runs in it, so `ip netns exec` mounts it over /etc/resolv.conf and nothing inside ever
// touches the machine's own file.
#include <string>

namespace corvane::daemon::testing {

class NetNamespace {
 public:
  static constexpr const char* kPrefix = "cvtun-";

  // `role` is a short word ("c", "s"); `resolvConf` the namespace's resolv.conf content.
  NetNamespace(const std::string& role, const std::string& resolvConf);
  ~NetNamespace();
  NetNamespace(const NetNamespace&) = delete;
  NetNamespace& operator=(const NetNamespace&) = delete;

  bool ok() const { return ok_; }
  const std::string& name() const { return name_; }
  std::string resolvConfPath() const { return "/etc/netns/" + name_ + "/resolv.conf"; }

  // Deletes namespaces with our prefix whose owning process no longer runs.
  static void removeStale();

 private:
  std::string name_;
  bool ok_ = false;
};

}  // namespace corvane::daemon::testing
