#include "catalogue/SelectedUpdatesWriter.h"

#include <windows.h>

#include "base/UniqueHandle.h"
#include "catalogue/UpdateFlags.h"
#include "catalogue/UpdateSectionKeys.h"

namespace updater {

namespace {

ResultCode CreateEmptyFile(const std::wstring& path, bool utf16) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  // The private-profile functions keep the encoding a file starts with.
  static constexpr BYTE kByteOrderMark[] = {0xFF, 0xFE};
  DWORD written = 0;
  if (utf16 && !WriteFile(file.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr)) {
    return GetLastError();
  }
  return kSuccess;
}

}  // namespace

ResultCode WriteUpdateSection(const IniReader& writer, const UpdateInfo& update) {
  SectionWriter out(writer, update.sectionName);
  for (const UpdateSectionKey& key : UpdateSectionKeys()) {
    if (key.write != nullptr) key.write(out, key.name, update);
  }
  return out.Result();
}

ResultCode WriteSelectedUpdates(const std::wstring& path, const UpdateList& list, bool criticalOnly,
                                const ServerMessageWriter& writeMessage) {
  if (const ResultCode result = CreateEmptyFile(path, list.isUtf16)) return result;
  const IniReader writer(path);
  for (const UpdateInfo& update : list.updates) {
    if (!update.evaluated || (criticalOnly && !update.HasFlag(kUpdateCritical))) continue;
    if (const ResultCode result = WriteUpdateSection(writer, update)) return result;
  }
  return writeMessage ? writeMessage(writer) : kSuccess;
}

}  // namespace updater
