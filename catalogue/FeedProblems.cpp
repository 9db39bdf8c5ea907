#include "catalogue/FeedProblems.h"

#include <cwctype>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/FeedKeys.h"
#include "catalogue/IniReader.h"
#include "catalogue/UpdateSectionKeys.h"

namespace updater {
namespace {

// `Keys`: FeedKey or UpdateSectionKey entries, each with a name and a form.
template <typename Keys>
bool IsKnownKey(const Keys& table, const std::wstring& key) {
  for (const auto& entry : table) {
    if (IsIniKeyOf(key, entry.name, entry.form == FeedKeyForm::Numbered)) return true;
  }
  return false;
}

template <typename Keys>
void CheckKeys(const IniDocument& document, const std::wstring& section, const Keys& table,
               std::vector<std::wstring>* problems) {
  for (const std::wstring& key : document.KeyNames(section)) {
    if (key.empty() || key.front() == L';') continue;
    if (!IsKnownKey(table, key)) problems->push_back(L"[" + section + L"] unknown key " + key);
  }
}

}  // namespace

std::vector<std::wstring> FeedKeyProblems(const IniDocument& document) {
  const std::wstring general = FoldIniName(L"General");
  std::vector<std::wstring> sections;  // update sections, first of each name, in file order
  std::unordered_map<std::wstring, std::wstring> known;  // folded name -> name as written
  std::vector<std::wstring> problems;
  for (const std::wstring& section : document.SectionNames()) {
    const std::wstring folded = FoldIniName(section);
    if (!known.emplace(folded, section).second) continue;
    if (folded == general) {
      CheckKeys(document, section, kGeneralKeys, &problems);
      continue;
    }
    CheckKeys(document, section, UpdateSectionKeys(), &problems);
    sections.push_back(section);
  }
  known.erase(general);

  std::unordered_map<std::wstring, std::wstring> dependsOn;  // folded name -> folded target
  for (const std::wstring& section : sections) {
    const auto link = [&](const wchar_t* key, const std::wstring& target) {
      if (known.count(FoldIniName(target)) == 0) {
        problems.push_back(L"[" + section + L"] " + key + L" names no update section: " + target);
      }
    };
    const std::wstring depends = document.Value(section, L"Depends");
    if (!depends.empty()) {
      link(L"Depends", depends);
      dependsOn.emplace(FoldIniName(section), FoldIniName(depends));
    }
    const std::vector<std::wstring> replaces = ParseIniList(document.Value(section, L"Replaces"));
    for (std::size_t i = 0; i < replaces.size(); ++i) {
      // A first item "All" replaces every other update rather than naming one.
      if (i > 0 || replaces[i] != L"All") link(L"Replaces", replaces[i]);
    }
    const std::wstring next = document.Value(section, L"NextDeprecated");
    if (!next.empty()) link(L"NextDeprecated", next);
  }

  // Each section has at most one Depends, so a walk from each section either ends or closes a
  // cycle; sections met in an earlier walk are not walked again.
  std::unordered_set<std::wstring> walked;
  for (const std::wstring& section : sections) {
    std::vector<std::wstring> path;
    std::wstring at = FoldIniName(section);
    while (walked.insert(at).second) {
      path.push_back(at);
      const auto next = dependsOn.find(at);
      if (next == dependsOn.end()) break;
      at = next->second;
    }
    std::size_t start = 0;
    while (start < path.size() && path[start] != at) ++start;
    if (start == path.size() || dependsOn.count(path.back()) == 0) continue;
    std::wstring cycle = L"[" + known[path[start]] + L"] Depends cycle: ";
    for (std::size_t i = start; i < path.size(); ++i) cycle += known[path[i]] + L" -> ";
    problems.push_back(cycle + known[at]);
  }
  return problems;
}

}  // namespace updater
