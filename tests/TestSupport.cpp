#include "TestSupport.h"

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <cwctype>
#include <vector>

#include "base/AnsiText.h"
#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/ProcessStart.h"

namespace updater::test {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !condition(); Sleep(pollMs)) {
    if (GetTickCount64() > deadline) return false;
  }
  return true;
}

std::wstring UniqueName(const std::wstring& prefix) {
  static std::atomic<unsigned> counter{0};
  // Wine reuses process ids from run to run, and server logs outlive a run: the start time of
  // this process keeps names apart across runs.
  static const ULONGLONG started = GetTickCount64();
  return prefix + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(started) +
         L"_" + std::to_wstring(++counter);
}

ClientConfigFile::ClientConfigFile(const std::wstring& idPrefix, const std::wstring& fileName,
                                   TextEncoding encoding)
    : id_(UniqueName(idPrefix)),
      path_(folder_.File(fileName)),
      encoding_(encoding),
      user_(Key()),
      machine_(Key(), HKEY_LOCAL_MACHINE),
      userPolicy_(PolicyKey()),
      machinePolicy_(PolicyKey(), HKEY_LOCAL_MACHINE) {}

void ClientConfigFile::Write(const std::wstring& keys) const {
  WriteTextFile(path_, L"[General]\r\nID=" + id_ + L"\r\n" + keys, encoding_);
}

ClientConfig ClientConfigFile::Load(const std::wstring& keys, HKEY settingsRoot) const {
  Write(keys);
  ClientConfig config(path_, settingsRoot);
  EXPECT_EQ(kSuccess, config.Load()) << Narrow(keys);
  return config;
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // A blank in every test folder: paths with blanks must survive command lines and hand-overs.
  path_ = std::wstring(temp) + UniqueName(L"updater test");
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { DeleteFolderTree(path_); }

void DeleteFolderTree(const std::wstring& path) {
  // SHFileOperation wants a list ending in two NULs.
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

ScopedRegistryTree::ScopedRegistryTree(std::wstring subKey, HKEY root)
    : root_(root), subKey_(std::move(subKey)) {}

ScopedRegistryTree::~ScopedRegistryTree() {
  RegDeleteTreeW(root_, subKey_.c_str());
  RegDeleteKeyW(root_, subKey_.c_str());
}

void WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding) {
  std::string bytes;
  if (encoding == TextEncoding::Utf16) {
    bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  } else {
    bytes = ToAnsiText(text);
  }
  WriteBytes(path, bytes);
}

std::string Utf16(const std::string& bytes) {
  std::string wide = "\xFF\xFE";
  for (const char c : bytes) wide += std::string{c, '\0'};
  return wide;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << "cannot create " << Narrow(path) << ": " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr));
}

std::string ReadFileBytes(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (file && ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

std::wstring LogText() {
  Logger& logger = Logger::Instance();
  if (!logger.IsEnabled()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    logger.SetLogFile(temp + UniqueName(L"updater test") + L".log");
    logger.SetEnabled(true);
    logger.SetLevelMask(kLogError | kLogInfo | kLogDebug | kLogTrace);
  }
  const std::string bytes = ReadFileBytes(logger.LogPath());
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

bool SetFileDacl(const std::wstring& path, const std::wstring& sddl) {
  LocalSecurityDescriptor descriptor;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  return ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              descriptor.Put(), nullptr) &&
         GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted) &&
         SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                               nullptr) == ERROR_SUCCESS;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ThisExecutableFolder() {
  const std::wstring path = ThisExecutablePath();
  return path.substr(0, path.find_last_of(L'\\'));
}

void SaveScreenshot(const std::wstring& name) {
  const std::wstring tests = ThisExecutableFolder();
  const std::wstring folder = tests.substr(0, tests.find_last_of(L'\\')) + L"\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + name + L".png";
  DeleteFileW(path.c_str());
  std::wstring unixPath = path.substr(2);  // the build is on Z:
  for (wchar_t& c : unixPath) c = c == L'\\' ? L'/' : c;
  ASSERT_EQ(kSuccess, StartProgram({L"Z:\\usr\\bin\\import", L"import -window root " + unixPath}));
  // Wine hands back no process handle to wait on for a Unix program: its file tells when it ends.
  std::size_t last = 0;
  EXPECT_TRUE(WaitUntil([&] {
    const std::size_t size = ReadFileBytes(path).size();
    return std::exchange(last, size) == size && size != 0;
  }, 10000, 100)) << "no screenshot " << Narrow(name);
}

std::wstring FixturePath(const std::wstring& name) {
  return ThisExecutableFolder() + L"\\fixtures\\" + name;
}

void SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetKeyValueW(root, subKey.c_str(), name.c_str(), REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

void SetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name,
                      DWORD value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(root, subKey.c_str(), name.c_str(), REG_DWORD, &value,
                                           sizeof(value)));
}

bool GetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name,
                      DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueW(root, subKey.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, value,
                      &size) == ERROR_SUCCESS;
}

std::wstring ServersFolder() {
  const char* unixPath = std::getenv("UPDATER_SERVERS_DIR");
  if (unixPath == nullptr || *unixPath == '\0') return std::wstring();
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != '\0'; ++c) path.push_back(*c == '/' ? L'\\' : *c);
  return path;
}

std::wstring ServerAddress(const wchar_t* name) {
  // scripts/test-servers.sh picks free ports at start and wine-env.sh exports them.
  std::wstring variable = L"UPDATER_PORT_";
  for (const wchar_t* c = name; *c != L'\0'; ++c) variable.push_back(towupper(*c));
  wchar_t port[16] = L"";
  const DWORD length = GetEnvironmentVariableW(variable.c_str(), port, ARRAYSIZE(port));
  if (length == 0 || length >= ARRAYSIZE(port)) {
    ADD_FAILURE() << Narrow(variable) << " is not set: start scripts/test-servers.sh and run "
                     "through the build's wine-run.sh";
    // Port 0 refuses every connection, so nothing reaches another build's servers.
    return L"127.0.0.1:0";
  }
  return std::wstring(L"127.0.0.1:") + port;
}

void TrustRootCertificate(const std::wstring& certificatePath) {
  const std::string root = ReadFileBytes(certificatePath);
  ASSERT_FALSE(root.empty()) << "missing " << Narrow(certificatePath)
                             << ": build the TestFixtures target";
  const CertStore store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  ASSERT_TRUE(store) << "cannot open the machine's Root store: " << GetLastError();
  ASSERT_TRUE(CertAddEncodedCertificateToStore(
      store.Get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(root.data()),
      static_cast<DWORD>(root.size()), CERT_STORE_ADD_USE_EXISTING, nullptr))
      << "cannot import the test root: " << GetLastError();
}

bool UnixLink(const std::wstring& link, const std::wstring& target) {
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  using Spawn = LONG(WINAPI*)(char* const*, int);
  const auto unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  const auto spawn = reinterpret_cast<Spawn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
  if (unixName == nullptr || spawn == nullptr) return false;
  char* to = unixName(link.c_str());
  char* from = target.empty() ? nullptr : unixName(target.c_str());
  char ln[] = "/bin/ln", rm[] = "/bin/rm", symbolic[] = "-s";
  char* lnArguments[] = {ln, symbolic, from, to, nullptr};
  char* rmArguments[] = {rm, to, nullptr};
  const bool done = to != nullptr && (target.empty() || from != nullptr) &&
                    spawn(target.empty() ? rmArguments : lnArguments, 1) == 0;
  HeapFree(GetProcessHeap(), 0, from);
  HeapFree(GetProcessHeap(), 0, to);
  return done;
}

size_t CountOf(const std::wstring& text, const std::wstring& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

}  // namespace updater::test
