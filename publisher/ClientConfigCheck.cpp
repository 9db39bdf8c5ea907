#include "publisher/ClientConfigCheck.h"

#include "base/IniFile.h"
#include "config/ClientConfigProblems.h"
#include "config/ClientKeys.h"
#include "transfer/FeedKey.h"

namespace updater {
namespace {

class PublisherLookup : public PathLookup {
 public:
  bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const override {
    return SystemPathLookup().EnvironmentVariable(name, value);
  }
  INSTALLSTATE ComponentPath(const std::wstring&, const std::wstring& componentId,
                             std::wstring* path) const override {
    *path = L"C:\\" + componentId;
    return INSTALLSTATE_LOCAL;
  }
};

}  // namespace

ResultCode ClientConfigFileProblems(const std::wstring& path, std::vector<std::wstring>* problems) {
  IniDocument ini;
  if (const ResultCode read = IniFile(path).Read(&ini)) return read;
  for (const ClientConfigProblem& problem : ClientConfigProblems(ini, PublisherLookup())) {
    problems->push_back(problem.text);
  }
  for (const ClientKey& key : kClientKeys) {
    if (key.kind != ClientValueKind::PublicKey) continue;
    const std::vector<std::wstring> values = ini.NumberedValues(L"General", key.name);
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (CheckFeedPublicKey(values[i]) == kSuccess) continue;
      const std::wstring name = key.name + (i == 0 ? std::wstring() : std::to_wstring(i));
      problems->push_back(L"[General] " + name + L" is not a P-256 public key");
    }
  }
  return kSuccess;
}

}  // namespace updater
