#pragma once
// The rate limits on the operations an attacker repeats: guessing passwords (login), flooding
// an account with reset codes (reset request) and guessing codes (reset). Each is counted per
// account and per client address. Logins and resets count only failures, so signing in often
// costs nothing; once a limit is reached, though, every attempt waits, as letting a right
// password through would let the guessing go on. Every reset request counts, as each one
// mails a code.
#include <cstdint>

#include "backend/rate_limiter.h"

namespace corvane::backend {

struct AbuseLimitPolicies {
  RateLimitPolicy loginFailuresPerAccount{10, 15 * 60};
  RateLimitPolicy loginFailuresPerAddress{50, 15 * 60};
  RateLimitPolicy resetRequestsPerAccount{3, 60 * 60};
  RateLimitPolicy resetRequestsPerAddress{10, 60 * 60};
  RateLimitPolicy wrongCodesPerAccount{10, 60 * 60};
  RateLimitPolicy wrongCodesPerAddress{20, 60 * 60};
};

struct AbuseLimits {
  AbuseLimits(const AbuseLimitPolicies& p, const RateLimiter::Clock& clock)
      : loginByAccount(p.loginFailuresPerAccount, clock),
        loginByAddress(p.loginFailuresPerAddress, clock),
        resetRequestByAccount(p.resetRequestsPerAccount, clock),
        resetRequestByAddress(p.resetRequestsPerAddress, clock),
        resetByAccount(p.wrongCodesPerAccount, clock),
        resetByAddress(p.wrongCodesPerAddress, clock) {}

  RateLimiter loginByAccount;
  RateLimiter loginByAddress;
  RateLimiter resetRequestByAccount;
  RateLimiter resetRequestByAddress;
  RateLimiter resetByAccount;
  RateLimiter resetByAddress;
};

}  // namespace corvane::backend
