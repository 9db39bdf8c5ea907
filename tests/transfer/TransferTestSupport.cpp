#include "TransferTestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "TestSupport.h"
#include "base/UniqueHandle.h"
#include "transfer/HexText.h"

namespace updater::test {

namespace {

std::string ReadAll(const std::wstring& path) {
  return FileExists(path) ? ReadFileBytes(path) : std::string();
}

}  // namespace

bool TestServers::Available() {
  if (!ServersFolder().empty()) return true;
  ADD_FAILURE() << "UPDATER_SERVERS_DIR is not set: start scripts/test-servers.sh start BUILD_DIR "
                   "and run through the build's wine-run.sh";
  return false;
}

std::wstring TestServers::WwwFolder() { return ServersFolder() + L"\\www"; }

std::wstring TestServers::Serve(const std::wstring& relativePath, const std::string& bytes) {
  std::wstring windowsPath = relativePath;
  for (wchar_t& c : windowsPath) {
    if (c == L'/') c = L'\\';
  }
  const std::wstring path = WwwFolder() + L"\\" + windowsPath;
  SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
  WriteBytes(path, bytes);
  return relativePath;
}

std::string TestServers::FaultLog() { return ReadAll(ServersFolder() + L"\\fault-access.log"); }
std::string TestServers::NginxLog() { return ReadAll(ServersFolder() + L"\\nginx-access.log"); }
std::string TestServers::ProxyLog() { return ReadAll(ServersFolder() + L"\\proxy-access.log"); }

void ExpectEachText(std::initializer_list<TextCase> cases,
                    const std::function<std::wstring(const std::wstring&)>& function) {
  for (const TextCase& c : cases) {
    EXPECT_EQ(std::wstring(c.expected), function(c.input)) << Narrow(c.input);
  }
}

std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << "cannot create " << Narrow(path) << ": " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr));
}

TransferTimeouts ShortTimeouts() {
  TransferTimeouts timeouts;
  timeouts.connectMs = 2000;
  timeouts.receiveMs = 700;
  return timeouts;
}

ResultCode CryptoApiMd5Hex(const std::string& bytes, std::wstring* digest) {
  CryptProvider provider;
  if (!CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT)) {
    return GetLastError();
  }
  CryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Put()) ||
      !CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()), 0)) {
    return GetLastError();
  }
  std::vector<unsigned char> value(16);
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value.data(), &size, 0)) return GetLastError();
  value.resize(size);
  std::wstring hex = ToHexText(value);
  std::transform(hex.begin(), hex.end(), hex.begin(), towlower);
  *digest = std::move(hex);
  return kSuccess;
}

}  // namespace updater::test
