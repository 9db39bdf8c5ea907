#include "base/ResultText.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <mutex>
#include <utility>
#include <vector>

#include "base/UiLanguage.h"
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

// Codes whose text names the digest that did not match.
constexpr std::pair<ResultCode, const wchar_t*> kDigestMismatches[] = {
    {kMd5Mismatch, L"MD5"},
    {kSha256Mismatch, L"SHA256"},
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
  RegisteredTexts() = default;
  std::mutex mutex_;
  std::vector<std::pair<ResultCode, std::wstring>> texts_;
};

std::wstring StringIn(unsigned id, LANGID language) {
  const HMODULE module = GetModuleHandleW(nullptr);
  std::wstring text = LoadResourceStringIn(module, id, language);
  if (text.empty() && language != kEnglishLanguage) {
    text = LoadResourceStringIn(module, id, kEnglishLanguage);
  }
  return text;
}

std::wstring SystemMessage(ResultCode code, LANGID language) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
  ModuleHandle winInet;
  if (code >= kFirstWinInetError && code <= kLastWinInetError) {
    winInet.Reset(LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    flags |= FORMAT_MESSAGE_FROM_HMODULE;
  } else {
    flags |= FORMAT_MESSAGE_FROM_SYSTEM;
  }
  wchar_t* buffer = nullptr;
  // A system without the language's messages has them in its own language.
  DWORD length = FormatMessageW(flags, winInet.Get(), code, language,
                                reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0) {
    length = FormatMessageW(flags, winInet.Get(), code, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                            nullptr);
  }
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  LocalFree(buffer);
  if (text.empty()) text = FormatText(L"Unknown error %u (0x%X)", code, code);
  return text;
}

std::wstring ResultTextIn(ResultCode code, LANGID language) {
  if (!IsOwnCode(code)) return SystemMessage(code, language);
  for (const OwnCodeString& entry : kOwnCodeStrings) {
    if (entry.code == code) return StringIn(entry.stringId, language);
  }
  for (const auto& [mismatch, digest] : kDigestMismatches) {
    if (mismatch == code) return FormatText(StringIn(IDS_CORRUPT_FILE, language).c_str(), digest);
  }
  std::wstring text;
  if (RegisteredTexts::Instance().Find(code, &text)) return text;
  return FormatText(L"0x%X", code);
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

std::wstring LoadResourceString(unsigned id) { return StringIn(id, UiLanguage()); }

void RegisterResultText(ResultCode code, const std::wstring& text) {
  RegisteredTexts::Instance().Add(code, text);
}

ResultCode LastErrorOr(ResultCode fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

std::wstring ResultText(ResultCode code) { return ResultTextIn(code, kEnglishLanguage); }

std::wstring UserResultText(ResultCode code) { return ResultTextIn(code, UiLanguage()); }

}  // namespace updater
