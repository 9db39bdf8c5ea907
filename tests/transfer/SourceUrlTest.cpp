#include "transfer/SourceUrl.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "TransferTestSupport.h"

namespace updater {
namespace {

TEST(SourceUrlTest, SplitsUrlsIntoTheirParts) {
  struct Case {
    const wchar_t* url;
    ResultCode result;
    SourceKind kind = SourceKind::Http;
    const wchar_t* host = L"";
    INTERNET_PORT port = 0;
    const wchar_t *user = L"", *password = L"", *path = L"";
  };
  const Case cases[] = {
      {L"http://example.com/a/b.exe?x=1", kSuccess, SourceKind::Http, L"example.com", 80, L"", L"",
       L"/a/b.exe?x=1"},
      {L"https://u:p@127.0.0.1:18443/s", kSuccess, SourceKind::Https, L"127.0.0.1", 18443, L"u",
       L"p", L"/s"},
      {L"ftp://127.0.0.1:18021/dir/f.bin", kSuccess, SourceKind::Ftp, L"127.0.0.1", 18021, L"",
       L"", L"/dir/f.bin"},
      {L"http://host", kSuccess, SourceKind::Http, L"host", 80, L"", L"", L"/"},
      {L"file:///C:/dir/a%20b.exe", kSuccess, SourceKind::File, L"", 0, L"", L"",
       L"C:\\dir\\a b.exe"},
      {L"file://server/share/f.msi", kSuccess, SourceKind::File, L"", 0, L"", L"",
       L"\\\\server\\share\\f.msi"},
      {L"gopher://host/x", kUnsupportedScheme},
      {L"mailto:someone@example.com", kUnsupportedScheme},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::Narrow(c.url));
    SourceUrl parts;
    const ResultCode result = ParseSourceUrl(c.url, &parts);
    EXPECT_EQ(c.result, result);
    if (result != kSuccess) continue;
    EXPECT_EQ(c.kind, parts.kind);
    EXPECT_EQ(c.port, parts.port);
    EXPECT_EQ((std::vector<std::wstring>{c.host, c.user, c.password, c.path}),
              (std::vector<std::wstring>{parts.host, parts.user, parts.password, parts.path}));
  }
}

TEST(SourceUrlTest, FileUrlsBecomeDriveOrSharePaths) {
  test::ExpectEachText({{L"file:///C:/x/y.exe", L"C:\\x\\y.exe"},
                        {L"file://C:/x", L"C:\\x"},
                        {L"FILE:d:\\x", L"d:\\x"},
                        {L"file:////server/share/dir/f", L"\\\\server\\share\\dir\\f"},
                        {L"file:///C:/caf%C3%A9.txt", L"C:\\caf\u00e9.txt"},
                        {L"file:///caf%C3%A9.txt", L""},
                        {L"file://server", L""},
                        {L"file:///relative/path", L""},
                        {L"http://host/x", L""}},
                       FileUrlToPath);
}

}  // namespace
}  // namespace updater
