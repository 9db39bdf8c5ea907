#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "TestSupport.h"

namespace updater::test {

// The local test servers (scripts/test-servers.sh), in the folder UPDATER_SERVERS_DIR names.
struct TestServers {
  static std::wstring Serve(const std::wstring& relativePath, const std::string& bytes) {
    std::wstring path = ServersFolder() + L"\\www\\" + relativePath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    WriteBytes(path, bytes);
    return relativePath;
  }
  static std::wstring Url(const wchar_t* scheme, const wchar_t* server, const std::wstring& path) {
    return std::wstring(scheme) + L"://" + ServerAddress(server) + L"/" + path;
  }
  static std::wstring Http(const std::wstring& path) { return Url(L"http", L"http", path); }
  static std::wstring Https(const std::wstring& path) { return Url(L"https", L"https", path); }
  static std::wstring Ftp(const std::wstring& path) { return Url(L"ftp", L"ftp", path); }
  static std::wstring Fault(const std::wstring& path) { return Url(L"http", L"fault", path); }
  // The web server under another spelling of the loopback address, such as "localhost".
  static std::wstring HttpOn(const std::wstring& host, const std::wstring& path) {
    const std::wstring http = ServerAddress(L"http");
    return L"http://" + host + http.substr(http.find(L':')) + L"/" + path;
  }
  static std::string FaultLog() { return ReadFileBytes(ServersFolder() + L"\\fault-access.log"); }
  static std::string ProxyLog() { return ReadFileBytes(ServersFolder() + L"\\proxy-access.log"); }
};

template <typename Function>
void ExpectEachText(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> cases,
                    Function function) {
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(std::wstring(expected), function(input)) << Narrow(input);
  }
}

}  // namespace updater::test
