#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// What is wrong with the client configuration file at `path`, one line each naming the key, as
// the publisher's tool reports it: ClientConfigProblems, with the environment variables of this
// machine and any installed component standing for an absolute folder (components are installed
// on the clients, not here), and then each public key that is not a P-256 point. 0, or the error
// of reading the file.
ResultCode ClientConfigFileProblems(const std::wstring& path, std::vector<std::wstring>* problems);

}  // namespace updater
