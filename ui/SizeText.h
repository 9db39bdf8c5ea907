#pragma once

#include <cstdint>
#include <string>

namespace updater {

// A byte count as the shell shows it ("1.50 MB").
std::wstring SizeText(std::uint64_t bytes);

}  // namespace updater
