#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <utility>

namespace updater {

// Owns one handle and closes it exactly once. Closing keeps the caller's last error intact, so
// that a failure path can still report GetLastError() after its handles went out of scope.
template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  explicit UniqueHandle(Value v) : value_(v) {}
  UniqueHandle(UniqueHandle&& o) noexcept : value_(o.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    Reset(o.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Value Get() const { return value_; }
  Value Release() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(Value v = Traits::Invalid()) {
    if (Traits::IsValid(value_)) {
      const DWORD lastError = GetLastError();
      Traits::Close(value_);
      SetLastError(lastError);
    }
    value_ = v;
  }
  // For APIs that return a handle through an out parameter.
  Value* Put() {
    Reset();
    return &value_;
  }
  explicit operator bool() const { return Traits::IsValid(value_); }

 private:
  Value value_ = Traits::Invalid();
};

// Kernel objects whose "no handle" value is NULL (events, threads, processes, mappings, mutexes).
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { CloseHandle(v); }
};

// Files, whose "no handle" value from CreateFileW is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { CloseHandle(v); }
};

// Searches of FindFirstFileExW, which FindClose ends.
struct FindHandleTraits : FileHandleTraits {
  static void Close(Value v) { FindClose(v); }
};

// Handles whose "no handle" value is zero or null and that one function closes.
template <typename T, auto CloseFunction>
struct ClosedByTraits {
  using Value = T;
  static Value Invalid() { return Value(); }
  static bool IsValid(Value v) { return v != Value(); }
  static void Close(Value v) { CloseFunction(v); }
};
template <typename T, auto CloseFunction>
using ClosedBy = UniqueHandle<ClosedByTraits<T, CloseFunction>>;

// One counted reference to an object that Release gives back (COM interfaces and the like).
template <typename T>
struct CountedReferenceTraits {
  using Value = T*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { v->Release(); }
};
template <typename T>
using CountedRef = UniqueHandle<CountedReferenceTraits<T>>;

// The closers that take a flags argument besides the handle.
inline void ReleaseCryptProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
inline void CloseCertStore(HCERTSTORE store) { CertCloseStore(store, 0); }

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
// Views of file mappings from MapViewOfFile.
using MappedView = ClosedBy<void*, &UnmapViewOfFile>;
using RegistryKey = ClosedBy<HKEY, &RegCloseKey>;
using ModuleHandle = ClosedBy<HMODULE, &FreeLibrary>;
using GdiFont = ClosedBy<HFONT, &DeleteObject>;
// Security descriptors that ConvertStringSecurityDescriptorToSecurityDescriptorW allocates.
using LocalSecurityDescriptor = ClosedBy<PSECURITY_DESCRIPTOR, &LocalFree>;
using CryptProvider = ClosedBy<HCRYPTPROV, &ReleaseCryptProvider>;
using CryptKey = ClosedBy<HCRYPTKEY, &CryptDestroyKey>;
using CryptHash = ClosedBy<HCRYPTHASH, &CryptDestroyHash>;
using CertContext = ClosedBy<PCCERT_CONTEXT, &CertFreeCertificateContext>;
using CertStore = ClosedBy<HCERTSTORE, &CloseCertStore>;
using IconHandle = ClosedBy<HICON, &DestroyIcon>;
using MenuHandle = ClosedBy<HMENU, &DestroyMenu>;

}  // namespace updater
