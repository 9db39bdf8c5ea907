#include <gtest/gtest.h>

#include "service/IpcNames.h"

namespace updater {
namespace {

TEST(IpcNamesTest, ObjectsAreGlobalAndNamedAfterTheBase) {
  const IpcObjectNames names = MakeIpcObjectNames(L"c:_tools_updater.exe");
  EXPECT_EQ(L"Global\\srv_c:_tools_updater.exe", names.mapping);
  EXPECT_EQ(L"Global\\evt_c:_tools_updater.exe", names.commandEvent);
  EXPECT_EQ(L"Global\\evt2_c:_tools_updater.exe", names.replyEvent);
  EXPECT_EQ(L"Global\\evt3_c:_tools_updater.exe", names.readyEvent);
  EXPECT_EQ(L"Global\\mtx_c:_tools_updater.exe", names.serverMutex);
}

TEST(IpcNamesTest, GuidBaseNameIsUpperCaseHexJoinedByUnderscores) {
  const GUID guid = {0x0A1B2C3D, 0x00EF, 0xA, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_EQ(L"0A1B2C3D_00EF_000A_0123_456789ABCDEF", GuidBaseName(guid));
  const std::wstring fresh = NewIpcBaseName();
  EXPECT_EQ(36u, fresh.size()) << fresh;
  EXPECT_NE(fresh, NewIpcBaseName());
}

TEST(IpcNamesTest, LegacyBaseNameIsTheLowerCasedExecutablePathWithoutBackslashes) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Tools\\UPDATER.EXE /runservice", L"c:_tools_updater.exe"},
      {L"\"C:\\Program Files\\Merrow\\Updater.exe\" /runservice",
       L"c:_program files_merrow_updater.exe"},
      {L"  D:\\Upd\\Updater.exe/runservice", L"d:_upd_updater.exe"},
      {L"C:\\Program Files\\Updater.exe /runservice", L"c:_program"},
      {L"\"C:\\Unclosed Quote\\U.exe", L"c:_unclosed quote_u.exe"},
      {L" /runservice", L""},
      {L"", L""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(name, LegacyIpcBaseName(path)) << path;
}

TEST(IpcNamesTest, OnlyBaseNamesThatStayOneObjectNameAndOneIniValueAreValid) {
  const GUID guid = {0x0A1B2C3D, 0x00EF, 0xA, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  const std::pair<std::wstring, bool> cases[] = {
      {GuidBaseName(guid), true},
      {LegacyIpcBaseName(L"\"C:\\Program Files\\Merrow\\Updater.exe\" /runservice"), true},
      {std::wstring(200, L'x'), true},
      {std::wstring(201, L'x'), false},
      {L"", false},
      {L"a\r\nClientConfigPath=x", false},
      {L"x\\y", false},
      {L"x/y", false},
      {L"\"x\"", false},
      {L" x", false},
      {L"x ", false},
      {std::wstring(L"x\0y", 3), false},
      {L"x\x7Fy", false},
      {L"x\x85y", false},
  };
  for (const auto& [name, valid] : cases) {
    EXPECT_EQ(valid, IsValidIpcBaseName(name)) << testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace updater
