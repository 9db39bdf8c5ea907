#pragma once

#include <windows.h>
#include <msi.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

// What path expansion looks up outside the text: environment variables and the paths of
// installed Windows Installer components.
class PathLookup {
 public:
  virtual ~PathLookup() = default;
  // False when the variable is not defined.
  virtual bool EnvironmentVariable(const std::wstring& name, std::wstring* value) const = 0;
  // The component's install state; `path` is filled when the state is local or source.
  virtual INSTALLSTATE ComponentPath(const std::wstring& productCode,
                                     const std::wstring& componentId,
                                     std::wstring* path) const = 0;
};

// The process environment and MsiGetComponentPathW.
const PathLookup& SystemPathLookup();

// Expands a configured path: "%NAME%" gives the environment variable NAME, "[APPDIR]" gives
// `appDir`, "[{product-code}component-id]" gives the path of that installed component; other
// characters are copied, as are a "%" or "[" that nothing closes. An undefined variable, an unknown
// property or a component that is neither local nor run from source fail with kUnableToExpandPath,
// and `out` is left alone so that the caller can keep the raw value.
ResultCode ExpandPath(const std::wstring& raw, const std::wstring& appDir,
                      const PathLookup& lookup, std::wstring* out);

// The expansion through the system's lookups, or `raw` itself when it cannot be expanded.
std::wstring ExpandPathOrKeep(const std::wstring& raw, const std::wstring& appDir);

}  // namespace updater
