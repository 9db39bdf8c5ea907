#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;

// The run of the command server (/runserver) in the temporary copy the service started: takes one
// of the server slots of the updater, opens the command channel `ipcBaseName` and serves the
// client's commands until the client ends it. `config` is null when the service's client
// configuration could not be loaded. kServiceError (logged) when all slots are taken;
// kUnknownException when the channel cannot be opened.
ResultCode RunCommandServer(ClientConfig* config, const std::wstring& ipcBaseName);

}  // namespace updater
