#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/LogLine.h"
#include "base/UniqueHandle.h"

namespace updater {

// Bits of the LogLevel setting; a message belongs to exactly one of them.
enum LogLevel : std::uint32_t { kLogError = 1, kLogInfo = 2, kLogDebug = 4, kLogTrace = 8 };

// The diagnostic trace of the updater: one UTF-16LE file per run location, every line also sent to
// the debugger output. Every operation holds one lock, so lines of different threads never mix.
class Logger {
 public:
  // Public so that tests can make instances of their own; the program uses Instance().
  Logger();
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  static Logger& Instance();

  // Once the file is open it stays where it is: a different path is then ignored.
  void SetLogFile(const std::wstring& path);
  // The name the file gets inside a fallback folder; empty means the executable's name + ".LOG".
  void SetFileName(const std::wstring& name);

  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  void SetLevelMask(std::uint32_t mask);
  std::uint32_t LevelMask() const;
  // Callers ask before they build a message, since building it is the costly part.
  bool ShouldLog(std::uint32_t level) const;

  // Writes one line whatever the mask says, opening the file on first use.
  void Write(const std::wstring& context, const std::wstring& message);

  // The path in use, after any fallback; for tests and diagnostics.
  const std::wstring& LogPath() const;

 private:
  class Lock;

  CRITICAL_SECTION& Section() const;
  void OpenFile();
  bool TakeNextFallback();
  void WriteAndFlush(const void* data, DWORD size);
  void WriteText(const std::wstring& text);

  mutable INIT_ONCE sectionOnce_ = INIT_ONCE_STATIC_INIT;
  mutable CRITICAL_SECTION section_;
  mutable bool sectionReady_ = false;

  bool enabled_ = false;
  std::uint32_t levelMask_ = 0;
  std::wstring logPath_;
  std::wstring fileName_;
  // Fallbacks already tried; a logger that found no place gives up instead of retrying per line.
  int fallbacksTaken_ = 0;
  FileHandle file_;
};

// The common call of the program: writes through Instance() when it logs this level.
void Log(std::uint32_t level, const std::wstring& message);

// The name of the log file inside a fallback folder: fileName, or when empty the executable's
// name with the extension "LOG".
std::wstring FallbackLogFileName(const std::wstring& fileName, const std::wstring& exePath);

// path with its extension replaced by (or, without one, extended with) "LOG".
std::wstring WithLogExtension(const std::wstring& path);

}  // namespace updater
