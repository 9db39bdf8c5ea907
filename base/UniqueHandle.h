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

// Views of file mappings from MapViewOfFile.
struct MappedViewTraits {
  using Value = void*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { UnmapViewOfFile(v); }
};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { RegCloseKey(v); }
};

struct ModuleTraits {
  using Value = HMODULE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { FreeLibrary(v); }
};

struct GdiFontTraits {
  using Value = HFONT;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { DeleteObject(v); }
};

struct CryptProviderTraits {
  using Value = HCRYPTPROV;
  static Value Invalid() { return 0; }
  static bool IsValid(Value v) { return v != 0; }
  static void Close(Value v) { CryptReleaseContext(v, 0); }
};

struct CryptKeyTraits {
  using Value = HCRYPTKEY;
  static Value Invalid() { return 0; }
  static bool IsValid(Value v) { return v != 0; }
  static void Close(Value v) { CryptDestroyKey(v); }
};

struct CryptHashTraits {
  using Value = HCRYPTHASH;
  static Value Invalid() { return 0; }
  static bool IsValid(Value v) { return v != 0; }
  static void Close(Value v) { CryptDestroyHash(v); }
};

struct CertContextTraits {
  using Value = PCCERT_CONTEXT;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { CertFreeCertificateContext(v); }
};

struct CertStoreTraits {
  using Value = HCERTSTORE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { CertCloseStore(v, 0); }
};

// Security descriptors that ConvertStringSecurityDescriptorToSecurityDescriptorW allocates.
struct LocalSecurityDescriptorTraits {
  using Value = PSECURITY_DESCRIPTOR;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { LocalFree(v); }
};

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

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using MappedView = UniqueHandle<MappedViewTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using GdiFont = UniqueHandle<GdiFontTraits>;
using LocalSecurityDescriptor = UniqueHandle<LocalSecurityDescriptorTraits>;
using CryptProvider = UniqueHandle<CryptProviderTraits>;
using CryptKey = UniqueHandle<CryptKeyTraits>;
using CryptHash = UniqueHandle<CryptHashTraits>;
using CertContext = UniqueHandle<CertContextTraits>;
using CertStore = UniqueHandle<CertStoreTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;

}  // namespace updater
