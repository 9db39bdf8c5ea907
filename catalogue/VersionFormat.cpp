#include "catalogue/VersionFormat.h"

#include <regex>
#include <vector>

namespace updater {
namespace {

constexpr VersionFormat kFormats[] = {
    {4, 2, 5, false, {65535, 65535, 65535, 65535}},
    {2, 1, 9, false, {0, 0, 0, 0}},
    {4, 2, 5, true, {65535, 65535, 65535, 65535}},
};

std::wstring Count(int value) { return std::to_wstring(value < 0 ? 0 : value); }

// The longest text the expression can match. Longer texts are refused before matching, since
// the recursive matcher of the standard library would run out of stack on very long input.
size_t LongestText(const VersionFormat& format) {
  const size_t group = format.underscore ? 2 * static_cast<size_t>(format.maxDigitsPerGroup)
                                         : static_cast<size_t>(format.maxDigitsPerGroup);
  const size_t groups = static_cast<size_t>(format.maxGroups < 1 ? 1 : format.maxGroups);
  return groups * group + (groups - 1) * static_cast<size_t>(format.maxDotsPerSeparator);
}

// The digit groups of a text that matched the expression: underscores dropped, dots split.
// False when a character is not an ASCII digit, dot or underscore, which the expression's \d
// may let through for digits of other scripts.
bool SplitFields(const std::wstring& text, std::vector<std::int64_t>* fields) {
  bool inGroup = false;
  for (const wchar_t c : text) {
    if (c >= L'0' && c <= L'9') {
      if (!inGroup) fields->push_back(0);
      inGroup = true;
      fields->back() = fields->back() * 10 + (c - L'0');
    } else if (c == L'.') {
      inGroup = false;
    } else if (c != L'_') {
      return false;
    }
  }
  return true;
}

struct CompiledFormat {
  std::wregex characters;
  std::wregex expression;
};

}  // namespace

const VersionFormat& GetVersionFormat(VersionFormatId id) {
  return kFormats[static_cast<int>(id)];
}

std::wstring BuildVersionExpression(const VersionFormat& format) {
  const std::wstring separator = L"(\\.){1," + Count(format.maxDotsPerSeparator) + L"}";
  if (!format.underscore) {
    const std::wstring group = L"(\\d){1," + Count(format.maxDigitsPerGroup) + L"}";
    return group + L"(" + separator + group + L")" + L"{0," + Count(format.maxGroups - 1) + L"}";
  }
  const std::wstring inner =
      L"(\\d)(_?(\\d)){0," + Count(format.maxDigitsPerGroup - 2) + L"}(_?(\\d)?)";
  const std::wstring last = L"(\\d)(_?(\\d)){0," + Count(format.maxDigitsPerGroup - 1) + L"}";
  return L"(" + inner + L"(" + separator + inner + L")" + L"{0," + Count(format.maxGroups - 2) +
         L"}" + separator + L")?" + last;
}

std::wstring BuildVersionCharacters(const VersionFormat& format) {
  return format.underscore ? L"[\\d._]*" : L"[\\d.]*";
}

namespace {

// Compiled once: compiling the expressions costs far more than matching a version with them.
const CompiledFormat& Compiled(VersionFormatId id) {
  const auto compile = [](const VersionFormat& format) {
    return CompiledFormat{std::wregex(BuildVersionCharacters(format)),
                          std::wregex(BuildVersionExpression(format))};
  };
  static const CompiledFormat compiled[] = {compile(kFormats[0]), compile(kFormats[1]),
                                            compile(kFormats[2])};
  return compiled[static_cast<int>(id)];
}

}  // namespace

bool IsValidVersionText(const std::wstring& text, VersionFormatId id) {
  const VersionFormat& format = GetVersionFormat(id);
  if (text.size() > LongestText(format)) return false;
  const CompiledFormat& compiled = Compiled(id);
  if (!std::regex_match(text, compiled.characters) ||
      !std::regex_match(text, compiled.expression)) {
    return false;
  }
  std::vector<std::int64_t> fields;
  if (!SplitFields(text, &fields)) return false;
  for (size_t i = 0; i < fields.size() && i < 4; ++i) {
    const std::int32_t maximum = format.fieldMaxima[i];
    if (maximum != 0 && fields[i] > maximum) return false;
  }
  return true;
}

}  // namespace updater
