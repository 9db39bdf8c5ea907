#include "catalogue/Json.h"

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>

namespace updater {
namespace {

bool WithinDepth(std::string_view text, std::size_t maxDepth) {
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

}  // namespace

bool ParseJson(std::string_view bytes, JsonDocument* document) {
  if (!WithinDepth(bytes, kMaxJsonDepth)) return false;
  rapidjson::MemoryStream stream(bytes.data(), bytes.size());
  rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> input(stream);
  document->ParseStream<rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag,
                        rapidjson::UTF8<>>(input);
  return !document->HasParseError();
}

const JsonValue* JsonMember(const JsonValue& value, const wchar_t* name) {
  if (!value.IsObject()) return nullptr;
  const auto member = value.FindMember(name);
  return member == value.MemberEnd() ? nullptr : &member->value;
}

std::wstring JsonString(const JsonValue& value, const wchar_t* name) {
  const JsonValue* member = JsonMember(value, name);
  if (member == nullptr || !member->IsString()) return std::wstring();
  return std::wstring(member->GetString(), member->GetStringLength());
}

bool JsonTrue(const JsonValue& value, const wchar_t* name) {
  const JsonValue* member = JsonMember(value, name);
  return member != nullptr && member->IsTrue();
}

}  // namespace updater
