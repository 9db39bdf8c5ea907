#include "ui/IconFile.h"

#include <cmath>

namespace updater {
namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr DWORD kIconFormatVersion = 0x00030000;

std::uint32_t ReadLittle(const std::uint8_t* at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

}  // namespace

int CommandLinkIconSize(int dpi) {
  // The thresholds lie just above 96 and 144, the common settings, so that those take the
  // smaller icon.
  if (dpi < 97) return 24;
  if (dpi < 145) return 32;
  return static_cast<int>(std::lround(dpi * 24.0 / 96.0));
}

IconImage PickIconImage(const std::uint8_t* file, std::size_t size, int pixels) {
  IconImage best;
  int bestPixels = 0;
  if (size < kDirectoryHeader || ReadLittle(file + 2, 2) != 1) return best;
  const std::size_t count = ReadLittle(file + 4, 2);
  if (count > (size - kDirectoryHeader) / kDirectoryEntry) return best;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = file + kDirectoryHeader + i * kDirectoryEntry;
    const int width = entry[0] == 0 ? 256 : entry[0];
    const std::size_t length = ReadLittle(entry + 8, 4);
    const std::size_t offset = ReadLittle(entry + 12, 4);
    if (offset > size || length > size - offset || length == 0) continue;
    // Better: reaching the size over falling short, then the closer one.
    const bool reaches = width >= pixels;
    const bool bestReaches = bestPixels >= pixels;
    const bool better = best.length == 0 || (reaches && !bestReaches) ||
                        (reaches == bestReaches && (reaches ? width < bestPixels
                                                            : width > bestPixels));
    if (better) {
      best = {offset, length};
      bestPixels = width;
    }
  }
  return best;
}

IconHandle LoadIconFile(int id, int pixels) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  if (loaded == nullptr) return IconHandle();
  const auto* file = static_cast<const std::uint8_t*>(LockResource(loaded));
  const IconImage image = PickIconImage(file, SizeofResource(module, found), pixels);
  if (image.length == 0) return IconHandle();
  return IconHandle(CreateIconFromResourceEx(const_cast<std::uint8_t*>(file + image.offset),
                                             static_cast<DWORD>(image.length), TRUE,
                                             kIconFormatVersion, pixels, pixels, LR_DEFAULTCOLOR));
}

}  // namespace updater
