// SHA-256 on Windows: the system's bcrypt.dll, loaded by its full path in the system folder (never
// searched for beside the program) the first time a digest is made, and kept until the process ends.
#include "platform/win/wide.h"  // windows.h, which bcrypt.h needs first
// clang-format off
#include <bcrypt.h>
// clang-format on

#include <algorithm>
#include <mutex>

#include "platform/sha256.h"

namespace tlx::platform {
namespace {

using OpenProviderFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateHashFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashDataFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

// The provider and the entry points, shared by every digest (bcrypt's handles are thread-safe).
struct Provider {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  CreateHashFn create = nullptr;
  HashDataFn hash = nullptr;
  FinishHashFn finish = nullptr;
  DestroyHashFn destroy = nullptr;
  DWORD error = ERROR_SUCCESS;
};

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const Provider& SharedProvider() {
  static Provider provider;
  static std::once_flag once;
  std::call_once(once, [] {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      provider.error = ::GetLastError();
      return;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\bcrypt.dll";
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
      provider.error = ::GetLastError();
      return;
    }
    const auto open = Entry<OpenProviderFn>(module, "BCryptOpenAlgorithmProvider");
    provider.create = Entry<CreateHashFn>(module, "BCryptCreateHash");
    provider.hash = Entry<HashDataFn>(module, "BCryptHashData");
    provider.finish = Entry<FinishHashFn>(module, "BCryptFinishHash");
    provider.destroy = Entry<DestroyHashFn>(module, "BCryptDestroyHash");
    if (open == nullptr || provider.create == nullptr || provider.hash == nullptr || provider.finish == nullptr ||
        provider.destroy == nullptr || open(&provider.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
      provider.algorithm = nullptr;
      provider.error = ERROR_NOT_SUPPORTED;
    }
  });
  return provider;
}

}  // namespace

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash != nullptr) SharedProvider().destroy(hash);
  }
};

Sha256::Sha256() {
  const Provider& provider = SharedProvider();
  if (provider.algorithm == nullptr) {
    ::SetLastError(provider.error);
    return;
  }
  auto state = std::make_unique<State>();
  if (provider.create(provider.algorithm, &state->hash, nullptr, 0, nullptr, 0, 0) < 0) {
    state->hash = nullptr;
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  state_ = std::move(state);
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

void Sha256::Update(std::span<const uint8_t> bytes) {
  const Provider& provider = SharedProvider();
  while (state_ != nullptr && !bytes.empty()) {
    const ULONG piece = static_cast<ULONG>(std::min<size_t>(bytes.size(), 1u << 30));
    if (provider.hash(state_->hash, const_cast<PUCHAR>(bytes.data()), piece, 0) < 0) state_.reset();
    bytes = bytes.subspan(piece);
  }
}

std::optional<Sha256Digest> Sha256::Finish() {
  if (state_ == nullptr) return std::nullopt;
  Sha256Digest digest{};
  const bool ok = SharedProvider().finish(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
  state_.reset();
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace tlx::platform
