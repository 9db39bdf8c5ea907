#pragma once

#include <string>
#include <vector>

#include "base/IniDocument.h"
#include "config/PathExpansion.h"

namespace updater {

// What a problem of the client configuration costs: a key (or section) the updater never reads,
// something a check for updates needs that is missing, or a value the updater does not take as
// its writer meant.
enum class ClientProblemKind { UnknownKey, Missing, BadValue };

struct ClientConfigProblem {
  ClientProblemKind kind;
  std::wstring text;  // one line, starting with the section's name in brackets
};

// What is wrong with a client configuration from its text alone: sections other than [General]
// and keys outside it; then, in file order, keys of [General] that are not in kClientKeys,
// numbered keys after a gap (URL3 without URL2 is never read), flag names the updater does not
// know, numbers that are not whole numbers, and folders that cannot be expanded through `lookup`
// or are not absolute after it; then the keys a check needs that are missing, in table order.
// Public keys are left to the caller. Names starting with ";" are comments.
std::vector<ClientConfigProblem> ClientConfigProblems(const IniDocument& document,
                                                      const PathLookup& lookup);

}  // namespace updater
