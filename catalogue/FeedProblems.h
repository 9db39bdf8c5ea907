#pragma once

#include <string>
#include <vector>

#include "base/IniDocument.h"

namespace updater {

// What the publisher's tool finds wrong in an update configuration file from its keys alone, one
// line each starting with the section's name in brackets, in file order: keys the updater never
// reads, Depends, Replaces and NextDeprecated naming no update section, and Depends cycles (each once, at the section where a walk along Depends enters it).
// Keys starting with ";" are the signature lines and other comments, which are no keys.
std::vector<std::wstring> FeedKeyProblems(const IniDocument& document);

}  // namespace updater
