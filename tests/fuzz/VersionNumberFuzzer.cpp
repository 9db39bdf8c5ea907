// VersionNumber::Parse and the strict formats of IsValidVersionText, held to each other.
#include "FuzzSupport.h"
#include "catalogue/VersionFormat.h"
#include "catalogue/VersionNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::wstring text = fuzz::Utf16Units(data, size);
  VersionNumber version;
  const bool parsed = version.Parse(text);
  FUZZ_CHECK(parsed == (version.Count() > 0));
  if (parsed) {
    bool wide = false;  // ToString leaves out trailing fields of 65535
    for (int i = 0; i < 4; ++i) wide = wide || version.Field(i) == 65535;
    VersionNumber again;
    FUZZ_CHECK(again.Parse(version.ToString()));
    FUZZ_CHECK(wide || Equal(version, again));
    FUZZ_CHECK(again.ToString() == version.ToString());
    FUZZ_CHECK(AtLeast(version, again) && (wide || AtLeast(again, version)));
  }
  IsValidVersionText(text, VersionFormatId::Underscored);
  // Texts of the formats without underscores read with the lenient parser as they mean.
  for (const VersionFormatId id : {VersionFormatId::Dotted, VersionFormatId::Pair}) {
    if (!IsValidVersionText(text, id)) continue;
    const VersionFormat& format = GetVersionFormat(id);
    FUZZ_CHECK(parsed && version.Count() <= format.maxGroups);
    for (int i = 0; i < version.Count(); ++i) {
      FUZZ_CHECK(format.fieldMaxima[i] == 0 || version.Field(i) <= format.fieldMaxima[i]);
    }
  }
  return 0;
}
