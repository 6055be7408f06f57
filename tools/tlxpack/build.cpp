#include "tools/tlxpack/paths.h"
#include "tools/tlxpack/build.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "package/distribution_writer.h"
#include "package/sha256_sums.h"
#include "package/volume_blocks.h"
#include "package/volume_set.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "tools/tlxpack/install_buffer.h"
#include "tools/tlxpack/measure.h"
#include "tools/tlxpack/payload.h"
#include "tools/tlxpack/progress.h"
#include "tools/tlxpack/scratch_folder.h"
#include "tools/tlxpack/signing.h"
#include "tools/tlxpack/volume_writer.h"

namespace tlx::tlxpack {

namespace {

// Removes the volumes and checksum lists an earlier build left in `setup_folder`.
void RemoveOldVolumes(const std::string& setup_folder) {
  auto entries = platform::ListFolder(setup_folder, std::string(package::kVolumePrefix) + "*");
  if (entries) {
    for (const platform::FolderEntry& entry : *entries) {
      if ((entry.attributes & platform::attr::kDirectory) == 0) platform::DeleteFile(JoinPath(setup_folder, entry.name));
    }
  }
  for (const char* name : {package::kChecksumTableName, package::kSha256SumsName}) {
    const std::string list = JoinPath(setup_folder, name);
    if (platform::FileExists(list) && !platform::DeleteFile(list)) throw std::runtime_error(list + ": cannot be replaced");
  }
}

// Signs every program of the payload into the working folder and takes the signed copy as its source.
void SignPayloadPrograms(PayloadPlan& plan, const SigningOptions& signing, const ScratchFolder& scratch) {
  int count = 0;
  for (auto& units : plan.groups) {
    for (InstallUnit& unit : units) {
      for (PayloadFile& file : unit.files) {
        if (!IsProgramFileName(file.name) || SignatureOf(file.source) == ESignature::kNotProgram) continue;
        const std::string signed_copy = scratch.Path("signed-" + std::to_string(++count) + "-" + file.name);
        SignProgram(signing, file.source, signed_copy);
        platform::File copy = platform::File::Open(signed_copy, {});
        const int64_t size = copy.valid() ? copy.Size() : -1;
        if (size < 0) throw std::runtime_error(signed_copy + ": the signed program cannot be read");
        plan.byte_count = plan.byte_count - file.size + static_cast<uint64_t>(size);
        file.source = signed_copy;
        file.size = static_cast<uint64_t>(size);
      }
    }
  }
}

// The SHA256SUMS text: every volume in number order, then `kssum`.
std::string Sha256SumsText(const VolumeLayout& layout, const std::vector<PackedVolume>& packed, const std::string& table) {
  std::vector<package::Sha256Entry> entries;
  for (size_t i = 0; i < layout.volumes.size(); ++i) {
    entries.push_back({package::VolumeName(layout.volumes[i].number), packed[i].sha256});
  }
  const std::optional<platform::Sha256Digest> table_digest =
      platform::Sha256Of({reinterpret_cast<const uint8_t*>(table.data()), table.size()});
  if (!table_digest) throw std::runtime_error("this system offers no SHA-256");
  entries.push_back({package::kChecksumTableName, *table_digest});
  return package::FormatSha256Sums(entries);
}

}  // namespace

uint64_t ParseSize(const std::string& text) {
  if (text.empty()) return 0;
  uint64_t value = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (uint64_t{1} << 40)) return 0;
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  if (i == 0) return 0;
  const std::string unit = text.substr(i);
  if (unit.empty()) return value;
  if (unit == "K" || unit == "k") return value << 10;
  if (unit == "M" || unit == "m") return value << 20;
  if (unit == "G" || unit == "g") return value << 30;
  return 0;
}

BuildResult BuildDistribution(const BuildOptions& options) {
  BuildProgress progress(options.progress);
  progress.SetStage("reading");
  const std::string destination = AbsolutePath(options.destination);
  PayloadPlan plan = ReadPayload(options.payload);
  // A group too large for its buffer is refused by the sizes alone, before any file is read.
  for (int group = 0; group < package::kVolumeGroups; ++group) CheckInstallBufferRoom(group, plan.groups[group]);

  // Every fault of the payload is refused before the first byte goes into the distribution: the
  // buffers are made in the working folder first, and they decide the volumes.
  if (!options.setup_program.empty()) RequireRegularFile(options.setup_program, "the setup program");
  if (options.signing.enabled()) {
    RequireRegularFile(options.signing.pkcs12, "the certificate file");
    if (!options.signing.password_file.empty()) RequireRegularFile(options.signing.password_file, "the password file");
  }
  ScratchFolder scratch;
  // Programs are signed in the working folder first, so a refused certificate writes nothing.
  std::string setup_source = options.setup_program;
  if (options.signing.enabled()) {
    progress.SetStage("signing");
    SignPayloadPrograms(plan, options.signing, scratch);
    if (!setup_source.empty()) {
      setup_source = scratch.Path("signed-setup-" + FileNameOf(options.setup_program));
      SignProgram(options.signing, options.setup_program, setup_source);
    }
  }
  progress.SetTotals(plan.file_count, 0, plan.byte_count);
  std::array<std::string, package::kVolumeGroups> buffers;
  std::array<uint64_t, package::kVolumeGroups> sizes{};
  progress.SetStage("buffers");
  for (int group = 0; group < package::kVolumeGroups; ++group) {
    buffers[group] = scratch.Path("group" + std::to_string(group) + ".buf");
    BuildInstallBuffer(buffers[group], group, plan.groups[group], [&](uint64_t bytes) {
      progress.FileDone(bytes);
      progress.Show();
    });
    platform::File file = platform::File::Open(buffers[group], {});
    const int64_t size = file.valid() ? file.Size() : -1;
    if (size <= 0 || uint64_t(size) > kMaxInstallBufferSize) {
      throw std::runtime_error(options.payload + ": the files of group " + std::to_string(group) +
                               " do not fit one install buffer (at most 2 GiB)");
    }
    sizes[group] = static_cast<uint64_t>(size);
  }
  const uint32_t blocks_per_volume =
      static_cast<uint32_t>(std::clamp<uint64_t>(options.volume_size / package::kVolumeBlockSize, 1, 1u << 16));
  VolumeLayout volumes;
  try {
    volumes = LayOutVolumes(sizes, blocks_per_volume);
  } catch (const std::invalid_argument& error) {
    throw std::runtime_error(options.payload + ": " + error.what());
  }
  progress.SetTotals(plan.file_count, volumes.volumes.size(), plan.byte_count);

  const std::string setup_folder = JoinPath(destination, kSetupFolderName);
  if (!platform::CreateFolderTree(setup_folder)) throw std::runtime_error(setup_folder + ": cannot be created");
  RemoveOldVolumes(setup_folder);
  progress.SetStage("packing");
  const unsigned jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  const std::vector<PackedVolume> packed =
      PackVolumes(volumes, buffers, JoinPath(setup_folder, ""), jobs, progress,
                  options.pack_piece != 0 ? options.pack_piece : kDefaultPackPiece);
  if (!options.setup_program.empty()) {
    const std::string target = JoinPath(destination, FileNameOf(options.setup_program));
    if (!platform::CopyFile(setup_source, target, false)) {
      throw std::runtime_error(options.setup_program + ": cannot be copied to " + target);
    }
  }
  const std::string table = ChecksumTable(volumes, packed);
  package::WriteWholeFile(JoinPath(setup_folder, package::kChecksumTableName), table);
  package::WriteWholeFile(JoinPath(setup_folder, package::kSha256SumsName), Sha256SumsText(volumes, packed, table));

  progress.SetStage("measuring");
  BuildResult result;
  result.files = plan.file_count;
  result.volumes = volumes.volumes.size();
  result.payload_bytes = plan.byte_count;
  result.packed_bytes = progress.PackedBytes();
  result.required_space = MeasureRequiredSpace(destination, scratch.path(), jobs, options.measuring_program);
  uint8_t space[8];
  for (int b = 0; b < 8; ++b) space[b] = static_cast<uint8_t>(result.required_space >> (8 * b));
  package::WriteWholeFile(JoinPath(destination, kSetupConfigName),
                          std::string_view(reinterpret_cast<const char*>(space), sizeof space));
  progress.Finish(options.destination);
  return result;
}

}  // namespace tlx::tlxpack
