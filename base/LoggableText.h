#pragma once

#include <cstddef>
#include <string>

namespace updater {

// Text that another process chose (a start argument, a command of the support channel), as the
// log may show it: cut after `maxLength` characters and every control character written as "?",
// so that it can neither grow the log without bound nor forge a line of its own.
std::wstring LoggableText(std::wstring text, std::size_t maxLength);

}  // namespace updater
