#include "engine/NetworkCost.h"

#include <netlistmgr.h>

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(NetworkCostTest, ChargedOverTheLimitOrRoamingIsMeteredAndUnrestrictedOrUnknownNot) {
  struct Case { DWORD cost; bool metered; };
  const Case cases[] = {
      {NLM_CONNECTION_COST_UNKNOWN, false},
      {NLM_CONNECTION_COST_UNRESTRICTED, false},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_CONGESTED, false},
      {NLM_CONNECTION_COST_FIXED, true},
      {NLM_CONNECTION_COST_VARIABLE, true},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_OVERDATALIMIT, true},
      {NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_ROAMING, true},
      {NLM_CONNECTION_COST_FIXED | NLM_CONNECTION_COST_APPROACHINGDATALIMIT, true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.metered, IsMeteredCost(c.cost)) << std::hex << c.cost;
}

}  // namespace
}  // namespace updater
