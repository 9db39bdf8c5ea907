#pragma once

#include <windows.h>

#include <string>

namespace updater {

// Whether the MD5 digest of an open file, read from its start, matches `expected`: the first 32
// characters of `expected`, with the letters A to F read as lower case, must equal the digest's 32
// lower-case hex digits; anything after them is not looked at. An empty file, a file of
// 0xFFFFFFFE bytes or more, or one that cannot be read fails.
bool CheckMD5(HANDLE file, const std::wstring& expected);

}  // namespace updater
