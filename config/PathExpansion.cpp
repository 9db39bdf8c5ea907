#include "config/PathExpansion.h"

#include <utility>
#include <vector>

namespace updater {

namespace {

class SystemLookup : public PathLookup {
 public:
  bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      SetLastError(ERROR_SUCCESS);
      const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(),
                                                   static_cast<DWORD>(buffer.size()));
      // A defined but empty variable also returns 0; only the error tells them apart.
      if (length == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        value->clear();
        return true;
      }
      if (length < buffer.size()) {
        value->assign(buffer.data(), length);
        return true;
      }
      buffer.resize(length);
    }
  }

  INSTALLSTATE ComponentPath(const std::wstring& productCode, const std::wstring& componentId,
                             std::wstring* path) const override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      DWORD size = static_cast<DWORD>(buffer.size());
      const INSTALLSTATE state =
          MsiGetComponentPathW(productCode.c_str(), componentId.c_str(), buffer.data(), &size);
      if (state == INSTALLSTATE_MOREDATA) {
        buffer.resize(size + 1);
        continue;
      }
      if (state == INSTALLSTATE_LOCAL || state == INSTALLSTATE_SOURCE) {
        path->assign(buffer.data(), size);
      }
      return state;
    }
  }
};

ResultCode ExpandProperty(const std::wstring& name, const std::wstring& appDir,
                          const PathLookup& lookup, std::wstring* value) {
  if (name == L"APPDIR") {
    *value = appDir;
    return kSuccess;
  }
  if (name.empty() || name[0] != L'{') return kUnableToExpandPath;
  const std::size_t close = name.find(L'}');
  if (close == std::wstring::npos) return kUnableToExpandPath;
  const INSTALLSTATE state =
      lookup.ComponentPath(name.substr(0, close + 1), name.substr(close + 1), value);
  return state == INSTALLSTATE_LOCAL || state == INSTALLSTATE_SOURCE ? kSuccess
                                                                     : kUnableToExpandPath;
}

}  // namespace

const PathLookup& SystemPathLookup() {
  static const SystemLookup lookup;
  return lookup;
}

ResultCode ExpandPath(const std::wstring& raw, const std::wstring& appDir,
                      const PathLookup& lookup, std::wstring* out) {
  std::wstring result;
  std::size_t position = 0;
  while (position < raw.size()) {
    const wchar_t c = raw[position];
    const wchar_t closing = c == L'%' ? L'%' : c == L'[' ? L']' : L'\0';
    const std::size_t end =
        closing != L'\0' ? raw.find(closing, position + 1) : std::wstring::npos;
    if (end == std::wstring::npos) {
      result.push_back(c);
      ++position;
      continue;
    }
    const std::wstring name = raw.substr(position + 1, end - position - 1);
    std::wstring value;
    if (c == L'%') {
      if (!lookup.EnvironmentVariable(name, &value)) return kUnableToExpandPath;
    } else {
      const ResultCode code = ExpandProperty(name, appDir, lookup, &value);
      if (code != kSuccess) return code;
    }
    result += value;
    position = end + 1;
  }
  *out = std::move(result);
  return kSuccess;
}

std::wstring ExpandPathOrKeep(const std::wstring& raw, const std::wstring& appDir) {
  std::wstring expanded;
  return ExpandPath(raw, appDir, SystemPathLookup(), &expanded) == kSuccess ? expanded : raw;
}

}  // namespace updater
