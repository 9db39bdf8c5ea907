#include "transfer/Md5File.h"

#include <windows.h>

#include <vector>

#include "transfer/Md5.h"

namespace updater {
namespace {

constexpr DWORD kBlockSize = 65536;
// Sizes are 32-bit throughout, so files at the very top of that range are not supported.
constexpr DWORD kFirstUnsupportedSize = 0xFFFFFFFE;
constexpr std::size_t kDigestDigits = 32;

wchar_t LowerHexLetter(wchar_t c) { return c >= L'A' && c <= L'F' ? c - L'A' + L'a' : c; }

}  // namespace

bool CheckMD5(HANDLE file, const std::wstring& expected) {
  if (expected.size() < kDigestDigits) return false;
  LARGE_INTEGER size;
  if (!SetFilePointerEx(file, {}, nullptr, FILE_BEGIN) || !GetFileSizeEx(file, &size) ||
      size.QuadPart == 0 || size.QuadPart >= kFirstUnsupportedSize) {
    return false;
  }
  // A file that grows while it is read is hashed as it was when the check began.
  DWORD remaining = static_cast<DWORD>(size.QuadPart);
  Md5 md5;
  std::vector<unsigned char> block(kBlockSize);
  while (remaining > 0) {
    DWORD read = 0;
    if (!ReadFile(file, block.data(), remaining < kBlockSize ? remaining : kBlockSize, &read,
                  nullptr)) {
      return false;
    }
    if (read == 0) break;
    md5.Update(block.data(), read);
    remaining -= read;
  }
  const std::wstring digest = Md5LowerHex(md5.Final());
  for (std::size_t i = 0; i < kDigestDigits; ++i) {
    if (LowerHexLetter(expected[i]) != digest[i]) return false;
  }
  return true;
}

}  // namespace updater
