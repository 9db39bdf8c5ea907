#include "config/ClientConfigProblems.h"

#include <iterator>
#include <unordered_set>

#include "base/UiLanguage.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "config/ClientKeys.h"

namespace updater {
namespace {

constexpr wchar_t kGeneral[] = L"General";
constexpr wchar_t kAppDir[] = L"AppDir";

bool IsComment(const std::wstring& key) { return key.empty() || key.front() == L';'; }

const ClientKey* FindClientKey(const std::wstring& key) {
  for (const ClientKey& entry : kClientKeys) {
    if (IsIniKeyOf(key, entry.name, entry.form == ClientKeyForm::Numbered)) return &entry;
  }
  return nullptr;
}

// As wcstol would read all of it: a sign, then digits only.
bool IsWholeNumber(const std::wstring& text) {
  std::size_t at = !text.empty() && (text[0] == L'+' || text[0] == L'-') ? 1 : 0;
  if (at == text.size()) return false;
  for (; at < text.size(); ++at) {
    if (text[at] < L'0' || text[at] > L'9') return false;
  }
  return true;
}

// The first number n for which name<n> has no value: NumberedValues stops there.
std::wstring FirstGap(const IniDocument& document, const std::wstring& name) {
  unsigned number = 1;
  while (!document.Value(kGeneral, name + std::to_wstring(number)).empty()) ++number;
  return std::to_wstring(number);
}

// Whether the number that `key` carries after `name` comes after `gap`; both are digits without
// leading zeros, compared as text so that no length overflows.
bool ComesAfter(const std::wstring& key, const std::wstring& name, const std::wstring& gap) {
  const std::wstring number = key.substr(name.size());
  return number.size() != gap.size() ? number.size() > gap.size() : number > gap;
}

class ProblemList {
 public:
  ProblemList(const IniDocument& document, const PathLookup& lookup)
      : document_(document), lookup_(lookup) {
    // Folders expand [APPDIR] to AppDir as the loader expands it, or as written when it cannot.
    appDir_ = document.Value(kGeneral, kAppDir);
    ExpandPath(appDir_, std::wstring(), lookup, &appDir_);
  }

  void CheckSections() {
    std::unordered_set<std::wstring> seen;
    bool hasGeneral = false;
    for (const std::wstring& section : document_.SectionNames()) {
      const std::wstring folded = FoldIniName(section);
      const bool general = folded == FoldIniName(kGeneral);
      if (!seen.insert(folded).second) {
        if (general) {
          Add(ClientProblemKind::UnknownKey,
              L"[" + section + L"] is not read: only the first [General] is");
        }
        continue;
      }
      if (general) {
        hasGeneral = true;
      } else {
        Add(ClientProblemKind::UnknownKey,
            L"[" + section + L"] is not read: the updater reads only [General]");
      }
    }
    for (const std::wstring& key : document_.KeyNames(L"")) {
      if (!IsComment(key)) {
        Add(ClientProblemKind::UnknownKey,
            L"[General] " + key + L" is not read: it stands before the [General] line");
      }
    }
    if (!hasGeneral) Add(ClientProblemKind::Missing, L"[General] section is missing");
  }

  void CheckKeys() {
    for (const std::wstring& key : document_.KeyNames(kGeneral)) {
      if (IsComment(key)) continue;
      const ClientKey* entry = FindClientKey(key);
      if (entry == nullptr) {
        Add(ClientProblemKind::UnknownKey, L"[General] unknown key " + key);
        continue;
      }
      const std::wstring name = entry->name;
      if (entry->form == ClientKeyForm::Numbered && key.size() > name.size()) {
        const std::wstring gap = FirstGap(document_, name);
        if (ComesAfter(key, name, gap)) {
          Add(ClientProblemKind::BadValue,
              L"[General] " + key + L" is not read: " + name + gap + L" is missing or empty");
        }
      }
      CheckValue(*entry, key, document_.Value(kGeneral, key));
    }
  }

  void CheckRequired() {
    for (const ClientKey& entry : kClientKeys) {
      if (!entry.required) continue;
      const bool present = entry.form == ClientKeyForm::Numbered
                               ? !document_.NumberedValues(kGeneral, entry.name).empty()
                               : !document_.Value(kGeneral, entry.name).empty();
      if (!present) {
        Add(ClientProblemKind::Missing, L"[General] " + std::wstring(entry.name) + L" is missing");
      }
    }
  }

  std::vector<ClientConfigProblem> Take() { return std::move(problems_); }

 private:
  void Add(ClientProblemKind kind, std::wstring text) {
    problems_.push_back({kind, std::move(text)});
  }

  void CheckValue(const ClientKey& entry, const std::wstring& key, const std::wstring& value) {
    if (value.empty()) return;
    const std::wstring prefix = L"[General] " + key;
    switch (entry.kind) {
      case ClientValueKind::Flags:
        // The updater stops at the first unknown name and drops the flags after it.
        for (const std::wstring& flag : SplitTokenList(value)) {
          if (FindTokenName(flag, kClientFlagNames, std::size(kClientFlagNames)) == nullptr) {
            Add(ClientProblemKind::BadValue,
                prefix + L" holds an unknown flag: " + (flag.empty() ? L"(empty)" : flag));
          }
        }
        break;
      case ClientValueKind::Number:
        if (!IsWholeNumber(value)) {
          Add(ClientProblemKind::BadValue, prefix + L" is not a whole number: " + value);
        }
        break;
      case ClientValueKind::Folder: {
        std::wstring expanded;
        const std::wstring& appDir = IsIniKeyOf(key, kAppDir, false) ? std::wstring() : appDir_;
        if (ExpandPath(value, appDir, lookup_, &expanded) != kSuccess) {
          Add(ClientProblemKind::BadValue, prefix + L" cannot be expanded: " + value);
        } else if (!IsAbsoluteWindowsPath(expanded)) {
          Add(ClientProblemKind::BadValue, prefix + L" is not an absolute path: " + expanded);
        }
        break;
      }
      case ClientValueKind::LanguageTag:
        if (!IsLanguageTagText(value)) {
          Add(ClientProblemKind::BadValue, prefix + L" is not a language tag: " + value);
        }
        break;
      case ClientValueKind::Text:
      case ClientValueKind::PublicKey:
        break;
    }
  }

  const IniDocument& document_;
  const PathLookup& lookup_;
  std::wstring appDir_;
  std::vector<ClientConfigProblem> problems_;
};

}  // namespace

std::vector<ClientConfigProblem> ClientConfigProblems(const IniDocument& document,
                                                      const PathLookup& lookup) {
  ProblemList problems(document, lookup);
  problems.CheckSections();
  problems.CheckKeys();
  problems.CheckRequired();
  return problems.Take();
}

}  // namespace updater
