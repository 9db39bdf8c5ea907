#include "catalogue/FeedProblems.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/IniFile.h"

namespace updater {
namespace {

TEST(FeedProblemsTest, ReportsEachProblemWithItsSection) {
  // Each file is [General] and the sections given; the problem lines expected, "|" between them.
  const struct { const char* sections; const wchar_t* problems; } cases[] = {
      {"[A]\nName=A\nURL1=u\nurl2=u\nDescriptionHtml3=d\nBugFix=b\n;signature=x", L""},
      {"[A]\nName=A\nColour=red", L"[A] unknown key Colour"},
      {"[A]\nURL01=u\nURLx=u\nSize2=1", L"[A] unknown key URL01|[A] unknown key URLx|"
                                        L"[A] unknown key Size2"},
      {"[A]\nName=A\n[General]\nName=again", L""},
      {"[A]\nDepends=Q\nReplaces=All;B;Z\nNextDeprecated=General\n[B]\nName=B",
       L"[A] Depends names no update section: Q|[A] Replaces names no update section: Z|"
       L"[A] NextDeprecated names no update section: General"},
      {"[A]\nDepends=b\n[B]\nDepends=C\n[C]\nName=C", L""},
      {"[A]\nDepends=B\n[B]\nDepends=C\n[C]\nDepends=a", L"[A] Depends cycle: A -> B -> C -> A"},
      {"[X]\nDepends=B\n[B]\nDepends=C\n[C]\nDepends=B", L"[B] Depends cycle: B -> C -> B"},
      {"[A]\nDepends=A", L"[A] Depends cycle: A -> A"},
  };
  for (const auto& c : cases) {
    const std::string text = std::string(";qzu;\n[General]\nConfigFileVersion=1.0\n") + c.sections;
    std::wstring problems;
    for (const std::wstring& line : FeedKeyProblems(ParseIniFile(text))) {
      problems += (problems.empty() ? L"" : L"|") + line;
    }
    EXPECT_EQ(c.problems, problems) << c.sections;
  }
  const std::string general = ";qzu;\n[General]\nConfigFileVersion=x\nMessageTitle=t\nTheme=dark";
  EXPECT_EQ(std::vector<std::wstring>{L"[General] unknown key Theme"},
            FeedKeyProblems(ParseIniFile(general)));
}

}  // namespace
}  // namespace updater
