#include "ui/WaitEvents.h"

namespace updater {

void WaitEvents::ActionBegun(UpdateAction, std::uint32_t total, const std::wstring& text) {
  if (!text.empty()) progress_.SetStatus(text);
  progress_.SetTotal(total);
}

}  // namespace updater
