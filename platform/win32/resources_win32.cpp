// The executable's own resources, and SHA-256 through CryptoAPI.
#include "platform/resources.h"
#include "platform/win32/win32_api.h"

namespace platform {

ScopedResource::~ScopedResource() {
  if (loaded_ != nullptr)
    ::FreeResource(static_cast<HGLOBAL>(loaded_));
}

bool ScopedResource::Load(const std::string& name, const std::string& type) {
  if (loaded_ != nullptr)
    ::FreeResource(static_cast<HGLOBAL>(loaded_));
  loaded_ = nullptr;
  data_ = nullptr;
  size_ = 0;
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, name.c_str(), type.c_str());
  if (found == nullptr)
    return false;
  HGLOBAL loaded = ::LoadResource(module, found);
  if (loaded == nullptr)
    return false;
  const void* data = ::LockResource(loaded);
  if (data == nullptr) {
    ::FreeResource(loaded);
    return false;
  }
  loaded_ = loaded;
  data_ = static_cast<const uint8_t*>(data);
  size_ = ::SizeofResource(module, found);
  return true;
}

namespace {

// A CryptoAPI hash object with its provider, released on scope exit.
class HashContext {
 public:
  // hash() stays 0 when the provider or the SHA-256 hash is unavailable.
  HashContext() {
    HCRYPTPROV provider = 0;
    if (::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      provider_ = provider;
      HCRYPTHASH hash = 0;
      if (::CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash))
        hash_ = hash;
    }
  }
  ~HashContext() {
    if (hash_ != 0)
      ::CryptDestroyHash(hash_);
    if (provider_ != 0)
      ::CryptReleaseContext(provider_, 0);
  }
  HashContext(const HashContext&) = delete;
  HashContext& operator=(const HashContext&) = delete;

  HCRYPTHASH hash() const { return hash_; }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

constexpr uint32_t kHashChunk = 1 << 20;

}  // namespace

bool Sha256(const uint8_t* data, uint32_t size, uint8_t digest[32]) {
  HashContext context;
  if (context.hash() == 0)
    return false;
  for (uint32_t done = 0; done < size;) {
    const uint32_t chunk = size - done < kHashChunk ? size - done : kHashChunk;
    if (!::CryptHashData(context.hash(), data + done, chunk, 0))
      return false;
    done += chunk;
  }
  BYTE value[32];
  DWORD value_size = sizeof(value);
  if (!::CryptGetHashParam(context.hash(), HP_HASHVAL, value, &value_size, 0) ||
      value_size != sizeof(value)) {
    return false;
  }
  for (int i = 0; i < 32; ++i)
    digest[i] = value[i];
  return true;
}

}  // namespace platform
