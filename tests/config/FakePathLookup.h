#pragma once

#include "config/PathExpansion.h"

namespace updater {

// Two variables, and components of product {P} named after their install state; only those
// installed locally or from source have a path.
class FakeLookup : public PathLookup {
 public:
  bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const override {
    *value = name == L"ProgramData" ? L"C:\\ProgramData" : L"";
    return name == L"EMPTY" || name == L"ProgramData";
  }
  INSTALLSTATE ComponentPath(const std::wstring& product, const std::wstring& component,
                             std::wstring* path) const override {
    *path = L"C:\\" + component;
    if (product != L"{P}") return INSTALLSTATE_UNKNOWN;
    return component == L"{LOCAL}"    ? INSTALLSTATE_LOCAL
           : component == L"{SOURCE}" ? INSTALLSTATE_SOURCE
           : component == L"{ABSENT}" ? INSTALLSTATE_ABSENT
                                      : INSTALLSTATE_ADVERTISED;
  }
};

}  // namespace updater
