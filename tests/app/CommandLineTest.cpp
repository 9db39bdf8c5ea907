#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "notify/ToastXml.h"

namespace updater {
namespace {

const std::wstring kLinkPrefix = std::wstring(kUrlScheme) + L":/Link";

// Every field that differs from its default, in declaration order, so that one string states the
// whole parse result and a mismatch shows exactly which field went wrong.
std::wstring Describe(const CommandLine& cl) {
  using C = CommandLine;
  static const struct {
    const wchar_t* name;
    bool C::*flag;
    std::wstring C::*text = nullptr;
  } kFields[] = {
      {L"nofreqcheck", &C::noFrequencyCheck}, {L"url", nullptr, &C::urlOverride},
      {L"minuseractions", &C::minimalUserActions}, {L"justdownload", &C::justDownload},
      {L"startminimized", &C::startMinimized}, {L"restartapp", nullptr, &C::restartPath},
      {L"restartappcmd", nullptr, &C::restartArguments}, {L"nogui", &C::noGui},
      {L"reducedgui", &C::reducedGui}, {L"showaitdlg", &C::showWaitDialog},
      {L"forcemsibasicui", &C::forceMsiBasicUi}, {L"startappfirst", &C::startAppFirst},
      {L"wait", &C::wait},
      {L"dump", nullptr, &C::dumpFile}, {L"installready", &C::installReady},
      {L"file", nullptr, &C::handOverFile}, {L"credentials", nullptr, &C::credentials},
      {L"cleansilent", &C::cleanSilently}, {L"service", nullptr, &C::serviceName},
      {L"setting", nullptr, &C::settingName}, {L"value", nullptr, &C::settingValue},
      {L"value2", nullptr, &C::settingValue2}, {L"clsid", nullptr, &C::clsid},
      {L"registerproxystub", &C::registerProxyStub}, {L"embedding", &C::embedding},
      {L"unregserver", &C::unregisterServer}, {L"link", nullptr, &C::link},
  };
  std::wstring s = L"mode=" + std::to_wstring(static_cast<int>(cl.mode));
  if (cl.configureOwner != 0) s += L" owner=" + std::to_wstring(cl.configureOwner);
  for (const auto& field : kFields) {
    if (field.flag != nullptr && cl.*field.flag) s += std::wstring(L" ") + field.name;
    if (field.text != nullptr && !(cl.*field.text).empty()) {
      s += std::wstring(L" ") + field.name + L"=[" + cl.*field.text + L"]";
    }
  }
  return s;
}

// `expected` is the Describe() text of the parse, or nullptr when the line is invalid; an invalid
// line must leave the caller's result as it was.
struct Case {
  std::wstring line;
  const wchar_t* expected;
};

void ExpectParses(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    CommandLine cl;
    cl.mode = RunMode::Automation;
    cl.clsid = L"kept";
    const ResultCode result = ParseCommandLine(c.line, kLinkPrefix, &cl);
    EXPECT_EQ(c.expected == nullptr ? kInvalidCommandLine : kSuccess, result) << c.line;
    EXPECT_EQ(c.expected == nullptr ? L"mode=20 clsid=[kept]" : c.expected, Describe(cl))
        << c.line;
  }
}

// Tokens end at blanks (not tabs) and quotes, which do not nest and have no escape.
TEST(CommandLineTest, TokenizesAtBlanksAndQuotes) {
  ExpectParses({
      {L" \t\r\n", nullptr},
      {L"\r\n\v\f /silentall    -nogui \t\f\v\r\n", L"mode=2 nogui"},
      {L"/silent\t-nogui", nullptr},
      {L"\"/silent\"", L"mode=1"},
      {L"/set proxy \"b  c\"", L"mode=19 setting=[proxy] value=[b  c]"},
      {L"/set proxy \"\"", L"mode=19 setting=[proxy]"},
      {L"/set proxy \"b c   ", L"mode=19 setting=[proxy] value=[b c]"},
      {L"/set \"proxy\"x", L"mode=19 setting=[proxy] value=[x]"},
      {L"/runserver a\"b", L"mode=18 file=[a\"b]"},
      {L"/set rememberpassword \"a\\\" b\"",
       L"mode=19 setting=[rememberpassword] value=[a\\] value2=[b\"]"},
  });
}

TEST(CommandLineTest, ParsesTheCheckFamilyAndRejectsBadCombinations) {
  // Each pass offers an option once, so a repeated option needs one pass per occurrence.
  std::wstring thirteen = L"/silentall", fourteenUrls = L"/silentall";
  for (int i = 0; i < 13; ++i) thirteen += L" -nogui";
  for (int i = 0; i < 14; ++i) fourteenUrls += L" -url u";
  ExpectParses({
      {L"", nullptr},
      // Only the modes that install everything take these; only those with a window minimize.
      {L"/silent -nofreqcheck", nullptr},
      {L"/checknow -justdownload", nullptr},
      {L"/silent -nogui", nullptr},
      {L"/checknow -reducedgui", nullptr},
      {L"/silent -showaitdlg", nullptr},
      {L"/silentall -startminimized", nullptr},
      {L"/silent -startminimized -minuseractions -forcemsibasicui",
       L"mode=1 minuseractions startminimized forcemsibasicui"},
      {L"/silentcritical -nofreqcheck -url u -minuseractions -justdownload -restartapp p "
       L"-restartappcmd c -nogui -showaitdlg -forcemsibasicui -startappfirst",
       L"mode=3 nofreqcheck url=[u] minuseractions justdownload restartapp=[p] restartappcmd=[c] "
       L"nogui showaitdlg forcemsibasicui startappfirst"},
      // Written against the order the passes try them in: one option per pass.
      {L"/silentcritical -startappfirst -forcemsibasicui -showaitdlg -reducedgui -restartappcmd c "
       L"-restartapp p -justdownload -minuseractions -url u -nofreqcheck",
       L"mode=3 nofreqcheck url=[u] minuseractions justdownload restartapp=[p] restartappcmd=[c] "
       L"reducedgui showaitdlg forcemsibasicui startappfirst"},
      // -startappfirst is judged only after all options, so -restartapp may come later.
      {L"/checknow -startappfirst", nullptr},
      {L"/checknow -startappfirst -restartapp a", L"mode=0 restartapp=[a] startappfirst"},
      {L"/checknow -restartapp \"\" -startappfirst", nullptr},
      {L"/checknow -minuseractions -restartappcmd", nullptr},
      {L"/checknow -url http://a extra", nullptr},
      // A value is taken as it is, even when it looks like an option.
      {L"/checknow -restartappcmd -nogui", L"mode=0 restartappcmd=[-nogui]"},
      {L"/silentall -url http://a -url http://b", L"mode=2 url=[http://b]"},
      {thirteen, L"mode=2 nogui"},
      {thirteen + L" -nogui", nullptr},
      {fourteenUrls, nullptr},
  });
}

// A script may wait for the silent modes only; a log level is its names or the mask as stored,
// since anything else would store 0, no log at all (SetSettingTest has the parser's other rows).
TEST(CommandLineTest, TakesWaitInTheSilentModesAndALogLevelAsNamesOrNumber) {
  ExpectParses({
      {L"/silent -wait", L"mode=1 wait"},
      {L"/silentall -wait -nogui -nofreqcheck", L"mode=2 nofreqcheck nogui wait"},
      {L"/silentcritical -reducedgui -wait", L"mode=3 reducedgui wait"},
      {L"/checknow -wait", nullptr},
      {L"/justcheck -wait", nullptr},
      {L"/set loglevel Error|Trace", L"mode=19 setting=[loglevel] value=[Error|Trace]"},
      {L"/set loglevel 0XfF", L"mode=19 setting=[loglevel] value=[0XfF]"},
      {L"/set loglevel 0xFFFFFFFF", L"mode=19 setting=[loglevel] value=[0xFFFFFFFF]"},
      {L"/set loglevel 4294967296", nullptr},
      {L"/set loglevel -1", nullptr},
      {L"/set loglevel 15x", nullptr},
      {L"/set autoupdatepolicy Never", nullptr},
  });
}

// The log of a refused line names the token to change, or the one an argument should follow.
TEST(CommandLineTest, NamesWhereARefusedLineGoesWrong) {
  const struct { const wchar_t *line, *rejection; } cases[] = {
      {L"", L"it is empty"},
      {L"/bogus -nogui", L"\"/bogus\""},
      {L"/silentall -nogui -reducedgui -wait", L"\"-reducedgui\""},
      {L"/checknow -url u -wait", L"\"-wait\""},
      {L"/silentall -nogui -url", L"an argument is missing after \"-url\""},
      {L"/checknow -startappfirst", L"\"-startappfirst\""},
      {L"/set loglevel Verbose", L"\"Verbose\""},
      {L"/set retryattempts 1 2", L"\"2\""},
      {L"/justcheck -critical -nogui", L"\"-nogui\""},
      {L"merrow-tovan-updater:/Link a b", L"\"b\""},
  };
  for (const auto& c : cases) {
    CommandLine cl;
    std::wstring rejection;
    EXPECT_EQ(kInvalidCommandLine, ParseCommandLine(c.line, kLinkPrefix, &cl, &rejection))
        << c.line;
    EXPECT_EQ(std::wstring(L"Command line not understood: ") + c.rejection, rejection) << c.line;
  }
}

// The usage text shows each check mode with the options it takes, and not the switches the
// updater passes to itself.
TEST(CommandLineTest, UsageShowsEachModeWithTheOptionsItTakes) {
  std::wstring usage;
  for (const std::wstring& line : UsageLines()) usage += line + L"\n";
  const auto lineOf = [&usage](const std::wstring& mode) {
    const std::size_t at = usage.find(L"  " + mode + L" ");
    return at == std::wstring::npos ? std::wstring() : usage.substr(at, usage.find(L'\n', at) - at);
  };
  EXPECT_NE(std::wstring::npos, lineOf(L"/silentall").find(L" [-nogui] [-reducedgui]"));
  EXPECT_NE(std::wstring::npos, lineOf(L"/silent").find(L" [-url URL]"));
  EXPECT_NE(std::wstring::npos, lineOf(L"/silent").find(L" [-wait]"));
  EXPECT_EQ(std::wstring::npos, lineOf(L"/checknow").find(L" [-wait]"));
  EXPECT_EQ(L"", lineOf(L"/install"));
}

TEST(CommandLineTest, ParsesTheOtherSwitchesWithTheirExactArguments) {
  ExpectParses({
      {L"/configure 4294967295", L"mode=4 owner=4294967295"},
      {L"/configure \"   789\"", L"mode=4 owner=789"},
      {L"/configure 12ab34", L"mode=4 owner=12"},
      {L"/configure 1 2", nullptr},
      {L"/install silent h.ini user:0a1b", L"mode=7 file=[h.ini] credentials=[user:0a1b]"},
      {L"/install silentcritical h.ini", L"mode=9 file=[h.ini]"},
      {L"/install Silent h.ini", L"mode=6 file=[h.ini]"},
      {L"/install silent h.ini user:0a1b extra", nullptr},
      {L"/clean Silent", nullptr},
      {L"/runservice", L"mode=13"},
      {L"/debugservice", L"mode=14"},
      {L"/installservice", L"mode=15"},
      {L"/uninstallservice", L"mode=17"},
      {L"/runservice x", nullptr},
      {L"/configservice -name \"My Service\"", L"mode=16 service=[My Service]"},
      {L"/configservice -Name Svc", nullptr},
      {L"/configservice -name a b", nullptr},
      {L"/runserver h.ini", L"mode=18 file=[h.ini]"},
      {L"/runserver a b", nullptr},
      {L"/justcheck -dumpdetected out.txt -url u -critical", L"mode=12 url=[u] dump=[out.txt]"},
      {L"/justcheck -url u -installready", L"mode=11 url=[u] installready"},
      {L"/justcheck -critical -critical -critical -critical -critical", L"mode=12"},
      {L"/justcheck -critical -critical -critical -critical -critical -critical", nullptr},
      {L"/justcheck -dumpdetected", nullptr},
      {L"/justcheck -nogui", nullptr},
      {L"/set rememberpassword user secret",
       L"mode=19 setting=[rememberpassword] value=[user] value2=[secret]"},
      {L"/set", nullptr},
      {L"/set loglevel Trace extra", nullptr},
      {L"/set LogLevel Trace", nullptr},
      {L"/set rememberpassword user", nullptr},
      {L"/automation -Embedding -registerproxystub -clsid {X}",
       L"mode=20 clsid=[{X}] registerproxystub embedding"},
      {L"/automation -clsid -Embedding", L"mode=20 clsid=[-Embedding]"},
      {L"/automation -unregserver -clsid {X}", L"mode=20 clsid=[{X}] unregserver"},
      {L"/automation -Embedding -Embedding -Embedding -Embedding", L"mode=20 embedding"},
      {L"/automation -clsid {X} -Embedding -registerproxystub -Embedding", nullptr},
      {L"/automation -clsid", nullptr},
      {L"\"merrow-tovan-updater:/Link\" \"https://example.com/a b\"",
       L"mode=21 link=[https://example.com/a b]"},
      {L"merrow-tovan-updater:/Link", nullptr},
      {L"merrow-tovan-updater:/Link a b", nullptr},
      {L"merrow-tovan-updater:/link a", nullptr},
  });
  // The link prefix comes from the caller, not from a constant inside the parser.
  CommandLine cl;
  EXPECT_EQ(kSuccess, ParseCommandLine(L"other:/Link x", L"other:/Link", &cl));
  EXPECT_EQ(L"x", cl.link);
}

TEST(CommandLineTest, EachCheckHandsOverAKindItsTemporaryCopyRunsAs) {
  // The check, the mode of the copy it starts (no copy: the check itself).
  const std::pair<RunMode, RunMode> cases[] = {
      {RunMode::CheckNow, RunMode::Install},
      {RunMode::Silent, RunMode::InstallSilent},
      {RunMode::SilentAll, RunMode::InstallSilentAll},
      {RunMode::SilentCritical, RunMode::InstallSilentCritical},
      {RunMode::JustCheck, RunMode::JustCheck},
      {RunMode::Install, RunMode::Install},
      {RunMode::Clean, RunMode::Clean},
  };
  for (const auto& [check, copy] : cases) {
    const std::wstring kind = TemporaryCopyKind(check);
    EXPECT_EQ(check == copy, kind.empty()) << static_cast<int>(check);
    if (kind.empty()) continue;
    EXPECT_EQ(static_cast<int>(copy), static_cast<int>(CopyModeOf(check)));
    CommandLine cl;
    ASSERT_EQ(kSuccess, ParseCommandLine(L"/install " + kind + L" h.ini", kLinkPrefix, &cl));
    EXPECT_EQ(static_cast<int>(copy), static_cast<int>(cl.mode)) << static_cast<int>(check);
  }
}

}  // namespace
}  // namespace updater
