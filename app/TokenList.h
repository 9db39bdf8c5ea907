#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace updater {

struct TokenName {
  const wchar_t* name;
  std::uint32_t value;
};

// Parses "|"-separated names, each trimmed of white space and looked up case-sensitively in
// `table`, into the OR of their values. An empty text or a name not in the table fails; the names
// after it are not looked at and `value` keeps what was ORed before it.
bool ParseTokenList(const std::wstring& text, const TokenName* table, std::size_t count,
                    std::uint32_t* value);

template <std::size_t N>
bool ParseTokenList(const std::wstring& text, const TokenName (&table)[N], std::uint32_t* value) {
  return ParseTokenList(text, table, N, value);
}

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
extern const TokenName kLogLevelNames[5];
extern const TokenName kAutoUpdatePolicyNames[4];

}  // namespace updater
