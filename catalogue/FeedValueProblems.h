#pragma once

#include <string>
#include <vector>

#include "base/IniDocument.h"

namespace updater {

// What the publisher's tool finds wrong in the values of an update configuration file, one line
// each of the form "[Section] Key ...: value", sections in file order (the first of each name):
// values the updater reads in a form it cannot use, where the loader takes the section all the
// same and the fault shows only later, when the update is evaluated or shown. Versions that do not
// parse; dates the calendar lacks (ReleaseDate, MessageExpirationDate); Flags with a name the
// updater does not know; UpdatedApplicationVersions and UpdatedApplications items it cannot read;
// and the detection source's keys: a RegistryKey with a root or shape detection does not take or
// without the Version that a plain root needs, a FilePath or CustomDetection with a property that
// no machine expands, a FileSize not above 0, an AppIdArch that is no architecture's name, an app
// package version part above 65535 and a Version operator other than "=" and ">=". A ReleaseDate
// without two "/" is not named: the loader refuses its section and says so itself.
std::vector<std::wstring> FeedValueProblems(const IniDocument& document);

}  // namespace updater
