#include "catalogue/JsonFile.h"

#include <windows.h>

#include "base/IniFile.h"

namespace updater {

ResultCode ReadJsonFile(const std::wstring& path, std::size_t maxBytes, JsonDocument* document) {
  std::string bytes;
  const ResultCode read = IniFile(path).ReadBytes(maxBytes, &bytes);
  if (read == ERROR_FILE_TOO_LARGE) return kInvalidHeader;
  if (read != kSuccess) return read;
  return ParseJson(bytes, document) ? kSuccess : kInvalidHeader;
}

}  // namespace updater
