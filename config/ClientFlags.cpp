#include "config/ClientFlags.h"

namespace updater {

const TokenName kClientFlagNames[9] = {
    {L"NoDisableAutoCheck", kFlagNoDisableAutoCheck},
    {L"VertSplitter", kFlagVertSplitter},
    {L"PerMachine", kFlagPerMachine},
    {L"ShowConfigOptionsButton", kFlagShowConfigOptionsButton},
    {L"UTF8", kFlagUtf8},
    {L"VerifyDigitalSignature", kFlagVerifyDigitalSignature},
    {L"NoUpdaterInstallGUI", kFlagNoUpdaterInstallGui},
    {L"InstallSummaryAlways", kFlagInstallSummaryAlways},
    {L"GitHubUpdates", kFlagGitHubUpdates},
};

const TokenName kAutoUpdatePolicyNames[4] = {
    {L"Disable", kAutoUpdatePolicyDisable},
    {L"Prompt", kAutoUpdatePolicyPrompt},
    {L"AutoAll", kAutoUpdatePolicyAutoAll},
    {L"AutoCritical", kAutoUpdatePolicyAutoCritical},
};

}  // namespace updater
