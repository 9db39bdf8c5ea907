#pragma once

#include <cstdint>

#include "base/TokenList.h"

namespace updater {

// Flags of the client configuration.
constexpr std::uint32_t kFlagNoDisableAutoCheck = 1;
constexpr std::uint32_t kFlagVertSplitter = 2;
constexpr std::uint32_t kFlagPerMachine = 4;
constexpr std::uint32_t kFlagShowConfigOptionsButton = 8;
constexpr std::uint32_t kFlagUtf8 = 16;
constexpr std::uint32_t kFlagVerifyDigitalSignature = 32;
constexpr std::uint32_t kFlagNoUpdaterInstallGui = 64;
constexpr std::uint32_t kFlagInstallSummaryAlways = 128;
constexpr std::uint32_t kFlagGitHubUpdates = 256;

// Values of the AutoUpdatePolicy setting.
constexpr std::uint32_t kAutoUpdatePolicyDisable = 0;
constexpr std::uint32_t kAutoUpdatePolicyPrompt = 1;
constexpr std::uint32_t kAutoUpdatePolicyAutoAll = 2;
constexpr std::uint32_t kAutoUpdatePolicyAutoCritical = 3;

extern const TokenName kClientFlagNames[9];
extern const TokenName kAutoUpdatePolicyNames[4];

}  // namespace updater
