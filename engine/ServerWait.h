#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;

// kServerAskedToWait, logged, while the RetryAfter time in the configuration's settings lies
// ahead; 0 otherwise. A time further ahead than any server may ask is deleted and ignored.
ResultCode HeedServerWait(const ClientConfig& config);

// Keeps the time the Retry-After `retryAfter` of a 503 or 429 answer asks for as RetryAfter;
// false, keeping nothing, when it asks for no wait.
bool RememberServerWait(const ClientConfig& config, const std::wstring& retryAfter);

// After a successful fetch the server's earlier wish no longer holds.
void ForgetServerWait(const ClientConfig& config);

}  // namespace updater
