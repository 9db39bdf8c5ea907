#pragma once

#include <vector>

#include "engine/UpdatePolicy.h"

namespace updater {

// The pages a wizard can hold, each named after its dialog template.
enum class WizardPageKind { Choice = 106, Progress = 194, Summary = 195, Select = 196 };

// The pages of the wizard of an /install run in `mode` (the mode after the policy); the first is
// the start page. A mode that preselects has no page to choose on.
std::vector<WizardPageKind> WizardPages(InstallMode mode);

}  // namespace updater
