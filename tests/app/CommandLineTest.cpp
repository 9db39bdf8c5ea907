#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace updater {
namespace {

const std::wstring kLinkPrefix = std::wstring(kLinkProtocolPrefix) + L"/Link";

// Every field that differs from its default, in declaration order, so that one string states the
// whole parse result and a mismatch shows exactly which field went wrong.
std::wstring Describe(const CommandLine& cl) {
  std::wstring s = L"mode=" + std::to_wstring(static_cast<int>(cl.mode));
  const auto flag = [&s](bool on, const wchar_t* name) {
    if (on) s += std::wstring(L" ") + name;
  };
  const auto text = [&s](const std::wstring& value, const wchar_t* name) {
    if (!value.empty()) s += std::wstring(L" ") + name + L"=[" + value + L"]";
  };
  flag(cl.noFrequencyCheck, L"nofreqcheck");
  text(cl.urlOverride, L"url");
  flag(cl.minimalUserActions, L"minuseractions");
  flag(cl.justDownload, L"justdownload");
  flag(cl.startMinimized, L"startminimized");
  text(cl.restartPath, L"restartapp");
  text(cl.restartArguments, L"restartappcmd");
  flag(cl.noGui, L"nogui");
  flag(cl.reducedGui, L"reducedgui");
  flag(cl.showWaitDialog, L"showaitdlg");
  flag(cl.forceMsiBasicUi, L"forcemsibasicui");
  flag(cl.startAppFirst, L"startappfirst");
  text(cl.dumpFile, L"dump");
  flag(cl.installReady, L"installready");
  if (cl.configureOwner != 0) s += L" owner=" + std::to_wstring(cl.configureOwner);
  text(cl.handOverFile, L"file");
  text(cl.credentials, L"credentials");
  flag(cl.cleanSilently, L"cleansilent");
  text(cl.serviceName, L"service");
  text(cl.settingName, L"setting");
  text(cl.settingValue, L"value");
  text(cl.settingValue2, L"value2");
  text(cl.clsid, L"clsid");
  flag(cl.registerProxyStub, L"registerproxystub");
  flag(cl.embedding, L"embedding");
  text(cl.link, L"link");
  return s;
}

// `expected` is the Describe() text of the parse, or nullptr when the line is invalid.
struct Case {
  const wchar_t* line;
  const wchar_t* expected;
};

void ExpectParses(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    CommandLine cl;
    const ResultCode result = ParseCommandLine(c.line, kLinkPrefix, &cl);
    if (c.expected == nullptr) {
      EXPECT_EQ(result, kInvalidCommandLine) << "should be invalid: " << c.line;
      continue;
    }
    EXPECT_EQ(result, kSuccess) << "should be valid: " << c.line;
    EXPECT_EQ(Describe(cl), c.expected) << "fields of: " << c.line;
  }
}

TEST(CommandLineTest, TokenizesAtBlanksAndQuotes) {
  struct TokenCase {
    const wchar_t* text;
    std::vector<std::wstring> tokens;
  };
  const TokenCase cases[] = {
      {L"", {}},
      {L" \t\r\n", {}},
      {L"/silent", {L"/silent"}},
      {L"  /silent    -nogui  ", {L"/silent", L"-nogui"}},
      {L"/silent\t-nogui", {L"/silent\t-nogui"}},
      {L"a \"b  c\" d", {L"a", L"b  c", L"d"}},
      {L"  \"x y\"  ", {L"x y"}},
      {L"\"\"", {L""}},
      {L"a \"\" b", {L"a", L"", L"b"}},
      {L"a \"b  c", {L"a", L"b  c"}},
      {L"a \"b c   ", {L"a", L"b c"}},
      {L"\"a\"b", {L"a", L"b"}},
      {L"ab\"c d\"", {L"ab\"c", L"d\""}},
      {L"\"a\\\" b\"", {L"a\\", L"b\""}},
      {L"a\t\"b c\"", {L"a\t\"b", L"c\""}},
  };
  for (const TokenCase& c : cases) {
    EXPECT_EQ(TokenizeCommandLine(c.text), c.tokens) << "text: [" << c.text << "]";
  }
}

TEST(CommandLineTest, RejectsEmptyAndUnknownFirstTokens) {
  ExpectParses({
      {L"", nullptr},
      {L"/CHECKNOW", nullptr},
      {L"/unknown", nullptr},
      {L"/silent\t-nogui", nullptr},
      {L"\t/silent ", L"mode=1"},
      {L"\"/silent\"", L"mode=1"},
  });
}

TEST(CommandLineTest, ParsesCheckFamily) {
  ExpectParses({
      {L"/checknow", L"mode=0"},
      {L"/silent", L"mode=1"},
      {L"/silentall", L"mode=2"},
      {L"/silentcritical", L"mode=3"},
      {L"/silentall -nogui -justdownload", L"mode=2 justdownload nogui"},
      {L"/silentall -nogui -reducedgui", nullptr},
      {L"/silentcritical -nofreqcheck -url u -minuseractions -justdownload -restartapp p "
       L"-restartappcmd c -nogui -showaitdlg -forcemsibasicui -startappfirst",
       L"mode=3 nofreqcheck url=[u] minuseractions justdownload restartapp=[p] restartappcmd=[c] "
       L"nogui showaitdlg forcemsibasicui startappfirst"},
      // -startappfirst is judged only after all options, so -restartapp may come later.
      {L"/checknow -startappfirst", nullptr},
      {L"/checknow -startappfirst -restartapp app.exe", L"mode=0 restartapp=[app.exe] startappfirst"},
      {L"/checknow -restartapp app.exe -startappfirst", L"mode=0 restartapp=[app.exe] startappfirst"},
      {L"/checknow -restartapp \"\" -startappfirst", nullptr},
      {L"/checknow -url", nullptr},
      {L"/checknow -minuseractions -restartappcmd", nullptr},
      {L"/checknow extra", nullptr},
      {L"/checknow -url http://a extra", nullptr},
      {L"/checknow -NoGui", nullptr},
      // A value is taken as it is, even when it looks like an option.
      {L"/checknow -restartappcmd -nogui", L"mode=0 restartappcmd=[-nogui]"},
      {L"/silentall -url http://a -url http://b", L"mode=2 url=[http://b]"},
      {L"/checknow -restartapp \"C:\\Program Files\\App\\app.exe\" -restartappcmd \"/open a.txt\"",
       L"mode=0 restartapp=[C:\\Program Files\\App\\app.exe] restartappcmd=[/open a.txt]"},
  });
}

TEST(CommandLineTest, RestrictsCheckOptionsToTheirModes) {
  const wchar_t* const switches[] = {L"/checknow", L"/silent", L"/silentall", L"/silentcritical"};
  struct Rule {
    const wchar_t* option;
    bool allowed[4];  // in the order of `switches`
  };
  const Rule rules[] = {
      {L"-nofreqcheck", {false, false, true, true}},
      {L"-minuseractions", {true, true, true, true}},
      {L"-justdownload", {false, false, true, true}},
      {L"-startminimized", {true, true, false, false}},
      {L"-nogui", {false, false, true, true}},
      {L"-reducedgui", {false, false, true, true}},
      {L"-showaitdlg", {false, false, true, true}},
      {L"-forcemsibasicui", {true, true, true, true}},
  };
  for (const Rule& rule : rules) {
    for (int i = 0; i < 4; ++i) {
      const std::wstring line = std::wstring(switches[i]) + L" " + rule.option;
      CommandLine cl;
      EXPECT_EQ(ParseCommandLine(line, kLinkPrefix, &cl),
                rule.allowed[i] ? kSuccess : kInvalidCommandLine)
          << line;
    }
  }
}

TEST(CommandLineTest, AcceptsCheckOptionsInAnyOrder) {
  const std::vector<std::vector<const wchar_t*>> groups = {
      {L"/silentall -justdownload -nofreqcheck", L"/silentall -nofreqcheck -justdownload"},
      // Written against the order the passes try them in: one option per pass.
      {L"/silentcritical -nofreqcheck -url u -minuseractions -justdownload -restartapp p "
       L"-restartappcmd c -reducedgui -showaitdlg -forcemsibasicui -startappfirst",
       L"/silentcritical -startappfirst -forcemsibasicui -showaitdlg -reducedgui -restartappcmd c "
       L"-restartapp p -justdownload -minuseractions -url u -nofreqcheck",
       L"/silentcritical -restartapp p -url u -startappfirst -nofreqcheck -reducedgui "
       L"-restartappcmd c -justdownload -showaitdlg -minuseractions -forcemsibasicui"},
      {L"/checknow -startappfirst -restartapp p -startminimized -minuseractions",
       L"/checknow -minuseractions -startminimized -restartapp p -startappfirst"},
  };
  for (const auto& group : groups) {
    CommandLine first;
    ASSERT_EQ(ParseCommandLine(group[0], kLinkPrefix, &first), kSuccess) << group[0];
    for (const wchar_t* line : group) {
      CommandLine other;
      EXPECT_EQ(ParseCommandLine(line, kLinkPrefix, &other), kSuccess) << line;
      EXPECT_EQ(Describe(other), Describe(first)) << line << " differs from " << group[0];
    }
  }
}

TEST(CommandLineTest, GivesUpAfterThirteenPasses) {
  // Each pass offers -nogui once, so a repeated option needs one pass per occurrence.
  struct Repeat {
    const wchar_t* option;
    int count;
    ResultCode result;
  };  // an option with a value also takes one pass
  const Repeat repeats[] = {
      {L" -nogui", 13, kSuccess},
      {L" -nogui", 14, kInvalidCommandLine},
      {L" -url u", 14, kInvalidCommandLine},
  };
  for (const Repeat& r : repeats) {
    std::wstring line = L"/silentall";
    for (int i = 0; i < r.count; ++i) line += r.option;
    CommandLine cl;
    EXPECT_EQ(ParseCommandLine(line, kLinkPrefix, &cl), r.result) << line;
  }
}

TEST(CommandLineTest, ParsesConfigureOwnerAsLenientDecimal) {
  ExpectParses({
      {L"/configure", L"mode=4"},
      {L"/configure 123456", L"mode=4 owner=123456"},
      {L"/configure 4294967295", L"mode=4 owner=4294967295"},
      {L"/configure \"   789\"", L"mode=4 owner=789"},
      {L"/configure 12ab34", L"mode=4 owner=12"},
      {L"/configure -5", L"mode=4"},
      {L"/configure +5", L"mode=4"},
      {L"/configure \"\"", L"mode=4"},
      {L"/configure 1 2", nullptr},
  });
}

TEST(CommandLineTest, ParsesInstallKindFileAndCredentials) {
  ExpectParses({
      {L"/install silentall C:\\t\\h.ini", L"mode=8 file=[C:\\t\\h.ini]"},
      {L"/install silent h.ini", L"mode=7 file=[h.ini]"},
      {L"/install interactive h.ini", L"mode=6 file=[h.ini]"},
      {L"/install Silent h.ini", L"mode=6 file=[h.ini]"},
      {L"/install silent \"C:\\Temp Dir\\h.ini\"", L"mode=7 file=[C:\\Temp Dir\\h.ini]"},
      {L"/install silent h.ini user:0a1b", L"mode=7 file=[h.ini] credentials=[user:0a1b]"},
      {L"/install", nullptr},
      {L"/install silent", nullptr},
      {L"/install silent h.ini user:0a1b extra", nullptr},
  });
}

TEST(CommandLineTest, ParsesCleanAndServiceSwitches) {
  ExpectParses({
      {L"/clean", L"mode=10"},
      {L"/clean silent", L"mode=10 cleansilent"},
      {L"/clean quiet", nullptr},
      {L"/clean Silent", nullptr},
      {L"/clean silent silent", nullptr},
      {L"/runservice", L"mode=13"},
      {L"/debugservice", L"mode=14"},
      {L"/installservice", L"mode=15"},
      {L"/uninstallservice", L"mode=17"},
      {L"/runservice x", nullptr},
      {L"/debugservice -name x", nullptr},
      {L"/installservice x", nullptr},
      {L"/uninstallservice x", nullptr},
      {L"/configservice -name Svc", L"mode=16 service=[Svc]"},
      {L"/configservice -name \"My Service\"", L"mode=16 service=[My Service]"},
      {L"/configservice Svc", nullptr},
      {L"/configservice -Name Svc", nullptr},
      {L"/configservice -name a b", nullptr},
      {L"/configservice", nullptr},
      {L"/runserver h.ini", L"mode=18 file=[h.ini]"},
      {L"/runserver", nullptr},
      {L"/runserver a b", nullptr},
  });
}

TEST(CommandLineTest, ParsesJustCheckOptionsLeftToRight) {
  ExpectParses({
      {L"/justcheck", L"mode=11"},
      {L"/justcheck -critical", L"mode=12"},
      {L"/justcheck -dumpdetected out.txt -url u -critical", L"mode=12 url=[u] dump=[out.txt]"},
      {L"/justcheck -installready -dumpdetected \"C:\\a b.txt\"",
       L"mode=11 dump=[C:\\a b.txt] installready"},
      {L"/justcheck -url u -installready -critical", L"mode=12 url=[u] installready"},
      {L"/justcheck -critical -critical -critical -critical -critical", L"mode=12"},
      {L"/justcheck -critical -critical -critical -critical -critical -critical", nullptr},
      {L"/justcheck -dumpdetected d -url u -critical -installready", nullptr},
      {L"/justcheck -dumpdetected", nullptr},
      {L"/justcheck -Critical", nullptr},
      {L"/justcheck -nogui", nullptr},
      {L"/justcheck extra", nullptr},
  });
}

TEST(CommandLineTest, ParsesSetWithExactTokenCounts) {
  ExpectParses({
      {L"/set loglevel Trace", L"mode=19 setting=[loglevel] value=[Trace]"},
      {L"/set proxy \"\"", L"mode=19 setting=[proxy]"},
      {L"/set downloadsfolder \"C:\\My Downloads\"",
       L"mode=19 setting=[downloadsfolder] value=[C:\\My Downloads]"},
      {L"/set rememberpassword user secret",
       L"mode=19 setting=[rememberpassword] value=[user] value2=[secret]"},
      {L"/set", nullptr},
      {L"/set loglevel", nullptr},
      {L"/set loglevel Trace extra", nullptr},
      {L"/set LogLevel Trace", nullptr},
      {L"/set colour red", nullptr},
      {L"/set rememberpassword user", nullptr},
      {L"/set rememberpassword a b c", nullptr},
  });
}

TEST(CommandLineTest, ParsesAutomationOptionsInAnyOrder) {
  ExpectParses({
      {L"/automation", L"mode=20"},
      {L"/automation -Embedding", L"mode=20 embedding"},
      {L"/automation -clsid {X} -registerproxystub -Embedding",
       L"mode=20 clsid=[{X}] registerproxystub embedding"},
      {L"/automation -Embedding -registerproxystub -clsid {X}",
       L"mode=20 clsid=[{X}] registerproxystub embedding"},
      {L"/automation -clsid -Embedding", L"mode=20 clsid=[-Embedding]"},
      {L"/automation -Embedding -Embedding -Embedding -Embedding", L"mode=20 embedding"},
      {L"/automation -clsid {X} -Embedding -registerproxystub -Embedding", nullptr},
      {L"/automation -clsid", nullptr},
      {L"/automation -embedding", nullptr},
      {L"/automation -unregister", nullptr},
  });
}

TEST(CommandLineTest, OpensLinkAfterLinkPrefix) {
  ExpectParses({
      {L"merrow-tovan-updater:/Link https://example.com/a?b=1",
       L"mode=21 link=[https://example.com/a?b=1]"},
      {L"\"merrow-tovan-updater:/Link\" \"https://example.com/a b\"",
       L"mode=21 link=[https://example.com/a b]"},
      {L"merrow-tovan-updater:/Link", nullptr},
      {L"merrow-tovan-updater:/Link a b", nullptr},
      {L"merrow-tovan-updater:/link a", nullptr},
      {L"/Link a", nullptr},
  });

  // The prefix comes from the caller, not from a constant inside the parser.
  CommandLine cl;
  EXPECT_EQ(ParseCommandLine(L"other:/Link x", L"other:/Link", &cl), kSuccess);
  EXPECT_EQ(cl.link, L"x");
  EXPECT_EQ(ParseCommandLine(L"merrow-tovan-updater:/Link x", L"other:/Link", &cl),
            kInvalidCommandLine);
}

TEST(CommandLineTest, LeavesResultUntouchedWhenInvalid) {
  CommandLine cl;
  cl.mode = RunMode::Automation;
  cl.clsid = L"kept";
  const wchar_t* const invalid[] = {L"/checknow -nogui", L"/silentall -url u extra",
                                    L"/install silent", L"/set loglevel"};
  for (const wchar_t* line : invalid) {
    EXPECT_EQ(ParseCommandLine(line, kLinkPrefix, &cl), kInvalidCommandLine) << line;
    EXPECT_EQ(Describe(cl), L"mode=20 clsid=[kept]") << line;
  }
}

}  // namespace
}  // namespace updater
