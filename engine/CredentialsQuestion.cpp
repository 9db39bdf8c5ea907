#include "engine/CredentialsQuestion.h"

#include "transfer/SourceUrl.h"

namespace updater {

std::wstring AskingServerName(const CredentialsQuestion& question) {
  if (!question.proxyHost.empty()) return question.proxyHost;
  SourceUrl parts;
  if (ParseSourceUrl(question.server, &parts) == kSuccess && !parts.host.empty()) {
    return parts.host;
  }
  return question.server;
}

}  // namespace updater
