#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/UniqueHandle.h"

namespace updater {

// The pixel size of a command link's icon at `dpi` logical dots per inch (0: unknown).
int CommandLinkIconSize(int dpi);

// Where the image for `pixels` lies in an .ico file: the exact size, else the smallest larger
// one, else the largest; length 0 when the file holds no usable image.
struct IconImage {
  std::size_t offset = 0;
  std::size_t length = 0;
};
IconImage PickIconImage(const std::uint8_t* file, std::size_t size, int pixels);

// The icon of `pixels` from an .ico file stored as RCDATA resource `id`.
IconHandle LoadIconFile(int id, int pixels);

}  // namespace updater
