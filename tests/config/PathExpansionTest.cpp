#include "config/PathExpansion.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

constexpr wchar_t kProduct[] = L"{11111111-2222-3333-4444-555555555555}";

class FakeLookup : public PathLookup {
 public:
  std::map<std::wstring, std::wstring> variables;
  // Keyed by product code followed by component id.
  std::map<std::wstring, std::pair<INSTALLSTATE, std::wstring>> components;

  bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const override {
    const auto found = variables.find(name);
    if (found == variables.end()) return false;
    *value = found->second;
    return true;
  }
  INSTALLSTATE ComponentPath(const std::wstring& productCode, const std::wstring& componentId,
                             std::wstring* path) const override {
    const auto found = components.find(productCode + L"|" + componentId);
    if (found == components.end()) return INSTALLSTATE_UNKNOWN;
    if (found->second.first == INSTALLSTATE_LOCAL || found->second.first == INSTALLSTATE_SOURCE) {
      *path = found->second.second;
    }
    return found->second.first;
  }
};

FakeLookup MakeLookup() {
  FakeLookup lookup;
  lookup.variables[L"ProgramData"] = L"C:\\ProgramData";
  lookup.variables[L"EMPTY"] = L"";
  lookup.components[std::wstring(kProduct) + L"|{AAAA}"] = {INSTALLSTATE_LOCAL, L"C:\\Prog\\App"};
  lookup.components[std::wstring(kProduct) + L"|{BBBB}"] = {INSTALLSTATE_SOURCE, L"\\\\srv\\App"};
  lookup.components[std::wstring(kProduct) + L"|{CCCC}"] = {INSTALLSTATE_ABSENT, L""};
  lookup.components[std::wstring(kProduct) + L"|{DDDD}"] = {INSTALLSTATE_ADVERTISED, L""};
  return lookup;
}

TEST(PathExpansionTest, ReplacesVariablesAndProperties) {
  struct Case {
    std::wstring raw;
    std::wstring expanded;
  };
  const std::wstring product = kProduct;
  const Case cases[] = {
      {L"C:\\Plain\\Path", L"C:\\Plain\\Path"},
      {L"", L""},
      {L"%ProgramData%\\Acme\\Downloads", L"C:\\ProgramData\\Acme\\Downloads"},
      {L"%ProgramData%%EMPTY%\\x", L"C:\\ProgramData\\x"},
      {L"[APPDIR]\\Downloads", L"D:\\Apps\\Acme\\Downloads"},
      {L"[" + product + L"{AAAA}]\\bin", L"C:\\Prog\\App\\bin"},
      {L"[" + product + L"{BBBB}]", L"\\\\srv\\App"},
      {L"%ProgramData%\\[APPDIR]", L"C:\\ProgramData\\D:\\Apps\\Acme"},
      {L"100% sure", L"100% sure"},
      {L"C:\\[unclosed", L"C:\\[unclosed"},
      {L"C:\\a]b", L"C:\\a]b"},
  };
  const FakeLookup lookup = MakeLookup();
  for (const Case& c : cases) {
    std::wstring out = L"untouched";
    EXPECT_EQ(kSuccess, ExpandPath(c.raw, L"D:\\Apps\\Acme", lookup, &out)) << Narrow(c.raw);
    EXPECT_EQ(c.expanded, out) << Narrow(c.raw);
  }
}

TEST(PathExpansionTest, FailsWithoutTouchingOutputForWhatCannotBeResolved) {
  const std::wstring product = kProduct;
  const std::wstring cases[] = {
      L"%Undefined%\\Downloads",
      L"%%\\Downloads",
      L"[APPDIR]\\%Undefined%",
      L"[Appdir]\\Downloads",
      L"[]",
      L"[" + product + L"{CCCC}]\\bin",
      L"[" + product + L"{DDDD}]\\bin",
      L"[" + product + L"{EEEE}]\\bin",
      L"[{no closing brace]",
  };
  const FakeLookup lookup = MakeLookup();
  for (const std::wstring& raw : cases) {
    std::wstring out = L"untouched";
    EXPECT_EQ(kUnableToExpandPath, ExpandPath(raw, L"D:\\Apps", lookup, &out)) << Narrow(raw);
    EXPECT_EQ(L"untouched", out) << Narrow(raw);
  }
}

TEST(PathExpansionTest, SystemLookupReadsProcessEnvironment) {
  const std::wstring name = test::UniqueName(L"UPDATER_TEST_VAR");
  // Longer than MAX_PATH, so that the value is read in a second attempt.
  const std::wstring value = L"C:\\" + std::wstring(600, L'v');
  ASSERT_TRUE(SetEnvironmentVariableW(name.c_str(), value.c_str()));

  std::wstring out;
  EXPECT_EQ(kSuccess, ExpandPath(L"%" + name + L"%\\Downloads", L"", SystemPathLookup(), &out));
  EXPECT_EQ(value + L"\\Downloads", out);

  SetEnvironmentVariableW(name.c_str(), nullptr);
  out = L"untouched";
  EXPECT_EQ(kUnableToExpandPath,
            ExpandPath(L"%" + name + L"%\\Downloads", L"", SystemPathLookup(), &out));
  EXPECT_EQ(L"untouched", out);
}

TEST(PathExpansionTest, SystemLookupFailsForComponentOfMissingProduct) {
  std::wstring out = L"untouched";
  EXPECT_EQ(kUnableToExpandPath,
            ExpandPath(L"[{6F0B3C41-8E27-4A5D-9C1E-2B7D4F8A9E01}"
                       L"{0D5C2E7A-3B41-4F9C-8A6E-1C2B3D4E5F60}]\\bin",
                       L"", SystemPathLookup(), &out));
  EXPECT_EQ(L"untouched", out);
}

}  // namespace
}  // namespace updater
