#pragma once

#include <windows.h>

#include <string>

#include "app/ClientConfig.h"
#include "app/UniqueHandle.h"

namespace updater::test {

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

// Removes a folder with everything in it.
void DeleteFolderTree(const std::wstring& path);

// A registry key under HKEY_CURRENT_USER (or another root) removed with its subkeys at the end.
// Created with a unique last component so that tests never see each other's values.
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

// A client configuration loaded from a file that holds nothing but a unique ID, so that the
// settings it writes under HKEY_CURRENT_USER are its own; they are removed at the end.
class ScopedClientConfig {
 public:
  explicit ScopedClientConfig(const std::wstring& idPrefix);
  ScopedClientConfig(const ScopedClientConfig&) = delete;
  ScopedClientConfig& operator=(const ScopedClientConfig&) = delete;
  const ClientConfig& Config() const { return config_; }

 private:
  TempFolder folder_;
  std::wstring id_;
  ScopedRegistryTree tree_;
  ClientConfig config_;
};

enum class TextEncoding { Ansi, Utf16 };
void WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::wstring ThisExecutableFolder();

void SetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                       const std::wstring& value);
void SetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD value);
// Returns false when the value does not exist.
bool GetRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& name, DWORD* value);
bool GetRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                       std::wstring* value);
void DeleteRegistryTree(HKEY root, const std::wstring& subKey);

// The local test servers' folder (UPDATER_SERVERS_DIR) as a Windows path; empty when not set.
std::wstring ServersFolder();

// "127.0.0.1:<port>" of a local test server: "http", "https", "proxy" (basic auth),
// "openproxy", "ftp", "ftprest" (REST in any type), "fault".
std::wstring ServerAddress(const wchar_t* name);

// Narrow text for assertion messages.
std::string Narrow(const std::wstring& text);

// Adds the DER certificate in `certificatePath` to the machine's Root store, so that signatures
// chaining to it are trusted in this prefix.
void TrustRootCertificate(const std::wstring& certificatePath);

}  // namespace updater::test
