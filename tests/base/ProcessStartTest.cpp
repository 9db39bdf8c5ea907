#include "base/ProcessStart.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

DWORD ExitCodeOf(const KernelHandle& process) {
  DWORD code = STILL_ACTIVE;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 30000));
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

// The folder given is the program's current one: the marker is found there (3), not elsewhere (4).
constexpr wchar_t kMarkerCheck[] = L"/c if exist marker.txt (exit 3) else exit 4";

TEST(ProcessStartTest, StartProgramRunsInTheFolderGivenAndReportsAMissingProgram) {
  test::TempFolder folder;
  test::WriteBytes(folder.File(L"marker.txt"), "x");
  const std::wstring cmd = SystemProgram(L"cmd.exe");
  struct Case { std::wstring program; std::wstring folder; ResultCode result; DWORD exitCode; };
  const Case cases[] = {
      {cmd, folder.Path(), kSuccess, 3},
      {folder.File(L"missing.exe"), folder.Path(), ERROR_FILE_NOT_FOUND, 0},
  };
  for (const Case& c : cases) {
    KernelHandle process;
    EXPECT_EQ(c.result, StartProgram({c.program, L"cmd " + std::wstring(kMarkerCheck), c.folder},
                                     &process))
        << test::Narrow(c.program);
    EXPECT_EQ(c.result == kSuccess, static_cast<bool>(process)) << test::Narrow(c.program);
    if (process) {
      EXPECT_EQ(c.exitCode, ExitCodeOf(process));
    }
  }
}

TEST(ProcessStartTest, OpenThroughShellRunsInTheFolderGivenAndReportsAMissingFile) {
  test::TempFolder folder;
  test::WriteBytes(folder.File(L"marker.txt"), "x");
  ShellOpen open{SystemProgram(L"cmd.exe"), kMarkerCheck, folder.Path(), SW_HIDE};
  KernelHandle process;
  ASSERT_EQ(kSuccess, OpenThroughShell(open, &process));
  ASSERT_TRUE(process);
  EXPECT_EQ(3u, ExitCodeOf(process));

  open.file = folder.File(L"missing.exe");
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_NOT_FOUND), OpenThroughShell(open, &process));
  EXPECT_FALSE(process);
}

}  // namespace
}  // namespace updater
