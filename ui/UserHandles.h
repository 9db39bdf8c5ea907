#pragma once

#include <windows.h>

#include "base/UniqueHandle.h"

namespace updater {

struct IconTraits {
  using Value = HICON;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { DestroyIcon(v); }
};

struct MenuTraits {
  using Value = HMENU;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { DestroyMenu(v); }
};

using IconHandle = UniqueHandle<IconTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;

}  // namespace updater
