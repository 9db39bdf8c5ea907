#include "config/ClientConfigProblems.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/IniFile.h"
#include "config/FakePathLookup.h"

namespace updater {
namespace {

using test::Narrow;

// Each problem as a line: "?" for a key or section not read, "-" for a missing one, "!" for a
// value not taken as meant.
std::string Report(const std::wstring& text) {
  std::string report;
  for (const ClientConfigProblem& problem :
       ClientConfigProblems(ParseIniFile(Narrow(text)), FakeLookup())) {
    const char kind = problem.kind == ClientProblemKind::UnknownKey ? '?'
                      : problem.kind == ClientProblemKind::Missing  ? '-'
                                                                    : '!';
    report += kind + Narrow(problem.text) + "\n";
  }
  return report;
}

TEST(ClientConfigProblemsTest, NamesEachKeyNotReadMissingOrNotTakenAsMeant) {
  const std::wstring complete = L"[General]\r\nID=A\r\nURL=http://a/u.ini\r\nAppDir=C:\\A\r\n";
  const std::wstring folder = L"DownloadsFolder=[APPDIR]\\D\r\n";
  const std::pair<std::wstring, const char*> cases[] = {
      {complete + folder, ""},
      {complete + folder + L";a comment\r\n; FeedPublicKy=x\r\nurl1=http://b/u.ini\r\n", ""},
      {complete + folder + L"FeedPublicKy=BASE64\r\n", "?[General] unknown key FeedPublicKy\n"},
      {complete + folder + L"URL1=http://b/u.ini\r\nURL3=http://c/u.ini\r\nURL01=x\r\n",
       "![General] URL3 is not read: URL2 is missing or empty\n?[General] unknown key URL01\n"},
      {complete + folder + L"FeedPublicKey=A\r\nFeedPublicKey1=B\r\nFeedPublicKey3=C\r\n",
       "![General] FeedPublicKey3 is not read: FeedPublicKey2 is missing or empty\n"},
      {L"[General]\r\nID=A\r\nURL2=http://a/u.ini\r\nAppDir=C:\\A\r\n" + folder,
       "![General] URL2 is not read: URL1 is missing or empty\n-[General] URL is missing\n"},
      {complete + folder + L"Flags=PerMachine|VerifyDigitalSignatur| utf8 |\r\n",
       "![General] Flags holds an unknown flag: VerifyDigitalSignatur\n"
       "![General] Flags holds an unknown flag: utf8\n"
       "![General] Flags holds an unknown flag: (empty)\n"},
      {complete + folder + L"Flags= UTF8 | GitHubUpdates\r\nCheckFrequency= -7\r\n", ""},
      {complete + folder + L"CheckFrequency=weekly\r\n",
       "![General] CheckFrequency is not a whole number: weekly\n"},
      {complete + folder + L"Language=pt-BR\r\n", ""},
      {complete + folder + L"Language=de_DE\r\n",
       "![General] Language is not a language tag: de_DE\n"},
      {complete + folder + L"Language=" + std::wstring(86, L'a') + L"\r\n",
       "![General] Language is not a language tag: "
       "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"},
      {complete + folder + L"CheckFrequency=10days\r\n",
       "![General] CheckFrequency is not a whole number: 10days\n"},
      {L"[General]\r\nID=A\r\nURL=u\r\nAppDir=App\r\n" + folder,
       "![General] AppDir is not an absolute path: App\n"
       "![General] DownloadsFolder is not an absolute path: App\\D\n"},
      {L"[General]\r\nID=A\r\nURL=u\r\nAppDir=%NOPE%\\A\r\nDownloadsFolder=%EMPTY%D\r\n",
       "![General] AppDir cannot be expanded: %NOPE%\\A\n"
       "![General] DownloadsFolder is not an absolute path: D\n"},
      {L"[General]\r\nID=A\r\nURL=u\r\nAppDir=[{P}{LOCAL}]\r\nDownloadsFolder=[APPDIR]\\D\r\n",
       ""},
      {L"[General]\r\nID=A\r\nURL=u\r\nDownloadsFolder=%ProgramData%\\D\r\n",
       "-[General] AppDir is missing\n"},
      {L"[General]\r\nURL=\r\n",
       "-[General] ID is missing\n-[General] URL is missing\n-[General] AppDir is missing\n"
       "-[General] DownloadsFolder is missing\n"},
      {L"ID=A\r\n[Genral]\r\nURL=u\r\n",
       "?[Genral] is not read: the updater reads only [General]\n"
       "?[General] ID is not read: it stands before the [General] line\n"
       "-[General] section is missing\n-[General] ID is missing\n-[General] URL is missing\n"
       "-[General] AppDir is missing\n-[General] DownloadsFolder is missing\n"},
      {complete + folder + L"[general]\r\nFlags=PerMachine\r\n",
       "?[general] is not read: only the first [General] is\n"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(expected, Report(text)) << Narrow(text);
  }
}

}  // namespace
}  // namespace updater
