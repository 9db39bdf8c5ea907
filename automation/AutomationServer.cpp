#include "automation/AutomationServer.h"

#include <objbase.h>

#include <atomic>

#include "automation/ClassFactory.h"
#include "automation/LauncherProcess.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

std::atomic<DWORD> servingThread{0};

void RegisterProxyStub(const std::wstring& executablePath) {
  const std::wstring folder = executablePath.substr(0, executablePath.find_last_of(L'\\') + 1);
  const std::wstring path = folder + kProxyStubLibraryName;
  ModuleHandle library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using Register = HRESULT(WINAPI*)();
  const auto registerProxyStub =
      library ? reinterpret_cast<Register>(GetProcAddress(library.Get(), "LocalRegisterProxyStub"))
              : nullptr;
  const HRESULT result = registerProxyStub != nullptr ? registerProxyStub() : GetLastError();
  if (FAILED(result) || registerProxyStub == nullptr) {
    Log(kLogError, L"Unable to register the proxy-stub library " + path + L": " +
                       ResultText(static_cast<ResultCode>(result)));
  }
}

}  // namespace

void EndAutomationServer() {
  const DWORD thread = servingThread.load();
  if (thread != 0) PostThreadMessageW(thread, WM_QUIT, 0, 0);
}

ResultCode ServeAutomation(const AutomationContext& context,
                           const AutomationServerOptions& options) {
  CLSID classId;
  if (FAILED(CLSIDFromString(options.classId.c_str(), &classId))) {
    Log(kLogError, L"Not a COM class id: " + options.classId);
    return kInvalidCommandLine;
  }
  if (options.registerProxyStub) RegisterProxyStub(options.executablePath);

  MSG message;
  // The thread's message queue exists before a client can release its last object.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  servingThread = GetCurrentThreadId();
  auto* factory = new ClassFactory(context);
  DWORD cookie = 0;
  // One server per client: a second client gets a process of its own, whose check then meets
  // the first one's instance lock.
  HRESULT result = CoRegisterClassObject(classId, factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                         &cookie);
  factory->Release();
  if (FAILED(result)) {
    servingThread = 0;
    Log(kLogError, L"Unable to register the class object: " + ResultText(result));
    return static_cast<ResultCode>(result);
  }
  Log(kLogInfo, L"Serving automation for " + options.classId);
  const UINT_PTR idleTimer = SetTimer(nullptr, 0, options.idleMs, nullptr);
  // Wine never releases the objects of a client that died, and starts the server from the
  // client's process; Windows starts it from its launcher service, which does not end.
  const KernelHandle launcher = options.endWithLauncher ? OpenLauncherProcess() : KernelHandle();
  const HANDLE waits[] = {launcher.Get()};
  for (bool serving = true; serving;) {
    if (MsgWaitForMultipleObjects(launcher ? 1 : 0, waits, FALSE, INFINITE, QS_ALLINPUT) ==
        WAIT_OBJECT_0 && launcher) {
      Log(kLogInfo, L"The process that started the automation server ended; the server ends");
      break;
    }
    while (serving && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        serving = false;
      } else if (message.message == WM_TIMER && message.hwnd == nullptr &&
                 message.wParam == idleTimer && !AnyObjectAlive()) {
        Log(kLogInfo, L"No automation object was created; the server ends");
        serving = false;
      } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  KillTimer(nullptr, idleTimer);
  servingThread = 0;
  CoRevokeClassObject(cookie);
  return kSuccess;
}

}  // namespace updater
