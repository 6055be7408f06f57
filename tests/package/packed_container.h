// A volume container made in memory by the codec (level 9, 8 MiB dictionary), for the tests that
// read containers back.
#pragma once
#include <gtest/gtest.h>

#include "package/volume_container.h"
#include "sample_data.h"

namespace tlx::test {

inline Bytes PackContainer(const Bytes& input, package::VolumeFilter filter = package::VolumeFilter::kNone,
                           bool end_marker = false) {
  Bytes out(package::PackCapacity(input.size()));
  size_t written = 0;
  EXPECT_EQ(package::EncodeContainer(input, out, filter, end_marker, &written, nullptr), package::CodecStatus::kOk);
  out.resize(written);
  return out;
}

}  // namespace tlx::test
