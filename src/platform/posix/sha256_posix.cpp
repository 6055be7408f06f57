// SHA-256 natively: OpenSSL's libcrypto (Debian's libssl-dev), which uses the processor's SHA
// instructions where it has them.
#include <openssl/evp.h>

#include "platform/error.h"
#include "platform/sha256.h"

namespace tlx::platform {

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  state->context = EVP_MD_CTX_new();
  if (state->context == nullptr || EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) != 1) {
    SetLastError(err::kNotEnoughMemory);
    return;
  }
  state_ = std::move(state);
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

void Sha256::Update(std::span<const uint8_t> bytes) {
  if (state_ == nullptr || bytes.empty()) return;
  if (EVP_DigestUpdate(state_->context, bytes.data(), bytes.size()) != 1) state_.reset();
}

std::optional<Sha256Digest> Sha256::Finish() {
  if (state_ == nullptr) return std::nullopt;
  Sha256Digest digest{};
  unsigned int size = 0;
  const bool ok = EVP_DigestFinal_ex(state_->context, digest.data(), &size) == 1 && size == digest.size();
  state_.reset();
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace tlx::platform
