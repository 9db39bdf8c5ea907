#include "engine/NetworkCost.h"

#include <netlistmgr.h>
#include <objbase.h>

#include "base/UniqueHandle.h"

namespace updater {

bool IsMeteredCost(DWORD cost) {
  return (cost & (NLM_CONNECTION_COST_FIXED | NLM_CONNECTION_COST_VARIABLE |
                  NLM_CONNECTION_COST_OVERDATALIMIT | NLM_CONNECTION_COST_ROAMING)) != 0;
}

bool IsConnectionMetered() {
  INetworkCostManager* raw = nullptr;
  if (FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                              IID_INetworkCostManager, reinterpret_cast<void**>(&raw)))) {
    return false;
  }
  const CountedRef<INetworkCostManager> manager(raw);
  DWORD cost = NLM_CONNECTION_COST_UNKNOWN;
  // No destination: the cost of the machine's connection as a whole.
  if (FAILED(manager.Get()->GetCost(&cost, nullptr))) return false;
  return IsMeteredCost(cost);
}

}  // namespace updater
