#include "platform/notifications/notification_center.h"

#include <algorithm>

namespace corvane::platform {

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Observer observer) {
  std::lock_guard lock(mutex_);
  const Token token = nextToken_++;
  entries_.push_back(Entry{token, std::move(name), std::make_shared<Observer>(std::move(observer))});
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [token](const Entry& e) { return e.token == token; });
}

void NotificationCenter::post(std::string_view name) {
  // Observers run without the lock held, so they may add or remove observers. Each one is
  // checked again just before it runs: an observer removed earlier in this post is skipped.
  std::vector<Token> targets;
  {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_) {
      if (e.name == name) {
        targets.push_back(e.token);
      }
    }
  }
  for (Token token : targets) {
    std::shared_ptr<Observer> observer;
    {
      std::lock_guard lock(mutex_);
      auto it = std::find_if(entries_.begin(), entries_.end(),
                             [token](const Entry& e) { return e.token == token; });
      if (it == entries_.end()) {
        continue;
      }
      observer = it->observer;
    }
    (*observer)();
  }
}

}  // namespace corvane::platform
