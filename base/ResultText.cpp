#include "base/ResultText.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <mutex>
#include <utility>
#include <vector>

#include "base/UniqueHandle.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

struct OwnCodeString {
  ResultCode code;
  unsigned stringId;
};

constexpr OwnCodeString kOwnCodeStrings[] = {
    {kUnableToExpandPath, IDS_UNABLE_TO_EXPAND_PATH},
    {kConfigFileNotFound, IDS_CONFIG_FILE_NOT_FOUND},
    {kUndefinedConfigFormat, IDS_UNDEFINED_CONFIG_FORMAT},
    {kUndefinedFileVersion, IDS_UNDEFINED_FILE_VERSION},
    {kUnableToSaveFile, IDS_UNABLE_TO_SAVE_FILE},
    {kInvalidCommandLine, IDS_INVALID_COMMAND_LINE},
    {kInvalidClientConfig, IDS_INVALID_CLIENT_CONFIG},
    {kCanceled, IDS_ACTION_CANCELED},
    {kFileNotFound, IDS_FILE_NOT_FOUND},
    {kUnableToFindUpdate, IDS_UNABLE_TO_FIND_UPDATE},
    {kUnknownException, IDS_UNKNOWN_EXCEPTION},
    {kInstallationFailed, IDS_UPDATE_INSTALL_FAILED},
    {kDependencyNotInstalled, IDS_DEPENDENT_UPDATE_NOT_INSTALLED},
    {kInvalidHeader, IDS_INVALID_UPDATES_CONFIG_HEADER},
    {kRequestTimeout, IDS_REQUEST_TIMEOUT},
    {kUpToDate, IDS_UP_TO_DATE},
    {kCredentialsNeeded, IDS_CREDENTIALS_REQUIRED},
    {kInvalidUpdateSection, IDS_INVALID_UPDATES_CONFIG},
    {kInstallationCanceled, IDS_INSTALL_CANCELED},
    {kForbidden, IDS_REQUEST_REFUSED},
    {kResumeNotSupported, IDS_TIMEOUT_NO_RESUME},
    {kResourceNotFound, IDS_RESOURCE_NOT_FOUND},
    {kServiceError, IDS_SUPPORT_SERVICE_ERROR},
    {kSizeMismatch, IDS_SIZE_MISMATCH},
    {kUntrustedPublisher, IDS_UNTRUSTED_PUBLISHER},
    {kSignerMismatch, IDS_SIGNATURE_MISMATCH},
    {kInvalidNotification, IDS_INVALID_NOTIFICATION},
    {kUnsafeBatchPath, IDS_UNSAFE_BATCH_PATH},
    {kLinkedFolder, IDS_LINKED_FOLDER},
    {kFeedSignatureInvalid, IDS_FEED_SIGNATURE_INVALID},
    {kFeedExpired, IDS_FEED_EXPIRED},
    {kFeedRolledBack, IDS_FEED_ROLLED_BACK},
    {kUnsafeServiceLocation, IDS_UNSAFE_SERVICE_LOCATION},
    {kUnversionedRelease, IDS_UNVERSIONED_RELEASE},
    {kUpdatesDisabledByAdministrator, IDS_UPDATES_DISABLED_BY_ADMIN},
    {kSetByAdministrator, IDS_SET_BY_ADMINISTRATOR},
    {kServerAskedToWait, IDS_SERVER_ASKED_TO_WAIT},
    {kOutsideUpdateWindow, IDS_OUTSIDE_UPDATE_WINDOW},
    {kMeteredConnection, IDS_METERED_CONNECTION},
};

// WinINet's messages live in its own module's message table.
constexpr ResultCode kFirstWinInetError = 12000;
constexpr ResultCode kLastWinInetError = 12192;

// Texts registered while the program runs; never shrunk, shared by all threads.
class RegisteredTexts {
 public:
  static RegisteredTexts& Instance() {
    static RegisteredTexts instance;
    return instance;
  }
  void Add(ResultCode code, const std::wstring& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.emplace_back(code, text);
  }
  bool Find(ResultCode code, std::wstring* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : texts_) {
      if (entry.first == code) {
        *text = entry.second;
        return true;
      }
    }
    return false;
  }

 private:
  RegisteredTexts() {
    const std::wstring corrupt = LoadResourceString(IDS_CORRUPT_FILE);
    texts_.emplace_back(kMd5Mismatch, FormatText(corrupt.c_str(), L"MD5"));
    texts_.emplace_back(kSha256Mismatch, FormatText(corrupt.c_str(), L"SHA256"));
  }
  std::mutex mutex_;
  std::vector<std::pair<ResultCode, std::wstring>> texts_;
};

std::wstring SystemMessage(ResultCode code) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
  ModuleHandle winInet;
  if (code >= kFirstWinInetError && code <= kLastWinInetError) {
    winInet.Reset(LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    flags |= FORMAT_MESSAGE_FROM_HMODULE;
  } else {
    flags |= FORMAT_MESSAGE_FROM_SYSTEM;
  }
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(flags, winInet.Get(), code, 0,
                                      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  LocalFree(buffer);
  if (text.empty()) text = FormatText(L"Unknown error %u (0x%X)", code, code);
  return text;
}

}  // namespace

std::wstring FormatText(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  va_list probe;
  va_copy(probe, args);
  const int length = _vscwprintf(format, probe);
  va_end(probe);
  std::wstring text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    _vsnwprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

std::wstring LoadResourceString(unsigned id) {
  // With a zero buffer size LoadStringW hands out a read-only pointer into the resource itself.
  const wchar_t* text = nullptr;
  const int length =
      LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

void RegisterResultText(ResultCode code, const std::wstring& text) {
  RegisteredTexts::Instance().Add(code, text);
}

ResultCode LastErrorOr(ResultCode fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

std::wstring ResultText(ResultCode code) {
  RegisteredTexts& registered = RegisteredTexts::Instance();
  if (!IsOwnCode(code)) return SystemMessage(code);
  for (const OwnCodeString& entry : kOwnCodeStrings) {
    if (entry.code == code) return LoadResourceString(entry.stringId);
  }
  std::wstring text;
  if (registered.Find(code, &text)) return text;
  return FormatText(L"0x%X", code);
}

}  // namespace updater
