// Volumes decoded as streams: the same bytes as decoding the whole container at once, whatever the
// pieces the medium hands over; damaged, lying and unreadable volumes and a full disk end as errors,
// with no output left and memory that does not follow the sizes a header states.
#include "package/volume_stream.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>

#include "messages/zerror.h"
#include "package/volume_container.h"
#include "package/x86_filter.h"
#include "platform/config.h"
#include "platform/error.h"
#include "platform/fault_injection.h"
#include "packed_container.h"
#include "sample_data.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

using test::Bytes;

using test::PackContainer;

// Hands over at most `piece` bytes per read; fails with access denied once `fail_at` bytes are read.
class MemorySource final : public VolumeSource {
 public:
  MemorySource(const Bytes& bytes, size_t piece, size_t fail_at = SIZE_MAX)
      : bytes_(bytes), piece_(piece), fail_at_(fail_at) {}
  bool Read(uint8_t* data, size_t size, size_t* done) override {
    if (pos_ >= fail_at_) {
      platform::SetLastError(platform::err::kAccessDenied);
      return false;
    }
    *done = std::min({size, piece_, bytes_.size() - pos_});
    std::memcpy(data, bytes_.data() + pos_, *done);
    pos_ += *done;
    return true;
  }

 private:
  const Bytes& bytes_;
  size_t piece_;
  size_t fail_at_;
  size_t pos_ = 0;
};

// Collects what it is given; refuses with a full disk beyond `room` bytes.
class CollectSink final : public DecodedSink {
 public:
  explicit CollectSink(size_t room = SIZE_MAX) : room_(room) {}
  bool Write(std::span<const uint8_t> bytes) override {
    if (bytes.size() > room_ - got.size()) {
      platform::SetLastError(platform::err::kDiskFull);
      return false;
    }
    got.insert(got.end(), bytes.begin(), bytes.end());
    return true;
  }
  Bytes got;

 private:
  size_t room_;
};

StreamResult Decode(const Bytes& container, size_t piece, CollectSink& sink, size_t fail_at = SIZE_MAX) {
  MemorySource source(container, piece, fail_at);
  ContainerHeader header;
  const StreamResult head = ReadVolumeHeader(source, &header);
  if (head.end != StreamEnd::kDone) return head;
  return DecodeVolumeBody(source, header, sink, nullptr);
}

TEST(VolumeStream, GivesWhatWholeDecodingGivesWhateverThePieces) {
  const struct {
    const char* name;
    Bytes input;
    VolumeFilter filter;
    bool end_marker;
    std::vector<size_t> pieces;
  } cases[] = {
      {"text", test::TextSample(2500000), VolumeFilter::kNone, false, {4096, 1 << 20, 3 << 20}},
      {"noise, end marker", test::NoiseSample(1200000), VolumeFilter::kNone, true, {7, 1 << 20}},
      {"branches, x86", test::BranchSample(1500000), VolumeFilter::kX86, false, {13, 65536, 1 << 20}},
      {"branches, x86, end marker", test::BranchSample(40000), VolumeFilter::kX86, true, {1, 5, 4096}},
      {"one byte", Bytes{0xE8}, VolumeFilter::kX86, false, {1, 4096}},
      {"five bytes", Bytes{0xE8, 1, 2, 0, 0}, VolumeFilter::kX86, true, {1, 4096}},
  };
  for (const auto& c : cases) {
    const Bytes container = PackContainer(c.input, c.filter, c.end_marker);
    Bytes whole(c.input.size());
    ASSERT_EQ(DecodeContainer(container, whole, nullptr), CodecStatus::kOk) << c.name;
    for (size_t piece : c.pieces) {
      CollectSink sink;
      const StreamResult result = Decode(container, piece, sink);
      EXPECT_EQ(result.end, StreamEnd::kDone) << c.name << ", pieces of " << piece;
      EXPECT_EQ(result.produced, c.input.size()) << c.name << ", pieces of " << piece;
      EXPECT_TRUE(sink.got == whole) << c.name << ", pieces of " << piece;
    }
  }
}

TEST(VolumeStream, X86ConversionInPiecesMatchesTheWholeRun) {
  Bytes encoded = test::BranchSample(300000);
  X86Convert(encoded.data(), encoded.size(), 0, true);
  Bytes whole = encoded;
  X86Convert(whole.data(), whole.size(), 0, false);
  for (size_t piece : {1, 2, 4, 5, 6, 13, 4096, 300000}) {
    X86StreamDecoder converter;
    Bytes out, held;
    for (size_t pos = 0; pos < encoded.size(); pos += piece) {
      held.insert(held.end(), encoded.begin() + pos, encoded.begin() + std::min(encoded.size(), pos + piece));
      const size_t done = converter.Convert(held.data(), held.size());
      out.insert(out.end(), held.begin(), held.begin() + done);
      held.erase(held.begin(), held.begin() + done);
    }
    out.insert(out.end(), held.begin(), held.end());
    EXPECT_TRUE(out == whole) << "pieces of " << piece;
  }
}

TEST(VolumeStream, DamagedAndLyingVolumesEndAsDamaged) {
  const Bytes input = test::TextSample(300000);
  const Bytes good = PackContainer(input);
  const auto with_size = [&](uint64_t size) {
    Bytes bytes = good;
    for (int i = 0; i < 8; ++i) bytes[6 + i] = static_cast<uint8_t>(size >> (8 * i));
    return bytes;
  };
  Bytes huge_dictionary = with_size(uint64_t{1} << 31);
  huge_dictionary[1 + 4] = 0x40;  // 1 GiB
  Bytes filter = good;
  filter[0] = 2;
  const struct {
    const char* name;
    Bytes container;
    CodecStatus status;
  } cases[] = {
      {"cut in the stream", Bytes(good.begin(), good.begin() + good.size() / 2), CodecStatus::kInputShort},
      {"cut in the header", Bytes(good.begin(), good.begin() + 9), CodecStatus::kInputShort},
      {"promises a byte more", with_size(input.size() + 1), CodecStatus::kInputShort},
      {"promises a byte less", with_size(input.size() - 1), CodecStatus::kDataError},
      {"promises 2 GiB", with_size(uint64_t{1} << 31), CodecStatus::kInputShort},
      {"asks for a 1 GiB dictionary", huge_dictionary, CodecStatus::kUnsupported},
      {"unknown filter", filter, CodecStatus::kUnsupported},
  };
  for (const auto& c : cases) {
    CollectSink sink;
    const StreamResult result = Decode(c.container, 1 << 20, sink);
    EXPECT_EQ(result.end, StreamEnd::kDamaged) << c.name;
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_LE(sink.got.size(), input.size()) << c.name;
  }
}

TEST(VolumeStream, ReadAndWriteFailuresAreTheirs) {
  const Bytes input = test::NoiseSample(2000000);
  const Bytes container = PackContainer(input);
  CollectSink sink;
  StreamResult result = Decode(container, 65536, sink, container.size() / 2);
  EXPECT_EQ(result.end, StreamEnd::kReadFailed);
  EXPECT_EQ(platform::LastError(), platform::err::kAccessDenied);
  CollectSink small(1 << 20);
  result = Decode(container, 65536, small);
  EXPECT_EQ(result.end, StreamEnd::kSinkFailed);
  EXPECT_EQ(platform::LastError(), platform::err::kDiskFull);
  EXPECT_EQ(result.produced, small.got.size());
}

#ifndef _WIN32  // the address-space limit, the drive map and the fault seam are the POSIX platform's
// A header promising 2 GiB over a few kilobytes, decoded with the address space limited to far less:
// the decoder holds what the data needs, never what the header says.
TEST(VolumeStream, MemoryDoesNotFollowThePromisedSize) {
#if defined(TLX_SANITIZED)
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#else
  Bytes container = PackContainer(test::TextSample(33000));
  for (int i = 0; i < 8; ++i) container[6 + i] = static_cast<uint8_t>((uint64_t{1} << 31) >> (8 * i));
  const pid_t pid = fork();
  ASSERT_NE(pid, -1);
  if (pid == 0) {
    struct rlimit limit;
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = 512u << 20;
    setrlimit(RLIMIT_AS, &limit);
    CollectSink sink;
    const StreamResult result = Decode(container, 1 << 20, sink);
    _exit(result.end == StreamEnd::kDamaged && result.status == CodecStatus::kInputShort ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
}

class UnpackVolumeTest : public testing::Test {
 protected:
  UnpackVolumeTest() : saved_(platform::CurrentConfig()) {}
  ~UnpackVolumeTest() override { platform::Configure(saved_); }
  void SetFree(uint64_t bytes) {
    platform::PlatformConfig config = platform::CurrentConfig();
    for (auto& drive : config.drives) {
      if (drive.letter == 'c') drive.free_bytes = bytes;
    }
    platform::Configure(config);
  }
  std::string Fails(const std::function<void()>& run) {
    try {
      run();
    } catch (const messages::ZError& error) {
      return error.what();
    }
    return "no error";
  }

  test::TempDrive drive_{'c'};
  platform::PlatformConfig saved_;
};

TEST_F(UnpackVolumeTest, UnpacksAndRefusesWhatCannotBeWrittenOrRead) {
  const Bytes input = test::TextSample(3000000);
  test::WriteNativeFile(drive_.NativePath("vol"), test::AsString(PackContainer(input)));
  ASSERT_TRUE(UnpackVolume(drive_.Path("out"), drive_.Path("vol")));
  EXPECT_TRUE(test::AsBytes(test::ReadNativeFile(drive_.NativePath("out"))) == input);

  // A drive with less room than the header promises: refused before the output is made, naming the volume.
  SetFree(input.size() - 1);
  std::string error = Fails([&] { UnpackVolume(drive_.Path("out2"), drive_.Path("vol")); });
  EXPECT_NE(error.find(drive_.Path("vol")), std::string::npos) << error;
  EXPECT_NE(error.find(platform::SystemMessage(platform::err::kDiskFull)), std::string::npos) << error;
  EXPECT_FALSE(test::NativeExists(drive_.NativePath("out2")));
  platform::Configure(saved_);

  // The disk fills while the volume is written: the error names the output, and it is gone.
  {
    platform::FaultPlan plan;
    plan.ops = platform::FaultBit(platform::FaultOp::kWrite);
    plan.nth = 2;
    plan.sticky = true;
    platform::ScopedFaults full(plan);
    error = Fails([&] { UnpackVolume(drive_.Path("out3"), drive_.Path("vol")); });
  }
  EXPECT_NE(error.find(drive_.Path("out3")), std::string::npos) << error;
  EXPECT_FALSE(test::NativeExists(drive_.NativePath("out3")));

  // A volume cut after it was checked: damaged, nothing left.
  const std::string packed = test::ReadNativeFile(drive_.NativePath("vol"));
  test::WriteNativeFile(drive_.NativePath("vol"), packed.substr(0, packed.size() / 3));
  EXPECT_FALSE(UnpackVolume(drive_.Path("out4"), drive_.Path("vol")));
  EXPECT_FALSE(test::NativeExists(drive_.NativePath("out4")));

  // A volume that is gone: the file layer's error naming it.
  error = Fails([&] { UnpackVolume(drive_.Path("out5"), drive_.Path("missing")); });
  EXPECT_NE(error.find(drive_.Path("missing")), std::string::npos) << error;
}

#endif

}  // namespace
}  // namespace tlx::package
