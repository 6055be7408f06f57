// SHA-256 from the system against the published test vectors, whole and fed in uneven pieces.
#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tlx::platform {
namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct Vector {
  std::string input;
  const char* digest;
};

const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, PublishedVectorsWholeAndInPieces) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.input.substr(0, 16));
    const std::optional<Sha256Digest> whole = Sha256Of(Bytes(v.input));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(DigestHex(*whole), v.digest);

    Sha256 pieces;
    ASSERT_TRUE(pieces.valid());
    size_t at = 0;
    for (size_t step = 1; at < v.input.size(); step = step * 3 + 1) {
      const size_t take = std::min(step, v.input.size() - at);
      pieces.Update(Bytes(v.input).subspan(at, take));
      at += take;
    }
    const std::optional<Sha256Digest> streamed = pieces.Finish();
    ASSERT_TRUE(streamed.has_value());
    EXPECT_EQ(*streamed, *whole);
    EXPECT_FALSE(pieces.valid());
    EXPECT_FALSE(pieces.Finish().has_value());
  }
}

TEST(Sha256, DigestsAreIndependentAndMovable) {
  Sha256 first;
  Sha256 second;
  first.Update(Bytes("ab"));
  second.Update(Bytes("xyz"));
  Sha256 moved = std::move(first);
  moved.Update(Bytes("c"));
  EXPECT_EQ(DigestHex(*moved.Finish()), kVectors[1].digest);
  EXPECT_NE(*second.Finish(), *Sha256Of(Bytes("abc")));
}

}  // namespace
}  // namespace tlx::platform
