#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/CommandLine.h"
#include "base/AnsiText.h"
#include "base/IniFile.h"
#include "base/ResultText.h"
#include "catalogue/FeedKeys.h"
#include "catalogue/FeedProblems.h"
#include "catalogue/FeedValueProblems.h"
#include "catalogue/ServerConfig.h"
#include "catalogue/UpdateSectionKeys.h"
#include "config/ClientKeys.h"
#include "transfer/FeedKey.h"

// Holds docs/ to the code: every key, run mode, switch and own result code must be described
// there, the guide's complete example files must load as they stand, and its links must lead
// somewhere. tests/CMakeLists.txt copies docs/, and README.md beside it, to the test programs.

namespace updater {
namespace {

using test::FileExists;
using test::Narrow;
using test::TempFolder;
using test::TextEncoding;
using test::ThisExecutableFolder;
using test::WriteTextFile;

std::wstring GuidePath(const std::wstring& name) {
  return ThisExecutableFolder() + L"\\docs\\" + name;
}

std::wstring GuidePage(const std::wstring& name) {
  std::string bytes;
  IniFile(GuidePath(name)).ReadBytes(1 << 20, &bytes);
  return FromUtf8Text(bytes);
}

std::vector<std::wstring> GuidePageNames() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(GuidePath(L"*.md").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// True when `text` shows `word` as code: after a backtick, and followed by a backtick or a blank.
bool ShowsAsCode(const std::wstring& text, const std::wstring& word) {
  const std::wstring opening = L"`" + word;
  for (std::size_t at = text.find(opening); at != std::wstring::npos;
       at = text.find(opening, at + 1)) {
    const std::size_t after = at + opening.size();
    if (after < text.size() && (text[after] == L'`' || text[after] == L' ')) return true;
  }
  return false;
}

// The fenced block after the comment "<!-- example: NAME -->".
std::wstring Example(const std::wstring& page, const std::wstring& name) {
  const std::size_t marker = page.find(L"<!-- example: " + name + L" -->");
  if (marker == std::wstring::npos) return std::wstring();
  const std::size_t begin = page.find(L'\n', page.find(L"```", marker)) + 1;
  return page.substr(begin, page.find(L"```", begin) - begin);
}

template <typename Keys>
std::vector<std::wstring> Names(const Keys& keys) {
  std::vector<std::wstring> names;
  for (const auto& key : keys) names.emplace_back(key.name);
  return names;
}

// The GitHub form of a heading as a link anchor.
std::wstring Anchor(const std::wstring& heading) {
  std::wstring anchor;
  for (const wchar_t c : heading) {
    if (std::iswalnum(c) || c == L'-' || c == L'_') {
      anchor += static_cast<wchar_t>(std::towlower(c));
    } else if (c == L' ') {
      anchor += L'-';
    }
  }
  return anchor;
}

TEST(PublishersGuideTest, DescribesEveryKeyRunModeAndSwitch) {
  const struct {
    const wchar_t* page;
    std::vector<std::wstring> words;
  } cases[] = {
      {L"client-configuration.md", Names(kClientKeys)},
      {L"update-file.md", Names(kGeneralKeys)},
      {L"update-file.md", Names(UpdateSectionKeys())},
      {L"command-line.md", CommandLineWords()},
  };
  for (const auto& c : cases) {
    const std::wstring page = GuidePage(c.page);
    ASSERT_FALSE(page.empty()) << Narrow(c.page);
    for (const std::wstring& word : c.words) {
      EXPECT_TRUE(ShowsAsCode(page, word))
          << Narrow(c.page) << " does not describe " << Narrow(word);
    }
  }
}

TEST(PublishersGuideTest, ListsEveryOwnResultCodeWithItsText) {
  const std::wstring page = GuidePage(L"result-codes.md");
  for (ResultCode code = kFirstOwnCode; code <= kLastOwnCode; ++code) {
    const std::wstring row = FormatText(L"`0x%08X`", code);
    const std::size_t at = page.find(row);
    ASSERT_TRUE(at != std::wstring::npos) << "no row for " << Narrow(row);
    const std::wstring line = page.substr(at, page.find(L'\n', at) - at);
    std::wstring text = ResultText(code);
    text.erase(text.find_last_not_of(L' ') + 1);
    EXPECT_TRUE(line.find(text) != std::wstring::npos) << Narrow(row) << " lacks " << Narrow(text);
  }
}

TEST(PublishersGuideTest, ExampleFilesLoadAsTheUpdaterLoadsThem) {
  const std::wstring page = GuidePage(L"getting-started.md");
  const std::wstring clientExample = Example(page, L"client configuration");
  const std::wstring feed = Example(page, L"update configuration file");
  ASSERT_FALSE(clientExample.empty() || feed.empty()) << "an example file is not marked";
  TempFolder folder;
  const std::wstring clientPath = folder.File(L"Updater.ini");
  WriteTextFile(clientPath, clientExample, TextEncoding::Ansi);
  ClientConfig client(clientPath);
  ASSERT_EQ(kSuccess, client.Load());
  EXPECT_EQ(L"", client.WhyIncompleteForUpdates());
  EXPECT_TRUE(IsAbsoluteWindowsPath(client.AppDir())) << Narrow(client.AppDir());
  EXPECT_TRUE(IsAbsoluteWindowsPath(client.DownloadsFolder())) << Narrow(client.DownloadsFolder());
  ASSERT_EQ(1u, client.FeedPublicKeys().size());
  EXPECT_EQ(kSuccess, CheckFeedPublicKey(client.FeedPublicKeys().front()));
  for (const ClientConfigProblem& problem : client.Problems()) {
    ADD_FAILURE() << "the client example: " << Narrow(problem.text);
  }

  const std::wstring feedPath = folder.File(L"updates.ini");
  WriteTextFile(feedPath, feed, TextEncoding::Ansi);
  UpdateList updates;
  EXPECT_EQ(kSuccess, ServerConfig(feedPath, client, updates).Load(true, true));
  EXPECT_FALSE(updates.updates.empty());
  const IniDocument document = ParseIniFile(ToUtf8Text(feed));
  for (const auto& problems : {FeedKeyProblems(document), FeedValueProblems(document)}) {
    for (const std::wstring& problem : problems) ADD_FAILURE() << Narrow(problem);
  }
}

TEST(PublishersGuideTest, LinksReachAPageAndHeadingOrPictureOfTheGuide) {
  const std::vector<std::wstring> names = GuidePageNames();
  ASSERT_FALSE(names.empty()) << "no pages in " << Narrow(GuidePath(L""));
  for (const std::wstring& name : names) {
    const std::wstring page = GuidePage(name);
    for (std::size_t at = page.find(L"]("); at != std::wstring::npos;
         at = page.find(L"](", at + 1)) {
      const std::wstring link = page.substr(at + 2, page.find(L')', at) - at - 2);
      if (link.find(L"://") != std::wstring::npos) continue;
      const std::size_t hash = link.find(L'#');
      const std::wstring target = hash == 0 ? name : link.substr(0, hash);
      EXPECT_TRUE(FileExists(GuidePath(target))) << Narrow(name) << " links to " << Narrow(link);
      if (hash == std::wstring::npos) continue;
      bool found = false;
      const std::wstring targetPage = GuidePage(target);
      for (std::size_t line = targetPage.find(L"\n#"); line != std::wstring::npos && !found;
           line = targetPage.find(L"\n#", line + 1)) {
        const std::size_t text = targetPage.find_first_not_of(L"# ", line + 1);
        found = Anchor(targetPage.substr(text, targetPage.find(L'\n', text) - text)) ==
                link.substr(hash + 1);
      }
      EXPECT_TRUE(found) << Narrow(name) << " links to the missing heading " << Narrow(link);
    }
  }
}

}  // namespace
}  // namespace updater
