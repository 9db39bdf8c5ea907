#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// Receives, on the lock's listener thread, what a later instance signals to the first one.
class InstanceListener {
 public:
  virtual ~InstanceListener() = default;
  virtual void OnInstanceSignal(WPARAM wParam, LPARAM lParam) = 0;
};

// What a later instance posts: wParam 1, lParam the start-minimized switch.
constexpr WPARAM kInstanceSignalActivate = 1;

// The name of the shared block for an executable path: every backslash becomes "_", since kernel
// object names take a backslash only as a namespace separator.
std::wstring InstanceLockName(const std::wstring& path);

// The lock of the temporary copy that works for the installed updater at `realPath`.
std::wstring CopyLockName(const std::wstring& realPath);

// `path` with the text from its last "." (after the last backslash) replaced by `extension`,
// which includes the dot; appended when the file name has no extension.
std::wstring WithExtension(const std::wstring& path, const std::wstring& extension);

class InstanceLock;

// Whether `lock` finds another run of the updater at `executable` first: a temporary copy at work
// for it (its wizard open; it holds the executable a new run would copy over), or the updater
// itself. Otherwise `lock` now holds the updater's own lock.
bool AnotherRunIsFirst(InstanceLock& lock, const std::wstring& executable);

// One running updater per executable: named shared memory holding the registered window message
// and the thread id of the first instance's listener thread. A temporary copy names the lock
// after the installed updater it works for and also holds a named mutex for the whole run.
class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Creates or opens the block named `name`. Returns whether this process is the first instance;
  // a block that cannot be created at all counts as first. `mutexName` is created, initially
  // owned, by the first instance when not empty.
  bool Acquire(const std::wstring& name, const std::wstring& mutexName = std::wstring());

  // Opens the block of an instance that runs already, without creating one, so that it can be
  // signalled; false when none runs.
  bool OpenExisting(const std::wstring& name);
  bool IsFirst() const { return isFirst_; }

  // Posts the registered message with wParam 1 and lParam `startMinimized` to the first
  // instance's listener thread; returns kAnotherInstance, the result of the second instance.
  ResultCode SignalFirst(bool startMinimized) const;

  // Listeners are called in registration order on the listener thread; a removed listener is no
  // longer called once RemoveListener returns.
  void AddListener(InstanceListener* listener);
  void RemoveListener(InstanceListener* listener);

 private:
  // The two 32-bit values at the start of the 52-byte block.
  struct Block {
    DWORD messageId;
    DWORD listenerThreadId;
  };

  static void UnmapBlock(Block* block) { UnmapViewOfFile(block); }
  using BlockView = ClosedBy<Block*, &UnmapBlock>;

  bool StartListener();
  void StopListener();
  void Dispatch(WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI ListenerMain(void* self);

  bool isFirst_ = false;
  UINT messageId_ = 0;
  KernelHandle mapping_;
  BlockView view_;
  KernelHandle mutex_;
  KernelHandle listenerReady_;
  KernelHandle listener_;
  DWORD listenerThreadId_ = 0;

  std::mutex listenersLock_;
  std::vector<InstanceListener*> listeners_;
};

}  // namespace updater
