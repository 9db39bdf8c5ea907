#pragma once

#include <string>

namespace updater {

// `text` as a PowerShell single-quoted literal. Inside one PowerShell expands nothing; only a
// quote ends it, and the typographic single quotes count as quotes too, so each is doubled.
std::wstring PowerShellLiteral(const std::wstring& text);

// The script that installs the app package at `packagePath` and exits with its error count. The
// path ends in a file name from the update configuration file, so it is passed as a literal and
// as -LiteralPath: neither "$(...)", "$name", backticks nor wildcards in it mean anything.
std::wstring AppPackageScript(const std::wstring& packagePath);

}  // namespace updater
