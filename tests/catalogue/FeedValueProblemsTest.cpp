#include "catalogue/FeedValueProblems.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/IniFile.h"

namespace updater {
namespace {

TEST(FeedValueProblemsTest, NamesEachValueTheUpdaterCannotUseWithItsSectionAndKey) {
  // Each file is [General] (whose keys a case may go on with) and the sections given; the problem
  // lines expected, "|" between them.
  const struct { const char* keys; const wchar_t* problems; } cases[] = {
      {"[A]\nVersion=>= 1.2\nTargetOsMinVersion=10.0", L""},
      {"[A]\nVersion=new\nTargetOsMaxVersion=99999999999",
       L"[A] TargetOsMaxVersion is not a version: 99999999999|[A] Version is not a version: new"},
      {"ConfigFileVersion=x", L"[General] ConfigFileVersion is not a version: x"},
      {"[A]\nReleaseDate=45/45/2026",
       L"[A] ReleaseDate is not a real date (day/month/year): 45/45/2026"},
      {"[A]\nReleaseDate=31/4/2026",
       L"[A] ReleaseDate is not a real date (day/month/year): 31/4/2026"},
      {"[A]\nReleaseDate=29/2/2025",
       L"[A] ReleaseDate is not a real date (day/month/year): 29/2/2025"},
      {"[A]\nReleaseDate=5/3/21", L"[A] ReleaseDate is not a real date (day/month/year): 5/3/21"},
      {"[A]\nReleaseDate=29/2/1900",
       L"[A] ReleaseDate is not a real date (day/month/year): 29/2/1900"},
      {"[A]\nReleaseDate= 29/2/2000 ", L""},
      {"[A]\nReleaseDate=2026-03-05", L""},  // the loader refuses the section and says why
      {"MessageExpirationDate=2031-01-01",
       L"[General] MessageExpirationDate is not a real date (day/month/year): 2031-01-01"},
      {"MessageExpirationDate=31/12/2099", L""},
      {"[A]\nFlags=Critical|Bogus|SilentInstall",
       L"[A] Flags has a name the updater does not know, and it ignores the names after it: "
       L"Critical|Bogus|SilentInstall"},
      {"[A]\nFlags=Critical | Sys64", L""},
      {"[A]\nRolloutPercent= 25", L""},
      {"[A]\nRolloutPercent=25%",
       L"[A] RolloutPercent is not a whole number from 0 to 100 (offered to no one): 25%"},
      {"[A]\nUpdatedApplicationVersions=>= 2.0;2.0;<1.x",
       L"[A] UpdatedApplicationVersions item is not one of the operators =, >=, >, <=, < and a "
       L"version: 2.0|[A] UpdatedApplicationVersions item is not one of the operators =, >=, >, "
       L"<=, < and a version: <1.x"},
      {"[A]\nUpdatedApplications=Viewer[1.0-2.5);Viewer 1.0",
       L"[A] UpdatedApplications item is not a name and a version range such as App[1.0-2.0): "
       L"Viewer 1.0"},
      {"[A]\nRegistryKey=garbage", L"[A] RegistryKey is not ROOT\\key path\\value name: garbage"},
      {"[A]\nRegistryKey=HKLM\\T\nVersion=1",
       L"[A] RegistryKey is not ROOT\\key path\\value name: HKLM\\T"},
      {"[A]\nRegistryKey=hklm\\Software\\X\\Version\nVersion=1",
       L"[A] RegistryKey root is not one of HKLM, HKCU, HKU, HKCC, HKCR, HKUD: "
       L"hklm\\Software\\X\\Version"},
      {"[A]\nRegistryKey=HKEY_LOCAL_MACHINE\\Software\\X\\Version\nVersion=1",
       L"[A] RegistryKey root is not one of HKLM, HKCU, HKU, HKCC, HKCR, HKUD: "
       L"HKEY_LOCAL_MACHINE\\Software\\X\\Version"},
      {"[A]\nRegistryKey=HKCU\\Software\\X\\Version",
       L"[A] RegistryKey without Version is never found installed (only an HKUD key is found by "
       L"itself): HKCU\\Software\\X\\Version"},
      {"[A]\nRegistryKey=HKUD\\Software\\X\\Version", L""},
      {"[A]\nRegistryKey=HKLM\\Software\\X\\Version\nVersion==1.2", L""},
      {"[A]\nFilePath=C:\\a.exe\nRegistryKey=garbage", L""},  // FilePath decides
      {"[A]\nFilePath=[APPDIR]\\a.exe\nFileSize=0",
       L"[A] FileSize is not a number of bytes above 0: 0"},
      {"[A]\nFilePath=%ProgramFiles%\\[{1-2}c]\\a.exe\nFileSize=12", L""},
      {"[A]\nFilePath=[INSTALLDIR]\\a.exe",
       L"[A] FilePath names a property other than [APPDIR] and [{product code}component id]: "
       L"[INSTALLDIR]\\a.exe"},
      {"[A]\nCustomDetection=[X]\\check.exe",
       L"[A] CustomDetection names a property other than [APPDIR] and [{product code}component "
       L"id]: [X]\\check.exe"},
      {"[A]\nAppIdName=Pkg\nAppIdArch=arm64\nVersion=1.70000",
       L"[A] AppIdArch is not x86, x64 or neutral: arm64|[A] Version has a part above 65535, "
       L"which no app package version holds: 1.70000"},
      {"[A]\nAppIdName=Pkg\nAppIdArch=X64\nVersion=1.2", L""},
      {"[A]\nFilePath=C:\\a.exe\nVersion=<= 2.0",
       L"[A] Version operator is neither = nor >= (read as >=): <= 2.0"},
      {"[A]\nReleaseDate=0/1/2026\n[a]\nReleaseDate=0/1/2026",
       L"[A] ReleaseDate is not a real date (day/month/year): 0/1/2026"},  // first of a name
  };
  for (const auto& c : cases) {
    const std::string text = std::string(";qzu;\n[General]\n") + c.keys;
    std::wstring problems;
    for (const std::wstring& line : FeedValueProblems(ParseIniFile(text))) {
      problems += (problems.empty() ? L"" : L"|") + line;
    }
    EXPECT_EQ(c.problems, problems) << c.keys;
  }
}

}  // namespace
}  // namespace updater
