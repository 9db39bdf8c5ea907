#include "app/PathExpansion.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// Two variables, and components of product {P} named after their install state; only those
// installed locally or from source have a path.
class FakeLookup : public PathLookup {
 public:
  bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const override {
    *value = name == L"ProgramData" ? L"C:\\ProgramData" : L"";
    return name == L"EMPTY" || name == L"ProgramData";
  }
  INSTALLSTATE ComponentPath(const std::wstring& product, const std::wstring& component,
                             std::wstring* path) const override {
    *path = L"C:\\" + component;
    if (product != L"{P}") return INSTALLSTATE_UNKNOWN;
    return component == L"{LOCAL}"    ? INSTALLSTATE_LOCAL
           : component == L"{SOURCE}" ? INSTALLSTATE_SOURCE
           : component == L"{ABSENT}" ? INSTALLSTATE_ABSENT
                                      : INSTALLSTATE_ADVERTISED;
  }
};

TEST(PathExpansionTest, ReplacesVariablesAndPropertiesOrFailsWithoutTouchingTheOutput) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Plain\\Path", L"C:\\Plain\\Path"},
      {L"%ProgramData%%EMPTY%\\x", L"C:\\ProgramData\\x"},
      {L"[APPDIR]\\Downloads", L"D:\\Apps\\Downloads"},
      {L"[{P}{LOCAL}]\\bin", L"C:\\{LOCAL}\\bin"},
      {L"[{P}{SOURCE}]", L"C:\\{SOURCE}"},
      {L"%ProgramData%\\[APPDIR]", L"C:\\ProgramData\\D:\\Apps"},
      {L"100% sure", L"100% sure"},
      {L"C:\\[unclosed", L"C:\\[unclosed"},
      {L"C:\\a]b", L"C:\\a]b"},
      {L"%Undefined%\\Downloads", nullptr},
      {L"%%\\Downloads", nullptr},
      {L"[APPDIR]\\%Undefined%", nullptr},
      {L"[Appdir]\\Downloads", nullptr},
      {L"[]", nullptr},
      {L"[{P}{ABSENT}]\\bin", nullptr},
      {L"[{P}{ADVERTISED}]\\bin", nullptr},
      {L"[{Q}{LOCAL}]\\bin", nullptr},
      {L"[{no closing brace]", nullptr},
  };
  for (const auto& [raw, expanded] : cases) {
    std::wstring out = L"untouched";
    EXPECT_EQ(expanded != nullptr ? kSuccess : kUnableToExpandPath,
              ExpandPath(raw, L"D:\\Apps", FakeLookup(), &out))
        << Narrow(raw);
    EXPECT_EQ(expanded != nullptr ? expanded : L"untouched", out) << Narrow(raw);
  }
}

TEST(PathExpansionTest, SystemLookupReadsTheProcessEnvironmentAndInstalledComponents) {
  const std::wstring name = test::UniqueName(L"UPDATER_TEST_VAR");
  // Longer than MAX_PATH, so that the value is read in a second attempt.
  const std::wstring value = L"C:\\" + std::wstring(600, L'v');
  ASSERT_TRUE(SetEnvironmentVariableW(name.c_str(), value.c_str()));
  std::wstring out;
  EXPECT_EQ(kSuccess, ExpandPath(L"%" + name + L"%\\D", L"", SystemPathLookup(), &out));
  EXPECT_EQ(value + L"\\D", out);
  SetEnvironmentVariableW(name.c_str(), nullptr);
  EXPECT_EQ(kUnableToExpandPath, ExpandPath(L"%" + name + L"%", L"", SystemPathLookup(), &out));
  EXPECT_EQ(kUnableToExpandPath, ExpandPath(L"[{6F0B3C41-8E27-4A5D-9C1E-2B7D4F8A9E01}"
                                            L"{0D5C2E7A-3B41-4F9C-8A6E-1C2B3D4E5F60}]\\bin",
                                            L"", SystemPathLookup(), &out));
}

}  // namespace
}  // namespace updater
