#include "engine/PowerShellScript.h"

#include "install/PowerShellRunner.h"

namespace updater {

bool RunPowerShellScript(const std::wstring& script, std::wstring* output) {
  PowerShellRunner runner;
  const bool ran = runner.RunScript(script);
  *output = runner.Output();
  return ran;
}

}  // namespace updater
