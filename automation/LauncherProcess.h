#pragma once

#include "base/UniqueHandle.h"

namespace updater {

// The process that started this one, opened to be waited for; none when it has ended already
// (its id may name a younger process by now) or cannot be opened.
KernelHandle OpenLauncherProcess();

}  // namespace updater
