#include "publisher/FeedTool.h"

#include <windows.h>

#include <ctime>
#include <set>
#include <utility>

#include "base/IniDocument.h"
#include "base/IniFile.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "base/UserTempPath.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/FeedProblems.h"
#include "catalogue/FeedValueProblems.h"
#include "catalogue/IniReader.h"
#include "catalogue/ServerConfig.h"
#include "config/ClientConfig.h"
#include "config/NextUpdateCheck.h"
#include "publisher/ClientConfigCheck.h"
#include "publisher/FeedText.h"
#include "publisher/KeyFile.h"
#include "transfer/BlockMap.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"
#include "transfer/FileBlockMap.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

constexpr int kOk = 0;
constexpr int kProblem = 1;
constexpr int kUsage = 2;
constexpr wchar_t kUsageText[] =
    L"usage: UpdaterPublisher keygen PRIVATEKEYFILE\n"
    L"       UpdaterPublisher blockmap INSTALLER\n"
    L"       UpdaterPublisher hash FILE FOLDER\n"
    L"       UpdaterPublisher pubkey PRIVATEKEYFILE\n"
    L"       UpdaterPublisher sign FILE PRIVATEKEYFILE [DAYS [SERIAL]]\n"
    L"       UpdaterPublisher validate FILE\n"
    L"       UpdaterPublisher validate-client CLIENTFILE\n";
constexpr int kMaxDays = 3650;
constexpr wchar_t kWholeFileRefused[] =
    L"The updater refuses the whole file while any section is refused: it offers none of its "
    L"updates.";

// What validate finds: one line a problem, and the updates the updater would read.
struct FeedCheck {
  std::vector<std::wstring> lines;
  unsigned updates = 0;
};
FeedCheck CheckFeed(const std::string& bytes);

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
  const std::string text = Narrow(privateKey) + "\r\n";
  // Never over an existing key: losing it would lock every client out of the next release.
  if (const ResultCode written = WritePrivateKeyFile(privateKeyPath, text)) {
    return Fail(out, L"Cannot write " + privateKeyPath, written);
  }
  *out += L"Private key written to " + privateKeyPath + L"; keep it secret.\n";
  *out += L"Put this line into the [General] section of the client configuration:\n";
  *out += L"FeedPublicKey=" + publicKey + L"\n";
  return kOk;
}

int Hash(const std::wstring& feedPath, const std::wstring& folder, std::wstring* out) {
  std::string bytes;
  if (const ResultCode read = IniFile(feedPath).ReadBytes(kMaxIniFileBytes, &bytes)) {
    return Fail(out, L"Cannot read " + feedPath, read);
  }
  const IniDocument ini = ParseIniFile(bytes);
  int status = kOk;
  std::set<std::wstring> seen;
  for (const std::wstring& section : ini.SectionNames()) {
    // The updater reads only the first section of a name.
    const std::wstring folded = FoldIniName(section);
    if (folded == FoldIniName(L"General") || !seen.insert(folded).second) continue;
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
    const std::wstring hex = ToHexText(digest);
    const std::wstring sizeText = std::to_wstring(size.QuadPart);
    bytes = WithIniValue(WithIniValue(bytes, section, L"Size", sizeText), section, L"SHA256", hex);
    *out += L"[" + section + L"] " + name + L": Size=" + sizeText + L" SHA256=" + hex + L"\n";
  }
  if (const ResultCode written = ReplaceFile(feedPath, bytes)) {
    return Fail(out, L"Cannot write " + feedPath, written);
  }
  return status;
}

int WriteBlockMap(const std::wstring& installer, std::wstring* out) {
  BlockMap map;
  if (const ResultCode mapped = MapFile(installer, WholeDigest::Take, &map)) {
    return Fail(out, L"Cannot map " + installer, mapped);
  }
  const std::wstring mapPath = installer + L".blockmap";
  if (const ResultCode written = ReplaceFile(mapPath, FormatBlockMap(map))) {
    return Fail(out, L"Cannot write " + mapPath, written);
  }
  *out += L"Block map written to " + mapPath +
          FormatText(L": %llu bytes in %u blocks\n", map.size,
                     static_cast<unsigned>(map.blocks.size()));
  return kOk;
}

// Signs all the same: the key may already be known, and a release must still go out.
void WarnOfOtherKeyReaders(const std::wstring& keyPath, std::wstring* warnings) {
  std::wstring reader;
  const ResultCode checked = FindOtherKeyReader(keyPath, &reader);
  if (checked != kSuccess) {
    *warnings += L"Warning: cannot tell who may read " + keyPath + L": " + ResultText(checked) +
                 L"\n";
  } else if (!reader.empty()) {
    *warnings += L"Warning: " + keyPath + L" can be read by " + reader +
                 L"; keep the private key where only you can read it.\n";
  }
}

// The private key file's text without its last line breaks: keygen's line or PEM.
ResultCode ReadKeyText(const std::wstring& path, std::wstring* key) {
  std::string text;
  if (const ResultCode read = IniFile(path).ReadBytes(4096, &text)) return read;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  *key = std::wstring(text.begin(), text.end());
  return kSuccess;
}

int Pubkey(const std::wstring& keyPath, std::wstring* out, std::wstring* warnings) {
  std::wstring key, publicKey;
  if (const ResultCode read = ReadKeyText(keyPath, &key)) {
    return Fail(out, L"Cannot read " + keyPath, read);
  }
  WarnOfOtherKeyReaders(keyPath, warnings);
  if (const ResultCode derived = FeedPublicKeyOf(key, &publicKey)) {
    return Fail(out, L"No P-256 private key in " + keyPath, derived);
  }
  *out += L"FeedPublicKey=" + publicKey + L"\n";
  return kOk;
}

int Sign(const std::vector<std::wstring>& arguments, std::wstring* out, std::wstring* warnings) {
  const std::wstring& feedPath = arguments[1];
  std::wstring key;
  std::string bytes;
  if (const ResultCode read = ReadKeyText(arguments[2], &key)) {
    return Fail(out, L"Cannot read " + arguments[2], read);
  }
  WarnOfOtherKeyReaders(arguments[2], warnings);
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
  // A signed file is what clients take as the publisher's word: only one that validate accepts.
  const FeedCheck check = CheckFeed(bytes);
  if (!check.lines.empty()) {
    for (const std::wstring& line : check.lines) *out += line + L"\n";
    *out += L"Not signed: " + feedPath + L" has the problems above.\n";
    return kProblem;
  }
  // Clients that took the earlier release refuse a serial that is not above its one.
  FeedTrailer earlier;
  if (ParseFeedTrailer(bytes, &earlier) == kSuccess && serial <= earlier.serial) {
    *warnings += FormatText(L"Warning: serial %llu is not above %lu, the serial the file had; "
                            L"clients that read that release will refuse this one.\n",
                            serial, earlier.serial);
  }
  std::string body = WithoutFeedTrailer(bytes);
  if (!body.empty() && body.back() != '\n') body += "\r\n";
  const SYSTEMTIME expires = FeedExpiryAfterDays(CurrentFileTime(), static_cast<int>(days));
  const std::string signedPart = body + FeedTrailerHead(static_cast<DWORD>(serial), expires);
  std::wstring signature;
  if (const ResultCode signedResult =
          SignFeedBytes(key, signedPart, &signature)) {
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

// The name of the last section of an update configuration file's text.
std::wstring LastSectionName(const std::string& bytes) {
  const IniDocument document = ParseIniFile(bytes);
  return document.SectionNames().empty() ? std::wstring() : document.SectionNames().back();
}

// Loads `bytes` as the updater loads its update configuration file, through a temporary file:
// the result, the records read and why sections were refused.
ResultCode LoadAsUpdater(const std::string& bytes, UpdateList* updates,
                         std::vector<std::wstring>* refusals) {
  wchar_t path[MAX_PATH];
  if (!GetTempFileNameW(UserTempPath().c_str(), L"upv", 0, path)) return GetLastError();
  ResultCode result = ReplaceFile(path, bytes);
  if (result == kSuccess) {
    // A client whose downloads folder is short, so that only the file's own names can be too
    // long.
    ClientConfig client(std::wstring(), HKEY_CURRENT_USER);
    client.SetDownloadsFolder(L"C:\\Downloads");
    SetInvalidSectionListener([&](const std::wstring& section, const std::wstring& reason) {
      refusals->push_back(L"[" + section + L"] " + reason);
    });
    result = ServerConfig(path, client, *updates).Load(true, true);
    SetInvalidSectionListener(nullptr);
  }
  DeleteFileW(path);
  return result;
}

// Each update section is loaded with the header and [General] alone, so that one refused section
// does not hide the problems of those after it.
FeedCheck CheckFeed(const std::string& bytes) {
  const IniDocument document = ParseIniFile(bytes);
  std::vector<std::wstring> problems = FeedKeyProblems(document);
  const std::vector<std::wstring> valueProblems = FeedValueProblems(document);
  problems.insert(problems.end(), valueProblems.begin(), valueProblems.end());
  const std::vector<std::string> parts = SplitAtSectionLines(bytes);
  std::vector<std::pair<std::wstring, std::string>> sections;
  std::string head = parts.front();
  std::set<std::wstring> seen;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::wstring name = LastSectionName(head + parts[i]);
    // The updater reads only the first section of a name.
    if (name.empty() || !seen.insert(FoldIniName(name)).second) continue;
    if (FoldIniName(name) == FoldIniName(L"General")) {
      head += parts[i];
    } else {
      sections.emplace_back(name, parts[i]);
    }
  }
  FeedCheck check;
  UpdateList none;
  const ResultCode headLoaded = LoadAsUpdater(head, &none, &problems);
  if (headLoaded != kSuccess) {
    problems.push_back(L"[General] not accepted: " + ResultText(headLoaded));
    sections.clear();
  }
  bool refused = headLoaded != kSuccess;
  for (const auto& [name, text] : sections) {
    UpdateList updates;
    const std::size_t before = problems.size();
    const ResultCode loaded = LoadAsUpdater(head + text, &updates, &problems);
    if (loaded != kSuccess && problems.size() == before) {
      problems.push_back(L"[" + name + L"] not accepted: " + ResultText(loaded));
    }
    refused = refused || loaded != kSuccess;
    for (const UpdateInfo& update : updates.updates) {
      ++check.updates;
      if (update.size <= 0) problems.push_back(L"[" + update.sectionName + L"] has no Size");
      if (update.sha256.empty() && update.md5.empty()) {
        problems.push_back(L"[" + update.sectionName + L"] has neither SHA256 nor MD5");
      }
    }
  }
  check.lines = std::move(problems);
  if (refused) check.lines.push_back(kWholeFileRefused);
  return check;
}

int Validate(const std::wstring& feedPath, std::wstring* out) {
  std::string bytes;
  if (const ResultCode read = IniFile(feedPath).ReadBytes(kMaxIniFileBytes, &bytes)) {
    return Fail(out, L"Cannot read " + feedPath, read);
  }
  const FeedCheck check = CheckFeed(bytes);
  for (const std::wstring& line : check.lines) *out += line + L"\n";
  *out += FormatText(L"%u updates read\n", check.updates);
  return check.lines.empty() ? kOk : kProblem;
}

int ValidateClient(const std::wstring& path, std::wstring* out) {
  std::vector<std::wstring> problems;
  if (const ResultCode read = ClientConfigFileProblems(path, &problems)) {
    return Fail(out, L"Cannot read " + path, read);
  }
  for (const std::wstring& problem : problems) *out += problem + L"\n";
  if (problems.empty()) *out += L"No problems found in " + path + L"\n";
  return problems.empty() ? kOk : kProblem;
}

}  // namespace

int RunFeedTool(const std::vector<std::wstring>& arguments, std::wstring* out,
                std::wstring* warnings) {
  const std::size_t count = arguments.size();
  const std::wstring command = count > 0 ? arguments[0] : std::wstring();
  if (command == L"keygen" && count == 2) return Keygen(arguments[1], out);
  if (command == L"blockmap" && count == 2) return WriteBlockMap(arguments[1], out);
  if (command == L"hash" && count == 3) return Hash(arguments[1], arguments[2], out);
  if (command == L"pubkey" && count == 2) return Pubkey(arguments[1], out, warnings);
  if (command == L"sign" && count >= 3 && count <= 5) return Sign(arguments, out, warnings);
  if (command == L"validate" && count == 2) return Validate(arguments[1], out);
  if (command == L"validate-client" && count == 2) return ValidateClient(arguments[1], out);
  *out += kUsageText;
  return kUsage;
}

}  // namespace updater
