#include "catalogue/UpdateFlags.h"

#include "catalogue/UpdateInfo.h"

namespace updater {

const TokenName kUpdateFlagNames[12] = {
    {L"Critical", kUpdateCritical},
    {L"Major", kUpdateMajor},
    {L"SilentInstall", kUpdateSilentInstall},
    {L"Sys64", kUpdateSys64},
    {L"NoCache", kUpdateNoCache},
    {L"Os32Only", kUpdateOs32Only},
    {L"Os64", kUpdateOs64},
    {L"Advertises", kUpdateAdvertises},
    {L"NotSelected", kUpdateNotSelected},
    {L"IsPatch", kUpdateIsPatch},
    {L"SingleUpdate", kUpdateSingleUpdate},
    {L"NoRedetect", kUpdateNoRedetect},
};

const TokenName kAutoCloseFlagNames[3] = {
    {L"NoRestart", kAutoCloseNoRestart},
    {L"AlwaysRestart", kAutoCloseAlwaysRestart},
    {L"QueryEndSession", kAutoCloseQueryEndSession},
};

}  // namespace updater
