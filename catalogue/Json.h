#pragma once

// RapidJSON's asserts abort the process. Every access below checks the type first; should one
// slip, a hostile file must still not end the program.
#define RAPIDJSON_ASSERT(x) static_cast<void>(0)

#include <rapidjson/document.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace updater {

// JSON documents as UTF-16 text, the text type of the rest of the program.
using JsonDocument = rapidjson::GenericDocument<rapidjson::UTF16<wchar_t>>;
using JsonValue = rapidjson::GenericValue<rapidjson::UTF16<wchar_t>>;

// Deeper documents are refused before parsing: no file of interest nests more than a few levels,
// and the parser's stack grows with the depth.
constexpr std::size_t kMaxJsonDepth = 64;

// Parses UTF-8 JSON (a byte-order mark is skipped) without recursion, invalid UTF-8 being an
// error. False for any error or nesting deeper than kMaxJsonDepth.
bool ParseJson(std::string_view bytes, JsonDocument* document);

// The member named exactly `name` of an object; null when `value` is no object or lacks it.
const JsonValue* JsonMember(const JsonValue& value, const wchar_t* name);
// The member's text when it is a string, else empty.
std::wstring JsonString(const JsonValue& value, const wchar_t* name);
// Whether the member is the literal true.
bool JsonTrue(const JsonValue& value, const wchar_t* name);

}  // namespace updater
