// SHA-256 as the system provides it (bcrypt on Windows, the distribution's libcrypto natively): a
// streaming digest, so a file is hashed block by block and never held whole. One object per
// stream; objects are independent, so several threads may hash at once, each with its own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tlx::platform {

inline constexpr size_t kSha256Size = 32;
using Sha256Digest = std::array<uint8_t, kSha256Size>;

class Sha256 {
 public:
  // Starts a fresh digest. valid() is false when the system offers no SHA-256 (LastError set).
  Sha256();
  ~Sha256();
  Sha256(Sha256&& other) noexcept;
  Sha256& operator=(Sha256&& other) noexcept;
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool valid() const { return state_ != nullptr; }
  // Adds bytes to the digest; nothing on an invalid object.
  void Update(std::span<const uint8_t> bytes);
  // Ends the digest and returns it; nullopt when the object is invalid or the system failed. The
  // object is invalid afterwards.
  std::optional<Sha256Digest> Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The digest of `bytes` in one call; nullopt when the system offers no SHA-256.
std::optional<Sha256Digest> Sha256Of(std::span<const uint8_t> bytes);

// 64 lower-case hexadecimal digits.
std::string DigestHex(const Sha256Digest& digest);

}  // namespace tlx::platform
