#include "config/ClientFlags.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

struct TokenCase {
  const wchar_t* text;
  bool parses;
  std::uint32_t value;
};

template <std::size_t N>
void ExpectParses(const TokenName (&table)[N], std::initializer_list<TokenCase> cases) {
  for (const TokenCase& c : cases) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(c.parses, ParseTokenList(c.text, table, &value)) << "\"" << Narrow(c.text) << "\"";
    EXPECT_EQ(c.value, value) << "\"" << Narrow(c.text) << "\"";
  }
}

TEST(TokenListTest, OrsNamesAndTrimsWhiteSpaceAroundBars) {
  ExpectParses(kClientFlagNames, {
                                     {L"PerMachine|UTF8", true, 20},
                                     {L"  PerMachine\t|\tUTF8  ", true, 20},
                                     {L"UTF8|PerMachine|UTF8", true, 20},
                                     {L"NoDisableAutoCheck|VertSplitter|PerMachine|"
                                      L"ShowConfigOptionsButton|UTF8|VerifyDigitalSignature|"
                                      L"NoUpdaterInstallGUI|InstallSummaryAlways|GitHubUpdates",
                                      true, 511},
                                 });
}

TEST(TokenListTest, StopsAtFirstUnknownPartKeepingWhatCameBefore) {
  ExpectParses(kClientFlagNames, {
                                     {L"PerMachine|Bogus|UTF8", false, 4},
                                     {L"Bogus|UTF8", false, 0},
                                     {L"", false, 0},
                                     {L"   ", false, 0},
                                     {L"PerMachine|", false, 4},
                                     {L"|PerMachine", false, 0},
                                     {L"PerMachine||UTF8", false, 4},
                                     {L"UTF8|utf8", false, 16},
                                     {L"Per Machine", false, 0},
                                 });
}

TEST(TokenListTest, ReadsLogLevelsAndUpdatePolicies) {
  ExpectParses(kLogLevelNames, {
                                   {L"Off", true, 0},
                                   {L"Error|Info|Debug|Trace", true, 15},
                                   {L"Info|Verbose|Trace", false, 2},
                                   {L"error", false, 0},
                               });
  ExpectParses(kAutoUpdatePolicyNames, {
                                           {L"Disable", true, 0},
                                           {L"AutoCritical", true, 3},
                                           {L"Never", false, 0},
                                       });
}

}  // namespace
}  // namespace updater
