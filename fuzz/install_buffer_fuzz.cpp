// Fuzzes the install step after verification: an unpacked volume (the input after its first byte)
// goes through the block reader into an install buffer, whose manifest is read and whose files are
// extracted, as the installer does for one volume group. The first byte picks the group and the
// installation variant. The installation folder holds a linked folder and a linked file that lead
// outside it, beside a sentinel file: nothing may be written anywhere but below the installation
// folder, and the block reader must pass on exactly the blocks' payloads or refuse the volume.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_distribution.h"
#include "messages/zerror.h"
#include "package/buffer_extract.h"
#include "package/folder_tree.h"
#include "package/volume_blocks.h"
#include "package/volume_set.h"
#include "store/scramble.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"
#include "support/temp_drive.h"

namespace {

using namespace tlx::package;
using tlx::fuzz::Require;
namespace fs = std::filesystem;

constexpr char kSentinel[] = "sentinel: must stay as it is";

std::string ReadNative(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The drive: x:\inst (the folder tree of variant 1), its \Rus\Log a link to x:\outside and
// \Ukr\Data\link.txt a link to the sentinel there.
const tlx::test::TempDrive& Drive() {
  static const tlx::test::TempDrive drive('x');
  static const bool made = [] {
    CreateFolderTree(drive.Path("inst"), 1);
    fs::create_directories(drive.NativePath("outside"));
    std::ofstream(drive.NativePath("outside\\sentinel.txt"), std::ios::binary) << kSentinel;
    fs::remove(drive.NativePath("inst\\Rus\\Log"));
    fs::create_directory_symlink(drive.NativePath("outside"), drive.NativePath("inst\\Rus\\Log"));
    fs::create_symlink(drive.NativePath("outside\\sentinel.txt"), drive.NativePath("inst\\Ukr\\Data\\link.txt"));
    return true;
  }();
  (void)made;
  return drive;
}

// The payload of an unpacked volume by the block layout, or nullopt when a block is malformed.
std::optional<std::string> BlockPayload(std::string_view volume) {
  std::string payload;
  for (; !volume.empty(); volume.remove_prefix(std::min<size_t>(volume.size(), kVolumeBlockSize))) {
    const std::string_view block = volume.substr(0, kVolumeBlockSize);
    if (block.size() < 2) return std::nullopt;
    const size_t length = static_cast<uint8_t>(block[0]) | static_cast<uint8_t>(block[1]) << 8;
    if (length > block.size() - 2) return std::nullopt;
    payload += block.substr(2, length);
  }
  return payload;
}

// Every file and link of the drive outside the installation folder is one the fuzzer made, the
// sentinel unchanged; below it, the two links are still the links they were.
void CheckNothingEscaped(const tlx::test::TempDrive& drive) {
  const fs::path root = drive.native();
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), root).generic_string();
    if (relative.starts_with("inst/") || relative == "inst") continue;
    Require(relative == "unpacked.vol" || relative == "buffer.buf" || relative == "outside" ||
                relative == "outside/sentinel.txt",
            "a file appeared outside the installation folder");
  }
  Require(ReadNative(root / "outside" / "sentinel.txt") == kSentinel, "the sentinel outside was changed");
  Require(fs::is_symlink(drive.NativePath("inst\\Rus\\Log")) && fs::is_symlink(drive.NativePath("inst\\Ukr\\Data\\link.txt")),
          "a link below the installation folder was replaced");
}

// Removes the extracted files, so that every input starts from the bare folder tree.
void ClearInstalledFiles(const tlx::test::TempDrive& drive) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(drive.NativePath("inst"))) {
    if (fs::is_regular_file(entry.symlink_status())) files.push_back(entry.path());
  }
  for (const fs::path& file : files) fs::remove(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tlx::test::TempDrive& drive = Drive();
  if (size < 1) return 0;
  const int group = data[0] % kVolumeGroups;
  const int variant = data[0] / kVolumeGroups % 3;
  const std::string volume(reinterpret_cast<const char*>(data + 1), size - 1);
  std::ofstream(drive.NativePath("unpacked.vol"), std::ios::binary | std::ios::trunc) << volume;

  const std::optional<std::string> payload = BlockPayload(volume);
  const std::string buffer_path = drive.Path("buffer.buf");
  bool appended = false;
  try {
    tlx::store::SFile in(drive.Path("unpacked.vol"), tlx::store::kSFileRead);
    tlx::store::SFile buffer(buffer_path, tlx::store::kSFileCreateReplace);
    tlx::store::WRec piece;
    AppendVolumeBlocks(in, buffer, piece, VolumeName(0));
    buffer.Close();
    appended = true;
  } catch (const tlx::messages::ZError&) {
  }
  Require(appended == payload.has_value(), "the block reader disagrees on a malformed block");
  if (appended) Require(ReadNative(drive.NativePath("buffer.buf")) == *payload, "the block reader's payload differs");

  if (appended && !payload->empty()) {
    try {
      tlx::store::WFile buffer(buffer_path, tlx::store::ScrambleKey{static_cast<uint32_t>(group) + tlx::store::ScrambleOffset});
      const ExtractTarget target{drive.Path("inst"), group, variant};
      tlx::store::WRec record;
      ExtractInstallBuffer(buffer, target, record);
    } catch (const tlx::messages::ZError&) {
    }
  }
  CheckNothingEscaped(drive);
  ClearInstalledFiles(drive);
  return 0;
}
