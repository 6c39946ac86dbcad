// Owning wrappers for the handle kinds the program uses. A wrapper closes what it
// owns exactly once; nullptr and the invalid handle value both count as "nothing".
#pragma once

#include <cstdint>
#include <utility>

namespace platform {

using RawHandle = void*;
inline RawHandle InvalidHandleValue() {
  return reinterpret_cast<RawHandle>(static_cast<intptr_t>(-1));
}
inline bool IsValidRawHandle(RawHandle h) {
  return h != nullptr && h != InvalidHandleValue();
}

// Closes a kernel handle (file, mapping, process, thread). Platform-specific.
bool CloseHandle(RawHandle handle);
// Closes a directory enumeration. Platform-specific.
bool FindClose(RawHandle handle);
// Calls `close` with `handle`, leaving the thread's last error as it was.
void CloseKeepingLastError(void (*close)(RawHandle), RawHandle handle);

// The owner of one kind of handle: `Traits` names the raw type it takes
// (Traits::Raw), which values count as nothing (Traits::IsValid) and how one is
// closed (Traits::Close, given it as RawHandle). An owner takes its own kind
// only: a value of another type (a registry key for a kernel handle's owner,
// say) does not convert into it.
template <typename Traits>
class ScopedGeneric {
 public:
  using Raw = typename Traits::Raw;

  ScopedGeneric() = default;
  explicit ScopedGeneric(Raw raw) : raw_(Traits::IsValid(raw) ? raw : nullptr) {}
  template <typename Other>
  explicit ScopedGeneric(Other) = delete;
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;
  ScopedGeneric(ScopedGeneric&& other) noexcept : raw_(other.raw_) { other.raw_ = nullptr; }
  ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  ~ScopedGeneric() { Reset(); }

  bool IsValid() const { return raw_ != nullptr; }
  Raw Get() const { return static_cast<Raw>(raw_); }
  // Closes the owned handle (if any) and takes ownership of `raw`. The
  // thread's last error stays what it was: a failure reported after a reset
  // tells its own error, not the close's.
  void Reset(Raw raw = Raw()) {
    if (raw_ != nullptr)
      CloseKeepingLastError(&Traits::Close, raw_);
    raw_ = Traits::IsValid(raw) ? raw : nullptr;
  }
  template <typename Other>
  void Reset(Other) = delete;
  // Gives up ownership without closing.
  Raw Release() { return static_cast<Raw>(std::exchange(raw_, nullptr)); }

 private:
  RawHandle raw_ = nullptr;
};

// Traits of the handle kinds whose raw type is RawHandle, where nullptr and
// the invalid handle value both count as nothing.
struct RawHandleTraits {
  using Raw = RawHandle;
  static bool IsValid(RawHandle h) { return IsValidRawHandle(h); }
};

struct KernelHandleTraits : RawHandleTraits {
  static void Close(RawHandle h) { CloseHandle(h); }
};
struct FindHandleTraits : RawHandleTraits {
  static void Close(RawHandle h) { FindClose(h); }
};

using ScopedHandle = ScopedGeneric<KernelHandleTraits>;
using ScopedFindHandle = ScopedGeneric<FindHandleTraits>;

}  // namespace platform
