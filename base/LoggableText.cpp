#include "base/LoggableText.h"

#include "base/AnsiText.h"

namespace updater {

std::wstring LoggableText(std::wstring text, std::size_t maxLength) {
  if (text.size() > maxLength) text.resize(maxLength);
  for (wchar_t& c : text) {
    if (IsControlCharacter(c)) c = L'?';
  }
  return text;
}

}  // namespace updater
