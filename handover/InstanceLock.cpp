#include "handover/InstanceLock.h"

#include <algorithm>

#include "base/Logger.h"

namespace updater {
namespace {

constexpr DWORD kBlockSize = 52;
// The first instance publishes its listener's thread id just after creating the block.
constexpr DWORD kPublishWaitMs = 2000;
constexpr DWORD kPublishPollMs = 20;

}  // namespace

std::wstring InstanceLockName(const std::wstring& path) {
  std::wstring name = path;
  std::replace(name.begin(), name.end(), L'\\', L'_');
  return name;
}

std::wstring WithExtension(const std::wstring& path, const std::wstring& extension) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
    return path + extension;
  }
  return path.substr(0, dot) + extension;
}

std::wstring CopyLockName(const std::wstring& realPath) {
  return InstanceLockName(WithExtension(realPath, L".tmp"));
}

InstanceLock::~InstanceLock() { StopListener(); }

bool InstanceLock::Acquire(const std::wstring& name, const std::wstring& mutexName) {
  mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize,
                                    name.c_str()));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mapping_) {
    Log(kLogError, L"Cannot create the instance block " + name);
    isFirst_ = true;
    return true;
  }
  view_.Reset(static_cast<Block*>(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0)));
  messageId_ = RegisterWindowMessageW(name.c_str());
  if (existed) {
    isFirst_ = false;
    return false;
  }
  isFirst_ = true;
  if (!mutexName.empty()) mutex_.Reset(CreateMutexW(nullptr, TRUE, mutexName.c_str()));
  if (view_ && messageId_ != 0 && StartListener()) {
    view_.Get()->messageId = messageId_;
    // Written last: a later instance that sees the thread id also sees the message id.
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&view_.Get()->listenerThreadId),
                        static_cast<LONG>(listenerThreadId_));
  }
  return true;
}

bool InstanceLock::OpenExisting(const std::wstring& name) {
  mapping_.Reset(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
  if (!mapping_) return false;
  view_.Reset(static_cast<Block*>(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0)));
  isFirst_ = false;
  return true;
}

ResultCode InstanceLock::SignalFirst(bool startMinimized) const {
  if (!view_) return kAnotherInstance;
  volatile LONG* threadId = reinterpret_cast<volatile LONG*>(&view_.Get()->listenerThreadId);
  for (DWORD waited = 0; *threadId == 0 && waited < kPublishWaitMs; waited += kPublishPollMs) {
    Sleep(kPublishPollMs);
  }
  const DWORD target = static_cast<DWORD>(*threadId);
  // The first instance may bring its window to the front although this process is the one in it.
  AllowSetForegroundWindow(ASFW_ANY);
  if (target == 0 ||
      !PostThreadMessageW(target, view_.Get()->messageId, kInstanceSignalActivate,
                          startMinimized ? 1 : 0)) {
    Log(kLogInfo, L"Cannot signal the first instance of the updater");
  }
  return kAnotherInstance;
}

void InstanceLock::AddListener(InstanceListener* listener) {
  std::lock_guard<std::mutex> guard(listenersLock_);
  listeners_.push_back(listener);
}

void InstanceLock::RemoveListener(InstanceListener* listener) {
  std::lock_guard<std::mutex> guard(listenersLock_);
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void InstanceLock::Dispatch(WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> guard(listenersLock_);
  for (InstanceListener* listener : listeners_) listener->OnInstanceSignal(wParam, lParam);
}

bool InstanceLock::StartListener() {
  listenerReady_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!listenerReady_) return false;
  listener_.Reset(CreateThread(nullptr, 0, &InstanceLock::ListenerMain, this, 0,
                               &listenerThreadId_));
  if (!listener_) {
    listenerThreadId_ = 0;
    return false;
  }
  // A thread message posted before the thread has a queue would be lost.
  const HANDLE waits[] = {listenerReady_.Get(), listener_.Get()};
  return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void InstanceLock::StopListener() {
  if (!listener_) return;
  PostThreadMessageW(listenerThreadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(listener_.Get(), INFINITE);
  listener_.Reset();
}

DWORD WINAPI InstanceLock::ListenerMain(void* self) {
  auto* lock = static_cast<InstanceLock*>(self);
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(lock->listenerReady_.Get());
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == lock->messageId_) {
      lock->Dispatch(message.wParam, message.lParam);
    } else {
      DispatchMessageW(&message);
    }
  }
  return 0;
}

bool AnotherRunIsFirst(InstanceLock& lock, const std::wstring& executable) {
  return lock.OpenExisting(CopyLockName(executable)) || !lock.Acquire(InstanceLockName(executable));
}

}  // namespace updater
