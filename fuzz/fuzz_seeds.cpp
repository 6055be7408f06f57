// Writes the seed corpora of the distribution fuzzers into OUTDIR/<target>/, from the codec's and the
// distribution writer's own output plus a few hostile forms: fuzz_seeds OUTDIR.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_distribution.h"
#include "package/distribution_writer.h"
#include "package/volume_blocks.h"
#include "package/volume_container.h"
#include "store/compound_builder.h"
#include "store/scramble.h"
#include "support/temp_drive.h"

namespace {

using namespace tlx::package;
namespace fs = std::filesystem;

void WriteSeed(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Container(const std::string& content, VolumeFilter filter, bool end_marker) {
  std::vector<uint8_t> out(PackCapacity(content.size()));
  size_t written = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
  if (EncodeContainer({bytes, content.size()}, out, filter, end_marker, &written, nullptr) != CodecStatus::kOk) {
    std::fprintf(stderr, "fuzz_seeds: encoding failed\n");
    std::exit(1);
  }
  return std::string(out.begin(), out.begin() + static_cast<ptrdiff_t>(written));
}

void VolumeContainerSeeds(const fs::path& folder) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "Строка " + std::to_string(i * 37) + "\r\n";
  std::string code;
  for (int i = 0; i < 200; ++i) code += std::string{'\xE8', static_cast<char>(i), '\x01', '\0', '\0', '\x90'};
  WriteSeed(folder, "text", Container(text, VolumeFilter::kNone, false));
  WriteSeed(folder, "text_marker", Container(text, VolumeFilter::kNone, true));
  WriteSeed(folder, "x86", Container(code, VolumeFilter::kX86, false));
  WriteSeed(folder, "one_byte", Container("A", VolumeFilter::kNone, true));
  WriteSeed(folder, "empty", Container("", VolumeFilter::kNone, true));
  WriteSeed(folder, "header_cut", Container(text, VolumeFilter::kNone, false).substr(0, 13));
  WriteSeed(folder, "header_only", Container(text, VolumeFilter::kNone, false).substr(0, 14));
}

void VolumeSetSeeds(const fs::path& folder) {
  WriteSeed(folder, "three_groups", tlx::fuzz::ChecksumTable({{0, 3}, {5, 8}, {998, 999}}));
  WriteSeed(folder, "empty_group", tlx::fuzz::ChecksumTable({{0, 1}, {1000, 0}, {2, 3}}));
  WriteSeed(folder, "single", tlx::fuzz::ChecksumTable({{5, 4}, {0, 0}, {999, 999}}));
  std::string cut = tlx::fuzz::ChecksumTable({{0, 2}, {3, 5}, {8, 8}});
  WriteSeed(folder, "records_cut", cut.substr(0, cut.size() - 12));
  std::string huge;
  for (uint32_t v : {0u, 0x7FFFFFFFu, 1u, 0u, 5u, 5u}) tlx::fuzz::Put32(&huge, v);
  WriteSeed(folder, "huge_range", huge);
  WriteSeed(folder, "short", huge.substr(0, 23));
}

// First byte: group + 3 x form (0 as given, 1 trimmed, 2 code page 1251).
void ManifestLineSeeds(const fs::path& folder) {
  const struct {
    const char* name;
    int group, form;
    const char* line;
  } seeds[] = {
      {"cfg", 0, 0, "0102cfg.tlx"},         {"tagged", 0, 1, " 0102cfg.tlx 1\r\n"},
      {"cyrillic", 2, 2, "0913\xC4\xEE\xE2\xB3\xE4\xED\xE8\xEA.bsu 0"},
      {"parent", 1, 0, "0101..\\x"},        {"device", 0, 0, "0101NUL.txt"},
      {"stream", 0, 0, "0101a:b"},          {"last_folder", 2, 0, "9923a.b -3"},
      {"port", 1, 0, "0102COM\u00B9.txt"},
  };
  for (const auto& seed : seeds) {
    WriteSeed(folder, seed.name, static_cast<char>(seed.group + 3 * seed.form) + std::string(seed.line));
  }
}

// First byte: group + 3 x variant; then one unpacked volume carrying the whole install buffer.
void InstallBufferSeeds(const fs::path& folder) {
  const tlx::test::TempDrive drive('v');
  const std::string path = drive.Path("seed.buf");
  auto seed = [&](const std::string& name, int group, int variant, size_t blocks) {
    const std::string image = VolumeImages(ReadWholeFile(path), blocks).front();
    WriteSeed(folder, name, static_cast<char>(group + 3 * variant) + image);
  };
  WriteInstallBuffer(path, 0, {{{1, 2, "cfg.tlx", {}}, "config"}, {{1, 4, "tlx.exe", {}}, "MZ program"},
                               {{2, 1, "base.dat", 1}, std::string(20000, 'b')}});
  seed("common", 0, 1, 1000);
  seed("common_cut", 0, 0, 1);
  WriteInstallBuffer(path, 1, {{{1, 4, "link.txt", {}}, "through the link"}, {{2, 5, "1.bsu", {}}, "base"}});
  seed("linked_file", 1, 0, 1000);
  WriteInstallBuffer(path, 2, {{{1, 16, "escape.txt", {}}, "through the folder link"}, {{1, 13, "e.txt", 2}, "e"}});
  seed("linked_folder", 2, 2, 1000);
  tlx::store::CompoundFileBuilder raw(path, 2, 1 + tlx::store::ScrambleOffset);
  raw.BeginLogical(0);
  raw.AddRecord(0, "0101..\\escape.txt");
  raw.EndLogical();
  raw.BeginLogical(1);
  raw.AddRecord(0, "first");
  raw.AddRecord(2, "data");
  raw.AddRecord(0, "end");
  raw.EndLogical();
  raw.Finish();
  seed("parent_name", 1, 0, 1000);
}

// First byte: 0 plain, else the scrambling parameter (mod 8); then a record file.
void RecordFileSeeds(const fs::path& folder) {
  const tlx::test::TempDrive drive('v');
  const std::string path = drive.Path("seed.rec");
  auto seed = [&](const std::string& name, uint32_t p, const std::function<void(tlx::store::CompoundFileBuilder&)>& fill) {
    {
      tlx::store::CompoundFileBuilder builder(path, 3, p);
      fill(builder);
      builder.Finish();
    }
    WriteSeed(folder, name, static_cast<char>(p) + ReadWholeFile(path));
  };
  const auto records = [](tlx::store::CompoundFileBuilder& b) {
    b.BeginLogical(0);
    b.AddRecord(0, "Смета 1");
    b.AddDeletedRecord(0, "deleted");
    b.AddRecord(5, std::string(300, 'x'));
    b.EndLogical();
    b.BeginLogical(2);
    b.AddRecord(1, "a;b;c;");
    b.EndLogical();
  };
  seed("plain", 0, records);
  seed("scrambled", 3, records);
  seed("scrambled_p5", 5, records);
  seed("empty", 0, [](tlx::store::CompoundFileBuilder&) {});
}

// Alias records ("name=path" lines and records).
void AliasSeeds(const fs::path& folder) {
  WriteSeed(folder, "record", "BASE=c:\\tlx\\Base\\");
  WriteSeed(folder, "relative", "RAB=%ROOT%\\Rus\\Rab");
  WriteSeed(folder, "lines", "NSI=c:\\nsi\r\nBASE=d:\\base\r\n;comment\r\n");
  WriteSeed(folder, "nested", "A=%B%\\x\r\nB=%A%\\y\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  VolumeContainerSeeds(out / "volume_container");
  VolumeSetSeeds(out / "volume_set");
  ManifestLineSeeds(out / "manifest_line");
  InstallBufferSeeds(out / "install_buffer");
  RecordFileSeeds(out / "record_file");
  AliasSeeds(out / "alias_file");
  return 0;
}
