#include "engine/NetworkCost.h"

#include <netlistmgr.h>

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(NetworkCostTest, ChargedOverTheLimitOrRoamingIsMeteredAndUnrestrictedOrUnknownNot) {
  const std::pair<DWORD, bool> cases[] = {
      {NLM_CONNECTION_COST_UNKNOWN, false},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_CONGESTED, false},
      {NLM_CONNECTION_COST_FIXED, true},
      {NLM_CONNECTION_COST_VARIABLE, true},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_OVERDATALIMIT, true},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_ROAMING, true},
  };
  for (const auto& [cost, metered] : cases) EXPECT_EQ(metered, IsMeteredCost(cost)) << cost;
}

}  // namespace
}  // namespace updater
