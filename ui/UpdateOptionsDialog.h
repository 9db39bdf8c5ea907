#pragma once

#include <windows.h>

#include "ui/UpdateOptions.h"

namespace updater {

class ClientConfig;

// The Update Options dialog (template 105): the automatic-update policy, the check frequency and
// the downloads folder of the configuration's user settings. OK saves what changed (a new
// frequency also moves the next check to now plus that many days); Cancel saves nothing. Used by
// /configure and by the wizard's "Configure Options" link.
class UpdateOptionsDialog {
 public:
  explicit UpdateOptionsDialog(ClientConfig& config) : config_(config) {}
  UpdateOptionsDialog(const UpdateOptionsDialog&) = delete;
  UpdateOptionsDialog& operator=(const UpdateOptionsDialog&) = delete;

  // Modal over `owner`; IDOK, IDCANCEL, or -1 when the dialog cannot be created.
  INT_PTR Show(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(HWND window, UINT message, WPARAM wParam);
  void Initialise(HWND window);
  UpdateOptions Read(HWND window) const;
  void UpdateEnabling(HWND window) const;
  void BrowseForFolder(HWND window) const;
  void Save(const OptionsChanges& changes) const;
  // What the administrator's policy fixes.
  OptionsLocks Locks() const;

  ClientConfig& config_;
};

}  // namespace updater
