#include "base/Logger.h"

#include "base/ExecutablePath.h"
#include "base/OsVersion.h"
#include "base/PathKind.h"
#include "base/TextUtil.h"
#include "base/UserTempPath.h"

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace updater {
namespace {

constexpr wchar_t kBanner[] = L"\r\n<< Tovanix (x86) Log >>\r\n";
constexpr wchar_t kLogFolderName[] = L"TOVAN_LOGS";
// Everyone gets full access, inherited by the files, so that a log folder created by an elevated
// run stays writable for runs of ordinary users.
constexpr wchar_t kLogFolderSecurity[] = L"D:(A;OICI;GA;;;WD)";
constexpr int kFallbackCount = 3;

// Debug viewers with fixed buffers cut long strings, so lines go out in pieces they show whole.
void SendToDebugger(const std::wstring& text) {
  constexpr std::size_t kPieceLength = 255;
  wchar_t piece[kPieceLength + 1];
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t count = std::min(kPieceLength, text.size() - pos);
    // Never split a surrogate pair between two pieces.
    if (pos + count < text.size() && IS_HIGH_SURROGATE(text[pos + count - 1])) --count;
    text.copy(piece, count, pos);
    piece[count] = L'\0';
    OutputDebugStringW(piece);
    pos += count;
  }
}

BOOL CALLBACK InitializeSection(PINIT_ONCE, PVOID section, PVOID*) {
  InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(section));
  return TRUE;
}

std::wstring CommonAppDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return folder;
}

std::wstring TempFolder() {
  std::wstring path = UserTempPath();
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

bool IsLink(const std::wstring& path) { return PathKindOf(path) == PathKind::Link; }

// Everyone can write into the shared log folder, so a log file or folder there may be a junction
// or symbolic link that points the lines of another user's (or an elevated) run at any file.
bool IsLinkedLogPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return IsLink(path) || (slash != std::wstring::npos && IsLink(path.substr(0, slash)));
}

bool EnsureLogFolder(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  LocalSecurityDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSecurity, SDDL_REVISION_1,
                                                            descriptor.Put(), nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  security.lpSecurityDescriptor = descriptor.Get();
  return CreateDirectoryW(folder.c_str(), &security) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The log file inside parent\TOVAN_LOGS, or empty when that folder cannot be had.
std::wstring PathInLogFolder(const std::wstring& parent, const std::wstring& fileName) {
  if (parent.empty()) return {};
  const std::wstring folder = parent + L"\\" + kLogFolderName;
  if (!EnsureLogFolder(folder)) return {};
  return folder + L"\\" + FallbackLogFileName(fileName, ThisExecutablePath());
}

std::wstring OsVersionLine() {
  OSVERSIONINFOEXW version;
  ReadRealOsVersion(&version);
  wchar_t line[128];
  swprintf(line, sizeof(line) / sizeof(line[0]), L"OS Version: %lu.%lu.%lu SP%u (%ls) [%ls]\r\n",
           static_cast<unsigned long>(version.dwMajorVersion),
           static_cast<unsigned long>(version.dwMinorVersion),
           static_cast<unsigned long>(version.dwBuildNumber),
           static_cast<unsigned>(version.wServicePackMajor),
           version.wProductType == VER_NT_WORKSTATION ? L"workstation" : L"server",
           IsWindows64Bit() ? L"x64" : L"x86");
  return line;
}

// The processor's brand string, trimmed; empty when the processor has none.
std::wstring CpuBrand() {
  constexpr unsigned kFirstBrandLeaf = 0x80000002;
  constexpr unsigned kLastBrandLeaf = 0x80000004;
  unsigned registers[12] = {};
#if defined(_MSC_VER)
  int info[4] = {};
  __cpuid(info, 0x80000000);
  if (static_cast<unsigned>(info[0]) < kLastBrandLeaf) return {};
  for (unsigned leaf = kFirstBrandLeaf; leaf <= kLastBrandLeaf; ++leaf) {
    __cpuid(reinterpret_cast<int*>(&registers[(leaf - kFirstBrandLeaf) * 4]), leaf);
  }
#else
  if (__get_cpuid_max(0x80000000, nullptr) < kLastBrandLeaf) return {};
  for (unsigned leaf = kFirstBrandLeaf; leaf <= kLastBrandLeaf; ++leaf) {
    unsigned* out = &registers[(leaf - kFirstBrandLeaf) * 4];
    __cpuid(leaf, out[0], out[1], out[2], out[3]);
  }
#endif
  char brand[sizeof(registers) + 1] = {};
  std::memcpy(brand, registers, sizeof(registers));
  std::wstring text;
  for (const char* c = brand; *c != '\0'; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    // Brand strings are ASCII; anything else would only garble the log.
    if (byte >= 0x20 && byte < 0x7F) text.push_back(static_cast<wchar_t>(byte));
  }
  return Trim(text, L" ");
}

std::wstring CpuLine() {
  const std::wstring brand = CpuBrand();
  return L"CPU: " + (brand.empty() ? std::wstring(L"UnkownCPU") : brand) + L"\r\n";
}

}  // namespace

class Logger::Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

Logger::Logger() = default;

Logger::~Logger() {
  BOOL pending = FALSE;
  if (InitOnceBeginInitialize(&sectionOnce_, INIT_ONCE_CHECK_ONLY, &pending, nullptr) &&
      !pending) {
    DeleteCriticalSection(&section_);
  }
}

Logger& Logger::Instance() {
  // Function-local statics are constructed exactly once even when threads race to the first call.
  static Logger instance;
  return instance;
}

CRITICAL_SECTION& Logger::Section() const {
  InitOnceExecuteOnce(&sectionOnce_, InitializeSection, &section_, nullptr);
  return section_;
}

void Logger::SetLogFile(const std::wstring& path) {
  Lock lock(Section());
  SendToDebugger(L"Logger::SetLogFile( " + path + L" ) while OLD path is:" + logPath_);
  if (file_) {
    // Lines already written stay together in the file that is open.
    return;
  }
  logPath_ = path;
  fallbacksTaken_ = 0;
}

void Logger::SetFileName(const std::wstring& name) {
  Lock lock(Section());
  fileName_ = name;
}

void Logger::SetEnabled(bool enabled) {
  Lock lock(Section());
  enabled_ = enabled;
}

bool Logger::IsEnabled() const {
  Lock lock(Section());
  return enabled_;
}

void Logger::SetLevelMask(std::uint32_t mask) {
  Lock lock(Section());
  levelMask_ = mask;
}

std::uint32_t Logger::LevelMask() const {
  Lock lock(Section());
  return levelMask_;
}

bool Logger::ShouldLog(std::uint32_t level) const {
  Lock lock(Section());
  return enabled_ && (levelMask_ & level) != 0;
}

const std::wstring& Logger::LogPath() const {
  Lock lock(Section());
  return logPath_;
}

void Logger::Write(const std::wstring& context, const std::wstring& message) {
  Lock lock(Section());
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring line =
      FormatLogLine(now, GetCurrentProcessId(), GetCurrentThreadId(), context, message);
  SendToDebugger(line);
  OpenFile();
  if (!file_) return;
  // Another logger or process may have appended since the last line.
  LARGE_INTEGER origin = {};
  SetFilePointerEx(file_.Get(), origin, nullptr, FILE_END);
  WriteText(line);
}

bool Logger::TakeNextFallback() {
  while (fallbacksTaken_ < kFallbackCount) {
    std::wstring path;
    switch (fallbacksTaken_++) {
      case 0:
        path = PathInLogFolder(CommonAppDataFolder(), fileName_);
        break;
      case 1: {
        const std::wstring exePath = ThisExecutablePath();
        if (!exePath.empty()) path = WithLogExtension(exePath);
        break;
      }
      default:
        path = PathInLogFolder(TempFolder(), fileName_);
        break;
    }
    if (!path.empty()) {
      logPath_ = std::move(path);
      return true;
    }
  }
  return false;
}

void Logger::OpenFile() {
  while (!file_) {
    if (logPath_.empty() && !TakeNextFallback()) return;
    if (IsLinkedLogPath(logPath_)) {
      SendToDebugger(L"LOGGER->refused a linked LOG at:" + logPath_);
      logPath_.clear();
      continue;
    }
    // Opens a link made after the check as itself, not what it points at.
    FileHandle file(CreateFileW(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const DWORD openError = GetLastError();
    if (!file) {
      SendToDebugger(L"LOGGER->failed to create LOG at:" + logPath_);
      logPath_.clear();
      continue;
    }
    file_ = std::move(file);
    if (openError == ERROR_ALREADY_EXISTS) {
      SendToDebugger(L"LOGGER->Reusing LOG file at:" + logPath_ + L"\r\n");
      LARGE_INTEGER origin = {};
      SetFilePointerEx(file_.Get(), origin, nullptr, FILE_END);
    } else {
      SendToDebugger(L"LOGGER->Creating LOG file at:" + logPath_ + L"\r\n");
      static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
      WriteAndFlush(kByteOrderMark, sizeof(kByteOrderMark));
    }
    WriteText(kBanner);
    WriteText(OsVersionLine());
    WriteText(CpuLine());
    WriteText(L"\r\n");
  }
}

void Logger::WriteAndFlush(const void* data, DWORD size) {
  // Failures are ignored: a log that cannot be written must not change how the run ends.
  DWORD written = 0;
  WriteFile(file_.Get(), data, size, &written, nullptr);
  // Flushed line by line so that the log survives a crash or a killed process.
  FlushFileBuffers(file_.Get());
}

void Logger::WriteText(const std::wstring& text) {
  WriteAndFlush(text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

void Log(std::uint32_t level, const std::wstring& message) {
  Logger& logger = Logger::Instance();
  if (logger.ShouldLog(level)) logger.Write(std::wstring(), message);
}

std::wstring FallbackLogFileName(const std::wstring& fileName, const std::wstring& exePath) {
  if (!fileName.empty()) return fileName;
  const std::size_t slash = exePath.find_last_of(L"\\/");
  return WithLogExtension(slash == std::wstring::npos ? exePath : exePath.substr(slash + 1));
}

std::wstring WithLogExtension(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::size_t dot = path.find_last_of(L'.');
  const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot) : path) + L".LOG";
}

}  // namespace updater
