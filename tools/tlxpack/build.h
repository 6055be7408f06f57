// `tlxpack build`: turns a payload folder into a distribution folder (the setup configuration file
// "TlxSetup_5_320.cfg", the setup program, and Setup with `kssum` and the volumes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/tlxpack/signing.h"

namespace tlx::tlxpack {

inline constexpr char kSetupConfigName[] = "TlxSetup_5_320.cfg";
inline constexpr char kSetupFolderName[] = "Setup";
// Each volume is an LZMA stream of its own, starting with an empty dictionary: at 8 MiB the coder has
// a good part of its 8 MiB of history for most of a volume (the benchmark's payload packs 1.6 %
// larger than at 16 MiB, 13 % larger at 1 MiB), and an installation has enough volumes to keep
// every decoding thread busy.
inline constexpr uint64_t kDefaultVolumeSize = 8u << 20;

struct BuildOptions {
  std::string payload;        // the payload folder
  std::string destination;    // the distribution folder (created when missing)
  std::string setup_program;  // copied beside the configuration file; empty: none
  uint64_t volume_size = kDefaultVolumeSize;  // unpacked bytes per volume, rounded down to whole blocks
  unsigned jobs = 0;          // packing threads; 0: one per core
  // The tlxpack executable that runs the two measuring installations side by side when jobs >= 2
  // (MeasureRequiredSpace); empty: both in this process, one after the other.
  std::string measuring_program;
  size_t pack_piece = 0;      // bytes of an install buffer read at a time while packing; 0: the default
  bool progress = false;      // draw the progress line and the summary
  SigningOptions signing;     // when enabled: the setup program and the payload's programs are signed
};

struct BuildResult {
  uint64_t files = 0;
  uint64_t volumes = 0;
  uint64_t payload_bytes = 0;
  uint64_t packed_bytes = 0;
  uint64_t required_space = 0;  // written into the setup configuration file
};

// Builds the distribution: Setup with the volumes, `kssum` and SHA256SUMS (every volume and `kssum`),
// the setup program and the setup configuration file. With signing, the payload's programs (".exe"
// and ".dll" files with PE headers) are signed before they are packed and the setup program as it is
// copied, before the checksums are written. Every fault of the payload is found before anything is
// written; without signing the same payload always gives the same bytes. Old volumes and lists of an
// earlier build in Setup are removed.
// Throws std::runtime_error (or the file layer's ZError) naming the file and the fault.
BuildResult BuildDistribution(const BuildOptions& options);

// "4M", "512K", "1G" or a plain number of bytes; nullopt-like 0 on bad syntax.
uint64_t ParseSize(const std::string& text);

}  // namespace tlx::tlxpack
