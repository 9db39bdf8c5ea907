#include "ui/WaitCallback.h"

namespace updater {

void WaitCallback::BeginAction(std::int32_t, std::uint32_t total, const wchar_t* text) {
  if (text != nullptr) progress_.SetStatus(text);
  progress_.SetTotal(total);
}

}  // namespace updater
