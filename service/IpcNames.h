#pragma once

#include <windows.h>

#include <string>

namespace updater {

// The kernel objects of one client/server conversation, all named after one base name.
struct IpcObjectNames {
  std::wstring mapping;
  std::wstring commandEvent;
  std::wstring replyEvent;
  std::wstring readyEvent;
  // Owned by the server's thread for its whole life: abandoned when the server ends, so that a
  // client waiting for the reply learns that none will come.
  std::wstring serverMutex;
};

IpcObjectNames MakeIpcObjectNames(const std::wstring& baseName);

// A GUID as a base name: upper-case hex groups joined by "_", no braces, since object names
// must not hold the braces and dashes of the registry form.
std::wstring GuidBaseName(const GUID& guid);

// A fresh GUID base name; empty when no GUID can be made.
std::wstring NewIpcBaseName();

// The executable of a service's configured binary path: its first word, cut before the first
// "/" of its switches. A quoted path is its first word even when it holds blanks.
std::wstring ServiceExecutableOf(const std::wstring& binaryPath);

// The base name a service older than 2.2.0.0 derives from its configured binary path: the
// executable's path (ServiceExecutableOf) in lower case with "_" for "\", which object names must
// not hold.
std::wstring LegacyIpcBaseName(const std::wstring& binaryPath);

// Whether a base name that any user may hand to the service can name the objects and stand as a
// value in the hand-over file: 1 to 200 characters, no control character (an INI line would end),
// no "\" or "/" (object name separators), no double quote and no blank at either end (the profile
// functions strip both from a value, so the server would open other objects).
bool IsValidIpcBaseName(const std::wstring& baseName);

}  // namespace updater
