#include "base/SystemLibrary.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// Here rather than with the base tests: the restriction holds for the rest of the process, as it
// does for the updater from its entry point on.
TEST(SystemLibraryTest, ADllBesideTheProgramIsNotLoadedByItsBareName) {
  wchar_t system[MAX_PATH] = {};
  const std::wstring name = L"\\msftedit.dll";
  const std::wstring inSystem = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + name;
  const std::wstring planted = test::ThisExecutableFolder() + name;
  ASSERT_TRUE(CopyFileW(inSystem.c_str(), planted.c_str(), FALSE));
  EXPECT_EQ(kSuccess, RestrictDllSearchToSystemFolder());
  for (const HMODULE module : {LoadLibraryW(name.c_str() + 1), LoadSystemLibrary(name.substr(1))}) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(ModuleHandle(module).Get(), path, MAX_PATH);
    EXPECT_EQ(Narrow(inSystem), Narrow(path));
  }
  DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace updater
