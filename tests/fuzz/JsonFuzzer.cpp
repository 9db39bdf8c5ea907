// ParseJson, which reads the release listing and its settings asset: what it accepts nests no
// deeper than kMaxJsonDepth, holds UTF-16 code units alone, and finds each member by its name.
#include "FuzzSupport.h"
#include "catalogue/Json.h"

namespace updater {
namespace {

bool IsUtf16(const JsonValue& text) {
  for (std::size_t i = 0; i < text.GetStringLength(); ++i) {
    if (text.GetString()[i] < 0 || text.GetString()[i] > 0xFFFF) return false;
  }
  return true;
}

// `depth`: the containers around `value`.
void Check(const JsonValue& value, std::size_t depth) {
  FUZZ_CHECK(!value.IsString() || IsUtf16(value));
  FUZZ_CHECK(depth <= kMaxJsonDepth || (!value.IsArray() && !value.IsObject()));
  if (value.IsArray()) {
    for (const JsonValue& element : value.GetArray()) Check(element, depth + 1);
  }
  if (!value.IsObject()) return;
  for (const auto& member : value.GetObject()) {
    const std::wstring name(member.name.GetString(), member.name.GetStringLength());
    FUZZ_CHECK(IsUtf16(member.name));
    FUZZ_CHECK(name.find(L'\0') != std::wstring::npos || JsonMember(value, name.c_str()));
    Check(member.value, depth + 1);
  }
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  updater::JsonDocument document;
  if (updater::ParseJson(std::string_view(reinterpret_cast<const char*>(data), size), &document)) {
    updater::Check(document, 1);
  }
  return 0;
}
