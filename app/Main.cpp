#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "base/SystemLibrary.h"
#include "app/UpdaterApp.h"
#include "base/UniqueHandle.h"
#include "ui/RichEditControl.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // Before anything loads a DLL; a failure leaves the system's usual search order.
  updater::RestrictDllSearchToSystemFolder();
  const HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // Makes user32 set up this thread's window state before any dialog or worker thread needs it.
  DefWindowProcW(nullptr, 0, 0, 0);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&controls);
  // Kept loaded for the whole run: the rich-text views create their controls from it.
  updater::ModuleHandle richEdit = updater::LoadRichEditLibrary();

  updater::ResultCode result;
  {
    updater::UpdaterApp app(commandLine != nullptr ? commandLine : L"");
    result = app.Run();
  }

  richEdit.Reset();
  if (SUCCEEDED(comResult)) CoUninitialize();
  return static_cast<int>(result);
}
