#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "base/ProcessStart.h"
#include "base/UniqueHandle.h"
#include "config/ClientConfig.h"
#include "transfer/UpdateEvents.h"

namespace updater::test {

// Polls `condition` until it holds; false when it did not within `timeoutMs`.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000, DWORD pollMs = 20);

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

void DeleteFolderTree(const std::wstring& path);

// A registry key under HKEY_CURRENT_USER (or another root) removed with its subkeys at the end.
class ScopedRegistryTree {
 public:
  explicit ScopedRegistryTree(std::wstring subKey, HKEY root = HKEY_CURRENT_USER);
  ~ScopedRegistryTree();
  ScopedRegistryTree(const ScopedRegistryTree&) = delete;
  ScopedRegistryTree& operator=(const ScopedRegistryTree&) = delete;
  const std::wstring& SubKey() const { return subKey_; }

 private:
  HKEY root_;
  std::wstring subKey_;
};

// A name unique within this test run, for configuration IDs and registry keys.
std::wstring UniqueName(const std::wstring& prefix);

enum class TextEncoding { Ansi, Utf16 };

// A client configuration of its own: the file `fileName` in a fresh folder, and a unique ID whose
// settings and policy under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are removed at the end.
class ClientConfigFile {
 public:
  explicit ClientConfigFile(const std::wstring& idPrefix = L"Test",
                            const std::wstring& fileName = L"client.ini",
                            TextEncoding encoding = TextEncoding::Ansi);
  ClientConfigFile(const ClientConfigFile&) = delete;
  ClientConfigFile& operator=(const ClientConfigFile&) = delete;
  const std::wstring& Id() const { return id_; }
  const std::wstring& Path() const { return path_; }
  const std::wstring& Folder() const { return folder_.Path(); }
  // `name` in the file's folder.
  std::wstring File(const std::wstring& name) const { return folder_.File(name); }
  // The ID's key under either root, or a subkey of it ("Settings").
  std::wstring Key(const std::wstring& subKey = L"") const {
    return L"Software\\Merrow\\Ruddle\\" + id_ + (subKey.empty() ? L"" : L"\\" + subKey);
  }
  // The administrator's policy key of the ID, under either root.
  std::wstring PolicyKey() const { return L"Software\\Policies\\Merrow\\Ruddle\\" + id_; }
  // Rewrites the file: [General], the ID, then `keys`, each line ending in "\r\n".
  void Write(const std::wstring& keys) const;
  // Writes `keys` and loads the file, its settings read under `settingsRoot`.
  ClientConfig Load(const std::wstring& keys, HKEY settingsRoot = HKEY_CURRENT_USER) const;

 private:
  std::wstring id_;
  TempFolder folder_;
  std::wstring path_;
  TextEncoding encoding_;
  ScopedRegistryTree user_, machine_, userPolicy_, machinePolicy_;
};

// A client configuration file written with `keys` and loaded once.
class ScopedClientConfig : public ClientConfigFile {
 public:
  explicit ScopedClientConfig(const std::wstring& idPrefix = L"Test", const std::wstring& keys = L"")
      : ClientConfigFile(idPrefix), config_(Load(keys)) {}
  const ClientConfig& Config() const { return config_; }
  ClientConfig& Config() { return config_; }

 private:
  ClientConfig config_;
};

// All that the program's log holds; a log that is off is first sent, every level of it, to a file
// of its own.
std::wstring LogText();
// How often `part` occurs in `text`.
size_t CountOf(const std::wstring& text, const std::wstring& part);

void WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding);
// Each byte as one UTF-16LE character after the byte-order mark.
std::string Utf16(const std::string& bytes);
// Distinct, reproducible bytes, so that a wrong offset or a lost block shows.
inline std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Replaces the DACL of the file or folder `path` with that of the descriptor `sddl`.
bool SetFileDacl(const std::wstring& path, const std::wstring& sddl);
std::wstring ThisExecutableFolder();
// Saves the whole screen of the test display as <build>/screenshots/<name>.png, to be looked at.
void SaveScreenshot(const std::wstring& name);
// A file of tests/fixtures, built beside the test programs.
std::wstring FixturePath(const std::wstring& name);

void SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value);
void SetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD value);
// Returns false when the value does not exist.
bool GetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD* value);

// The local test servers' folder (UPDATER_SERVERS_DIR) as a Windows path; empty when not set.
std::wstring ServersFolder();

// "127.0.0.1:<port>" of a local test server: "http", "https", "proxy" (basic auth),
// "openproxy", "ftp", "ftprest" (REST in any type), "fault".
std::wstring ServerAddress(const wchar_t* name);

// Narrow text for assertion messages.
inline std::string Narrow(const std::wstring& text) { return ToUtf8Text(text); }

// Adds the DER certificate in `certificatePath` to the machine's Root store, so that signatures
// chaining to it are trusted in this prefix.
void TrustRootCertificate(const std::wstring& certificatePath);

// Makes `link` a link to the folder `target` that the program sees as a reparse point: Wine 8
// makes no junction or symbolic link (FSCTL_SET_REPARSE_POINT fails with ERROR_NOT_SUPPORTED,
// CreateSymbolicLinkW succeeds and makes nothing) but shows a Unix symbolic link to a folder as
// one, so /bin/ln makes it through Wine's own spawn function. An empty `target` removes the link.
bool UnixLink(const std::wstring& link, const std::wstring& target);

// Records what a download, check or installation reports and answers its questions as the test
// sets up; by default as nobody watching would.
class RecordingEvents : public UpdateEvents {
 public:
  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring&) override {
    begun.push_back(action);
    beginTotals.push_back(total);
  }
  void Advanced(std::uint32_t amount) override { progressBytes += amount; }
  void ActionEnded(UpdateAction action, ResultCode result) override {
    ended.emplace_back(action, result);
  }
  bool IsCanceled() override { return cancelAfterBytes != 0 && progressBytes >= cancelAfterBytes; }
  bool AcceptCertificate(ResultCode error, HINTERNET) override {
    questions.push_back(error);
    return acceptCertificates;
  }
  bool ProvideCredentials(CredentialProvider& provider) override {
    return onCredentials && onCredentials(provider);
  }
  MismatchAnswer AnswerMismatch(ResultCode mismatch) override {
    questions.push_back(mismatch);
    return onMismatch ? onMismatch(mismatch) : MismatchAnswer::Keep;
  }
  void Failed(ResultCode code, const std::wstring&) override { failures.push_back(code); }

  std::uint64_t cancelAfterBytes = 0;  // cancels once this many bytes were reported; 0 never
  bool acceptCertificates = false;
  std::function<bool(CredentialProvider&)> onCredentials;
  std::function<MismatchAnswer(ResultCode)> onMismatch;

  std::uint64_t progressBytes = 0;
  std::vector<UpdateAction> begun;
  std::vector<std::uint32_t> beginTotals;
  std::vector<std::pair<UpdateAction, ResultCode>> ended;
  std::vector<ResultCode> failures;
  // The certificate errors and digest mismatches asked about, in order.
  std::vector<ResultCode> questions;
};

}  // namespace updater::test
