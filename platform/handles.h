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

template <typename Traits>
class ScopedGeneric {
 public:
  ScopedGeneric() = default;
  explicit ScopedGeneric(RawHandle raw) : raw_(IsValidRawHandle(raw) ? raw : nullptr) {}
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;
  ScopedGeneric(ScopedGeneric&& other) noexcept : raw_(other.Release()) {}
  ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  ~ScopedGeneric() { Reset(); }

  bool IsValid() const { return raw_ != nullptr; }
  RawHandle Get() const { return raw_; }
  // Closes the owned handle (if any) and takes ownership of `raw`. The
  // thread's last error stays what it was: a failure reported after a reset
  // tells its own error, not the close's.
  void Reset(RawHandle raw = nullptr) {
    if (raw_ != nullptr)
      CloseKeepingLastError(&Traits::Close, raw_);
    raw_ = IsValidRawHandle(raw) ? raw : nullptr;
  }
  // Gives up ownership without closing.
  RawHandle Release() { return std::exchange(raw_, nullptr); }

 private:
  RawHandle raw_ = nullptr;
};

struct KernelHandleTraits {
  static void Close(RawHandle h) { CloseHandle(h); }
};
struct FindHandleTraits {
  static void Close(RawHandle h) { FindClose(h); }
};

using ScopedHandle = ScopedGeneric<KernelHandleTraits>;
using ScopedFindHandle = ScopedGeneric<FindHandleTraits>;

}  // namespace platform
