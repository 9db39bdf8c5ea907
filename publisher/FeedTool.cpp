#include "publisher/FeedTool.h"

#include <windows.h>

#include <ctime>

#include "base/IniDocument.h"
#include "base/IniFile.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/ServerConfig.h"
#include "config/ClientConfig.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

constexpr int kOk = 0;
constexpr int kProblem = 1;
constexpr int kUsage = 2;
constexpr wchar_t kUsageText[] =
    L"usage: UpdaterPublisher keygen PRIVATEKEYFILE\n"
    L"       UpdaterPublisher hash FILE FOLDER\n"
    L"       UpdaterPublisher sign FILE PRIVATEKEYFILE [DAYS [SERIAL]]\n"
    L"       UpdaterPublisher validate FILE\n";
constexpr int kMaxDays = 3650;

int Fail(std::wstring* out, const std::wstring& what, ResultCode result) {
  *out += what + L": " + ResultText(result) + L"\n";
  return kProblem;
}

// Replaces `path` with `bytes` through a file beside it, so that a failure leaves the old file.
ResultCode ReplaceFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring temporary = path + L".new";
  {
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      return GetLastError();
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const ResultCode error = GetLastError();
    DeleteFileW(temporary.c_str());
    return error;
  }
  return kSuccess;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

int Keygen(const std::wstring& privateKeyPath, std::wstring* out) {
  std::wstring privateKey, publicKey;
  if (const ResultCode made = GenerateFeedKey(&privateKey, &publicKey)) {
    return Fail(out, L"Cannot make a key pair", made);
  }
  // Never over an existing key: losing it would lock every client out of the next release.
  FileHandle file(CreateFileW(privateKeyPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail(out, L"Cannot create " + privateKeyPath, GetLastError());
  const std::string text = Narrow(privateKey) + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return Fail(out, L"Cannot write " + privateKeyPath, GetLastError());
  }
  *out += L"Private key written to " + privateKeyPath + L"; keep it secret.\n";
  *out += L"Put this line into the [General] section of the client configuration:\n";
  *out += L"FeedPublicKey=" + publicKey + L"\n";
  return kOk;
}

int Hash(const std::wstring& feedPath, const std::wstring& folder, std::wstring* out) {
  IniDocument ini;
  if (const ResultCode read = IniFile(feedPath).Read(&ini)) {
    return Fail(out, L"Cannot read " + feedPath, read);
  }
  int status = kOk;
  for (const std::wstring& section : ini.SectionNames()) {
    if (FoldIniName(section) == FoldIniName(L"General")) continue;
    std::wstring urlPath;
    const std::vector<std::wstring> urls = ini.NumberedValues(section, L"URL");
    if (!urls.empty()) UrlPath(urls.front(), &urlPath);
    const std::wstring name = DownloadFileName(ini.Value(section, L"ServerFileName"), urlPath, section);
    const std::wstring installer = folder + L"\\" + name;
    FileHandle file(CreateFileW(installer.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    std::vector<unsigned char> digest;
    if (!file || !GetFileSizeEx(file.Get(), &size) || ComputeSHA256(file.Get(), &digest)) {
      *out += L"[" + section + L"] " + name + L": not found in " + folder + L"\n";
      status = kProblem;
      continue;
    }
    std::wstring hex;
    for (const unsigned char byte : digest) hex += FormatText(L"%02x", byte);
    const std::wstring sizeText = std::to_wstring(size.QuadPart);
    if (!WritePrivateProfileStringW(section.c_str(), L"Size", sizeText.c_str(), feedPath.c_str()) ||
        !WritePrivateProfileStringW(section.c_str(), L"SHA256", hex.c_str(), feedPath.c_str())) {
      return Fail(out, L"Cannot write " + feedPath, GetLastError());
    }
    *out += L"[" + section + L"] " + name + L": Size=" + sizeText + L" SHA256=" + hex + L"\n";
  }
  return status;
}

int Sign(const std::vector<std::wstring>& arguments, std::wstring* out) {
  const std::wstring& feedPath = arguments[1];
  std::string keyText, bytes;
  if (const ResultCode read = IniFile(arguments[2]).ReadBytes(4096, &keyText)) {
    return Fail(out, L"Cannot read " + arguments[2], read);
  }
  while (!keyText.empty() && (keyText.back() == '\n' || keyText.back() == '\r')) keyText.pop_back();
  const long days = arguments.size() > 3 ? std::wcstol(arguments[3].c_str(), nullptr, 10) : 30;
  const unsigned long long serial =
      arguments.size() > 4 ? std::wcstoull(arguments[4].c_str(), nullptr, 10)
                           : static_cast<unsigned long long>(std::time(nullptr));
  if (days < 1 || days > kMaxDays || serial > 0xFFFFFFFFull) {
    *out += kUsageText;
    return kUsage;
  }
  if (const ResultCode read = IniFile(feedPath).ReadBytes(kMaxIniFileBytes, &bytes)) {
    return Fail(out, L"Cannot read " + feedPath, read);
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return Fail(out, L"Only 8-bit text can be signed; save " + feedPath + L" as UTF-8",
                kFeedSignatureInvalid);
  }
  std::string body = WithoutFeedTrailer(bytes);
  if (!body.empty() && body.back() != '\n') body += "\r\n";
  const SYSTEMTIME expires = FeedExpiryAfterDays(static_cast<int>(days));
  const std::string signedPart = body + FeedTrailerHead(static_cast<DWORD>(serial), expires);
  std::wstring signature;
  if (const ResultCode signedResult =
          SignFeedBytes(std::wstring(keyText.begin(), keyText.end()), signedPart, &signature)) {
    return Fail(out, L"Cannot sign with " + arguments[2], signedResult);
  }
  if (const ResultCode written =
          ReplaceFile(feedPath, signedPart + ";signature=" + Narrow(signature) + "\r\n")) {
    return Fail(out, L"Cannot write " + feedPath, written);
  }
  *out += L"Signed " + feedPath + FormatText(L": serial %llu, expires %04u-%02u-%02u\n", serial,
                                             expires.wYear, expires.wMonth, expires.wDay);
  return kOk;
}

int Validate(const std::wstring& feedPath, std::wstring* out) {
  // A client whose downloads folder is short, so that only the file's own names can be too long.
  ClientConfig client(std::wstring(), HKEY_CURRENT_USER);
  client.SetDownloadsFolder(L"C:\\Downloads");
  UpdateList updates;
  const ResultCode loaded = ServerConfig(feedPath, client, updates).Load(true, true);
  int status = loaded == kSuccess ? kOk : kProblem;
  for (const UpdateInfo& update : updates.updates) {
    if (update.size <= 0) *out += L"[" + update.sectionName + L"] has no Size\n";
    if (update.sha256.empty() && update.md5.empty()) {
      *out += L"[" + update.sectionName + L"] has neither SHA256 nor MD5\n";
    }
    if (update.size <= 0 || (update.sha256.empty() && update.md5.empty())) status = kProblem;
  }
  if (loaded != kSuccess) {
    *out += L"Not accepted: " + ResultText(loaded) + L" (the updater's log names the section)\n";
  }
  *out += FormatText(L"%u updates read\n", static_cast<unsigned>(updates.updates.size()));
  return status;
}

}  // namespace

int RunFeedTool(const std::vector<std::wstring>& arguments, std::wstring* out) {
  const std::size_t count = arguments.size();
  const std::wstring command = count > 0 ? arguments[0] : std::wstring();
  if (command == L"keygen" && count == 2) return Keygen(arguments[1], out);
  if (command == L"hash" && count == 3) return Hash(arguments[1], arguments[2], out);
  if (command == L"sign" && count >= 3 && count <= 5) return Sign(arguments, out);
  if (command == L"validate" && count == 2) return Validate(arguments[1], out);
  *out += kUsageText;
  return kUsage;
}

}  // namespace updater
