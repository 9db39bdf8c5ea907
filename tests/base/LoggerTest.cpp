#include "base/Logger.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "base/LogLine.h"

namespace updater {
namespace {

using test::Narrow;

// The file's text after the byte-order mark, which must be there.
std::wstring ReadLogText(const std::wstring& path) {
  const std::string bytes = test::ReadFileBytes(path);
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2)) << Narrow(path);
  EXPECT_EQ(0u, bytes.size() % 2) << "the file must hold whole UTF-16 characters";
  std::wstring text(bytes.size() < 2 ? 0 : (bytes.size() - 2) / 2, L'\0');
  std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
  return text;
}

TEST(LogLineTest, PadsContextToTheMessageColumn) {
  const SYSTEMTIME early = {987, 1, 0, 2, 3, 4, 5, 6};
  const SYSTEMTIME late = {2024, 12, 0, 31, 23, 59, 58, 999};
  const std::wstring head = L"# 2024-12-31 23-59-58 [PID=7|Thread=9] ";  // 39 characters
  const std::wstring c80(80, L'c'), c81(81, L'c');
  struct Case {
    SYSTEMTIME time;
    DWORD processId, threadId;
    std::wstring context, message, expected;
  };
  const Case cases[] = {
      {early, 7, 9, L"", L"text\r\n",
       L"# 0987-01-02 03-04-05 [PID=7|Thread=9] " + std::wstring(81, L' ') + L"|\t\ttext\r\n"},
      {late, 4294967295u, 4000000000u, L"ctx", L"text",
       L"# 2024-12-31 23-59-58 [PID=4294967295|Thread=4000000000] ctx" + std::wstring(60, L' ') +
           L"|\t\ttext\r\n"},
      {late, 7, 9, c80, L"text", head + c80 + L" |\t\ttext\r\n"},
      {late, 7, 9, c81, L"text", head + c81 + L" |\t\ttext\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Narrow(c.expected),
              Narrow(FormatLogLine(c.time, c.processId, c.threadId, c.context, c.message)));
  }
}

TEST(LoggerTest, FallbackNamesEndInLog) {
  struct Case {
    const wchar_t *fileName, *exePath, *expectedName, *expectedBeside;
  };
  const Case cases[] = {
      {L"", L"C:\\Program Files\\Tovan\\Up.date.exe", L"Up.date.LOG",
       L"C:\\Program Files\\Tovan\\Up.date.LOG"},
      {L"", L"C:\\tools.v2\\Updater", L"Updater.LOG", L"C:\\tools.v2\\Updater.LOG"},
      {L"custom.txt", L"C:\\x\\Updater.exe", L"custom.txt", L"C:\\x\\Updater.LOG"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expectedName, FallbackLogFileName(c.fileName, c.exePath)) << Narrow(c.exePath);
    EXPECT_EQ(c.expectedBeside, WithLogExtension(c.exePath)) << Narrow(c.exePath);
  }
}

TEST(LoggerTest, NewFileStartsWithTheBannerAndKeepsItsPathOnceOpen) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"updater.log");
  {
    Logger logger;
    logger.SetLogFile(path);
    logger.Write(L"", std::wstring(1000, L'm'));  // more than one buffer, yet one line
    logger.SetLogFile(folder.File(L"other.log"));
    logger.Write(L"", L"after the path changed");
    EXPECT_EQ(Narrow(path), Narrow(logger.LogPath()));
  }
  EXPECT_FALSE(test::FileExists(folder.File(L"other.log")));
  const std::wregex log(
      L"\r\n<< Tovanix \\(x86\\) Log >>\r\nOS Version: \\d+\\.\\d+\\.\\d+ SP\\d+ "
      L"\\((workstation|server)\\) \\[(x64|x86)\\]\r\nCPU: \\S(.*\\S)?\r\n\r\n"
      L"# (?=.{118}\\|)[-0-9 ]{19} \\[PID=(\\d+)\\|Thread=(\\d+)\\] +\\|\t\tm{1000}\r\n"
      L"# .{118}\\|\t\tafter the path changed\r\n");
  const std::wstring text = ReadLogText(path);
  std::wsmatch match;
  ASSERT_TRUE(std::regex_match(text, match, log)) << Narrow(text);
  EXPECT_EQ(std::to_wstring(GetCurrentProcessId()), match[4].str());
  EXPECT_EQ(std::to_wstring(GetCurrentThreadId()), match[5].str());
}

// Wine 8 shows a Unix symbolic link to a folder as a reparse point, but one to a file as a plain
// file, so only the linked folder is tried here.
TEST(LoggerTest, ALinkedLogFolderIsLeftForTheNextFallback) {
  test::TempFolder folder;
  const std::wstring target = folder.File(L"target"), link = folder.File(L"linked");
  CreateDirectoryW(target.c_str(), nullptr);
  ASSERT_TRUE(test::UnixLink(link, target));
  std::wstring used;
  {
    Logger logger;
    logger.SetFileName(test::UniqueName(L"fallback") + L".log");
    logger.SetLogFile(link + L"\\updater.log");
    logger.Write(L"", L"a line");
    used = logger.LogPath();
  }
  test::UnixLink(link, L"");
  EXPECT_EQ(std::wstring::npos, used.find(folder.Path())) << Narrow(used);
  EXPECT_NE(std::wstring::npos, ReadLogText(used).find(L"a line")) << Narrow(used);
  DeleteFileW(used.c_str());
  EXPECT_FALSE(test::FileExists(target + L"\\updater.log"));
}

TEST(LoggerTest, LinesFromSeveralThreadsStayWhole) {
  test::TempFolder folder;
  Logger logger;
  logger.SetLogFile(folder.File(L"threads.log"));
  std::vector<std::thread> threads;
  for (wchar_t letter = L'a'; letter <= L'h'; ++letter) {
    // Long enough that a line written in parts would show another thread's text inside.
    threads.emplace_back([&logger, letter] {
      for (int i = 0; i < 200; ++i) logger.Write(L"", std::wstring(300, letter));
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::wstring text = ReadLogText(folder.File(L"threads.log"));
  const std::wregex line(L"# .{118}\\|\t\t([a-h])\\1{299}\r\n");
  EXPECT_EQ(8 * 200, std::distance(std::wsregex_iterator(text.begin(), text.end(), line),
                                   std::wsregex_iterator()))
      << "lines were cut or mixed";
}

}  // namespace
}  // namespace updater
