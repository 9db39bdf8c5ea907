#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/FeedKeys.h"
#include "catalogue/IniReader.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// What an update section says that only the whole file resolves: the sections it names.
struct SectionLinks {
  std::wstring depends;
  std::vector<std::wstring> replaces;
  std::wstring nextDeprecated;
};

// One update section being read: the file, the section, what its paths and placeholder URLs are
// resolved against, and the names of the sections it links to.
struct SectionRead {
  const IniReader& reader;
  const std::wstring& section;
  const std::wstring& appDir;
  const std::vector<std::wstring>& clientUrls;
  SectionLinks links;

  std::wstring Text(const wchar_t* key) const { return reader.ReadText(section, key); }
};

// Key writes of one section; the first failure is kept and later writes are skipped.
class SectionWriter {
 public:
  SectionWriter(const IniReader& writer, const std::wstring& section)
      : writer_(writer), section_(section) {}

  ResultCode Result() const { return result_; }

  // Empty texts are left out.
  void Text(const wchar_t* key, const std::wstring& value);
  void Integer(const wchar_t* key, std::int64_t value);
  void List(const wchar_t* key, const std::vector<std::wstring>& items);
  void Numbered(const wchar_t* key, const std::vector<std::wstring>& items);
  // A zero version is left out.
  void Version(const wchar_t* key, const VersionNumber& version);

 private:
  const IniReader& writer_;
  const std::wstring& section_;
  ResultCode result_ = kSuccess;
};

// One key of an update section: how it is read into an UpdateInfo and written back from one.
// A key without functions is read and written together with the nearest key above it that has
// them (an HTML variant with its plain key, the detection keys with FilePath).
struct UpdateSectionKey {
  const wchar_t* name;
  FeedKeyForm form;
  // 0, or kInvalidUpdateSection (logged) or another failure that refuses the section.
  ResultCode (*read)(SectionRead& in, const wchar_t* key, UpdateInfo* update);
  // In the form `read` takes back.
  void (*write)(SectionWriter& out, const wchar_t* key, const UpdateInfo& update);
};

// Every key of an update section, in the order the section is read: the first refusal of a
// section is the one reported. The loader, the writer of the selected-updates file and the
// publisher's validation all take their keys from here.
struct UpdateSectionKeyTable {
  const UpdateSectionKey* first;
  std::size_t count;
  const UpdateSectionKey* begin() const { return first; }
  const UpdateSectionKey* end() const { return first + count; }
};
UpdateSectionKeyTable UpdateSectionKeys();

}  // namespace updater
