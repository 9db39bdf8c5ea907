#include "base/Logger.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

constexpr wchar_t kBanner[] = L"\r\n<< Tovanix (x86) Log >>\r\n";

// The file's text after the byte-order mark, which the caller checks separately.
std::wstring ReadLogText(const std::wstring& path) {
  const std::string bytes = test::ReadFileBytes(path);
  if (bytes.size() < 2) return {};
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
  return text;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::size_t CountOf(const std::wstring& text, const std::wstring& part) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(part); pos != std::wstring::npos;
       pos = text.find(part, pos + part.size())) {
    ++count;
  }
  return count;
}

// A message line as Write produces it for the empty context; captures thread id and message.
const std::wregex& MessageLinePattern() {
  static const std::wregex pattern(
      L"# \\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2} \\[PID=(\\d+)\\|Thread=(\\d+)\\] +\\|\t\t(.*)");
  return pattern;
}

TEST(LogLineTest, PadsContextToTheMessageColumn) {
  struct Case {
    const char* name;
    SYSTEMTIME time;
    DWORD processId;
    DWORD threadId;
    std::wstring context;
    std::wstring head;
    std::size_t blanks;
  };
  const SYSTEMTIME early = {987, 1, 0, 2, 3, 4, 5, 6};
  const SYSTEMTIME late = {2024, 12, 0, 31, 23, 59, 58, 999};
  // The head "# 2024-12-31 23-59-58 [PID=7|Thread=9] " is 39 characters long.
  const std::wstring to119(80, L'c');
  const std::wstring to120(81, L'c');
  const std::wstring beyond(200, L'c');
  const Case cases[] = {
      {"zero-padded date parts", early, 7, 9, L"", L"# 0987-01-02 03-04-05 [PID=7|Thread=9] ", 81},
      {"largest ids in decimal", late, 4294967295u, 4000000000u, L"ctx",
       L"# 2024-12-31 23-59-58 [PID=4294967295|Thread=4000000000] ctx", 60},
      {"one short of the column", late, 7, 9, to119, L"# 2024-12-31 23-59-58 [PID=7|Thread=9] " + to119, 1},
      {"exactly at the column", late, 7, 9, to120, L"# 2024-12-31 23-59-58 [PID=7|Thread=9] " + to120, 1},
      {"far beyond the column", late, 7, 9, beyond, L"# 2024-12-31 23-59-58 [PID=7|Thread=9] " + beyond, 1},
  };
  for (const Case& c : cases) {
    const std::wstring expected = c.head + std::wstring(c.blanks, L' ') + L"|\t\tmessage text\r\n";
    EXPECT_EQ(Narrow(expected),
              Narrow(FormatLogLine(c.time, c.processId, c.threadId, c.context, L"message text")))
        << c.name;
  }
  EXPECT_EQ(Narrow(L"# 0987-01-02 03-04-05 [PID=7|Thread=9] " + std::wstring(81, L' ') +
                   L"|\t\tOpenUrl() returned:Success.\r\n"),
            Narrow(FormatLogLine(early, 7, 9, L"", L"OpenUrl() returned:Success.\r\n")))
      << "a message's own line break must not leave an empty line";
}

TEST(LoggerTest, FallbackNamesReplaceTheExtensionWithLog) {
  struct Case {
    const wchar_t* fileName;
    const wchar_t* exePath;
    const wchar_t* expectedName;
    const wchar_t* expectedBeside;
  };
  const Case cases[] = {
      {L"", L"C:\\Program Files\\Tovan\\Updater.exe", L"Updater.LOG",
       L"C:\\Program Files\\Tovan\\Updater.LOG"},
      {L"", L"C:\\tools.v2\\Updater", L"Updater.LOG", L"C:\\tools.v2\\Updater.LOG"},
      {L"", L"C:\\x\\Up.date.r.exe", L"Up.date.r.LOG", L"C:\\x\\Up.date.r.LOG"},
      {L"custom.txt", L"C:\\x\\Updater.exe", L"custom.txt", L"C:\\x\\Updater.LOG"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Narrow(c.expectedName), Narrow(FallbackLogFileName(c.fileName, c.exePath)))
        << Narrow(c.exePath);
    EXPECT_EQ(Narrow(c.expectedBeside), Narrow(WithLogExtension(c.exePath))) << Narrow(c.exePath);
  }
}

TEST(LoggerTest, ShouldLogNeedsEnabledAndTheLevelBit) {
  struct Case {
    bool enabled;
    std::uint32_t mask;
    std::uint32_t level;
    bool expected;
  };
  const Case cases[] = {
      {false, kLogError | kLogInfo | kLogDebug | kLogTrace, kLogError, false},
      {true, 0, kLogError, false},
      {true, kLogError | kLogInfo, kLogInfo, true},
      {true, kLogError | kLogInfo, kLogDebug, false},
  };
  for (const Case& c : cases) {
    Logger logger;
    logger.SetEnabled(c.enabled);
    logger.SetLevelMask(c.mask);
    EXPECT_EQ(c.expected, logger.ShouldLog(c.level))
        << "enabled " << c.enabled << " mask " << c.mask << " level " << c.level;
  }
}

TEST(LoggerTest, NewFileStartsWithByteOrderMarkAndHeader) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"updater.log");
  std::wstring message;  // long enough to need more than one buffer, yet one line
  for (int i = 0; message.size() < 1000; ++i) message += std::to_wstring(i) + L",";
  {
    Logger logger;
    logger.SetLogFile(path);
    logger.Write(L"", message);
    EXPECT_EQ(Narrow(path), Narrow(logger.LogPath()));
  }
  const std::string bytes = test::ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ('\xFF', bytes[0]);
  EXPECT_EQ('\xFE', bytes[1]);
  EXPECT_EQ(0u, bytes.size() % 2) << "the file must hold whole UTF-16 characters";

  const std::wstring text = ReadLogText(path);
  ASSERT_EQ(0u, text.find(kBanner)) << Narrow(text);
  const std::vector<std::wstring> lines = SplitLines(text.substr(wcslen(kBanner)));
  ASSERT_EQ(4u, lines.size()) << Narrow(text);
  EXPECT_TRUE(std::regex_match(
      lines[0], std::wregex(L"OS Version: \\d+\\.\\d+\\.\\d+ SP\\d+ \\((workstation|server)\\) "
                            L"\\[(x64|x86)\\]")))
      << Narrow(lines[0]);
  EXPECT_TRUE(std::regex_match(lines[1], std::wregex(L"CPU: \\S(.*\\S)?"))) << Narrow(lines[1]);
  EXPECT_EQ(L"", lines[2]);
  std::wsmatch match;
  ASSERT_TRUE(std::regex_match(lines[3], match, MessageLinePattern())) << Narrow(lines[3]);
  EXPECT_EQ(std::to_wstring(GetCurrentProcessId()), match[1].str());
  EXPECT_EQ(std::to_wstring(GetCurrentThreadId()), match[2].str());
  EXPECT_EQ(Narrow(message), Narrow(match[3].str()));
  EXPECT_EQ(120u, lines[3].find(L"|\t\t"));
}

TEST(LoggerTest, SecondRunAppendsWithoutSecondByteOrderMark) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"updater.log");
  {
    Logger first;
    first.SetLogFile(path);
    first.Write(L"", L"from the first run");
  }
  const std::size_t firstSize = test::ReadFileBytes(path).size();
  {
    // Once open, the file stays: a later path is ignored.
    Logger second;
    second.SetLogFile(path);
    second.Write(L"", L"from the second run");
    second.SetLogFile(folder.File(L"other.log"));
    second.Write(L"", L"after the path changed");
    EXPECT_EQ(Narrow(path), Narrow(second.LogPath()));
  }
  EXPECT_FALSE(test::FileExists(folder.File(L"other.log")));
  const std::string bytes = test::ReadFileBytes(path);
  ASSERT_GT(bytes.size(), firstSize);
  EXPECT_EQ(0u, bytes.size() % 2);
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));

  const std::wstring text = ReadLogText(path);
  EXPECT_EQ(0u, CountOf(text, L"\xFEFF")) << "a byte-order mark in the middle of the file";
  EXPECT_EQ(2u, CountOf(text, kBanner));
  EXPECT_EQ(2u, CountOf(text, L"\r\nOS Version: "));
  EXPECT_EQ(2u, CountOf(text, L"\r\nCPU: "));
  const std::size_t firstLine = text.find(L"|\t\tfrom the first run\r\n");
  const std::size_t secondBanner = text.find(kBanner, 1);
  const std::size_t secondLine = text.find(L"|\t\tfrom the second run\r\n");
  ASSERT_NE(std::wstring::npos, firstLine) << Narrow(text);
  ASSERT_NE(std::wstring::npos, secondLine) << Narrow(text);
  EXPECT_LT(firstLine, secondBanner);
  EXPECT_LT(secondBanner, secondLine);
  EXPECT_EQ(secondLine + wcslen(L"|\t\tfrom the second run\r\n"),
            text.find(L"# ", secondLine));
  EXPECT_EQ(text.size() - wcslen(L"after the path changed\r\n"),
            text.find(L"after the path changed"));
}

TEST(LoggerTest, UnwritableFolderFallsBackToCommonAppData) {
  wchar_t commonAppData[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                   commonAppData));
  test::TempFolder folder;
  // A file where the log's folder should be: neither the folder nor the log can be created.
  const std::wstring blocker = folder.File(L"blocker");
  test::WriteTextFile(blocker, L"x", test::TextEncoding::Ansi);
  const std::wstring fileName = test::UniqueName(L"LoggerTest") + L".LOG";
  const std::wstring expected = std::wstring(commonAppData) + L"\\TOVAN_LOGS\\" + fileName;
  {
    Logger logger;
    logger.SetFileName(fileName);
    logger.SetLogFile(blocker + L"\\sub\\updater.log");
    logger.Write(L"", L"fell back");
    EXPECT_EQ(Narrow(expected), Narrow(logger.LogPath()));
  }
  const std::wstring text = ReadLogText(expected);
  EXPECT_EQ(0u, text.find(kBanner)) << Narrow(text);
  EXPECT_NE(std::wstring::npos, text.find(L"|\t\tfell back\r\n")) << Narrow(text);
  EXPECT_TRUE(DeleteFileW(expected.c_str())) << "cleanup of " << Narrow(expected);
}

TEST(LoggerTest, LinesFromSeveralThreadsStayWhole) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"threads.log");
  Logger logger;
  logger.SetLogFile(path);
  constexpr int kThreads = 8;
  constexpr int kLinesPerThread = 200;
  std::vector<DWORD> threadIds(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&logger, &threadIds, t] {
      threadIds[t] = GetCurrentThreadId();
      for (int i = 0; i < kLinesPerThread; ++i) {
        // Long enough that a line written in parts would show another thread's text inside.
        logger.Write(L"", L"t" + std::to_wstring(t) + L" i" + std::to_wstring(i) + L" " +
                              std::wstring(300, static_cast<wchar_t>(L'a' + t)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::wstring text = ReadLogText(path);
  const std::wstring header = text.substr(0, text.find(L"# "));
  ASSERT_EQ(1u, CountOf(text, kBanner));
  std::map<DWORD, int> threadById;
  for (int t = 0; t < kThreads; ++t) threadById[threadIds[t]] = t;
  std::vector<int> nextLine(kThreads, 0);
  const std::wregex messagePattern(L"t(\\d+) i(\\d+) ([a-z]+)");
  int messageLines = 0;
  for (const std::wstring& line : SplitLines(text.substr(header.size()))) {
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(line, match, MessageLinePattern())) << Narrow(line);
    const std::wstring message = match[3].str();
    std::wsmatch parts;
    ASSERT_TRUE(std::regex_match(message, parts, messagePattern)) << Narrow(message);
    const int t = std::stoi(parts[1].str());
    ASSERT_TRUE(t >= 0 && t < kThreads) << Narrow(message);
    EXPECT_EQ(std::to_wstring(threadIds[t]), match[2].str()) << "thread id of " << Narrow(message);
    EXPECT_EQ(nextLine[t], std::stoi(parts[2].str())) << "order within thread " << t;
    nextLine[t] = std::stoi(parts[2].str()) + 1;
    EXPECT_EQ(std::wstring(300, static_cast<wchar_t>(L'a' + t)), parts[3].str());
    ++messageLines;
  }
  EXPECT_EQ(kThreads * kLinesPerThread, messageLines);
}

TEST(LoggerTest, LogWritesNothingUnlessEnabledForTheLevel) {
  Logger& logger = Logger::Instance();
  const std::wstring oldPath = logger.LogPath();
  const bool oldEnabled = logger.IsEnabled();
  const std::uint32_t oldMask = logger.LevelMask();
  test::TempFolder folder;
  const std::wstring path = folder.File(L"silent.log");
  logger.SetLogFile(path);
  if (logger.LogPath() != path) {
    GTEST_SKIP() << "the process-wide log is already open at " << Narrow(logger.LogPath());
  }
  logger.SetEnabled(false);
  logger.SetLevelMask(kLogError | kLogInfo | kLogDebug | kLogTrace);
  Log(kLogError, L"disabled");
  logger.SetEnabled(true);
  logger.SetLevelMask(0);
  Log(kLogError, L"level zero");
  logger.SetLevelMask(kLogError | kLogInfo);
  Log(kLogTrace, L"trace not in the mask");
  EXPECT_FALSE(test::FileExists(path));

  logger.SetEnabled(oldEnabled);
  logger.SetLevelMask(oldMask);
  logger.SetLogFile(oldPath);
}

}  // namespace
}  // namespace updater
