// The install step end to end on a temporary drive: distributions made with the distribution writer
// (volumes packed, checksums in kssum), then verified, unpacked, joined and extracted.
#include "package/install_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "install_fixture.h"
#include "messages/msg_text.h"
#include "messages/zerror.h"
#include "package/buffer_extract.h"
#include "package/folder_tables.h"
#include "package/folder_tree.h"
#include "package/sha256_sums.h"
#include "package/volume_checksum.h"
#include "platform/fs.h"
#include "sample_data.h"
#include "store/scramble.h"
#include "store/wfile.h"
#include "store/wrec.h"
#include "support/files.h"

namespace tlx::package {
namespace {

namespace fs = std::filesystem;
using messages::ZError;
using test::ReadNativeFile;

std::string Text(size_t size, uint32_t seed) { return test::AsString(test::TextSample(size, seed)); }
std::string Noise(size_t size, uint32_t seed) { return test::AsString(test::NoiseSample(size, seed)); }

StoredFile File(uint32_t logical, uint32_t folder, std::string name, std::string data,
                std::optional<int32_t> variant = std::nullopt) {
  return {{logical, folder, std::move(name), variant}, std::move(data)};
}

// What a file of a group becomes below the installation folder ('/' separated).
std::string Installed(int group, const StoredFile& file) {
  const GroupFolders folders = FoldersOfGroup(group);
  std::string path = std::string(folders.language) + std::string(folders.folders[file.line.folder - 1]) + "/" + file.line.name;
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path.substr(1);
}

class InstallPackageTest : public InstallFixture {};

TEST_F(InstallPackageTest, InstallsThreeGroupsAndMakesTheReferenceCopies) {
  std::vector<StoredFile> groups[3];
  groups[0] = {File(1, 2, "cfg.tlx", Text(3000, 1)), File(1, 2, "klsstd.tlx", Text(100, 2)),
               File(2, 2, "klsuse.tlx", ""), File(3, 4, "tlx.exe", Noise(70000, 3)),
               File(4, 1, "Довідник.dat", Text(20001, 4)), File(5, 3, "readme.txt", "x")};
  for (int group : {1, 2}) {
    const ReferenceCopies& copies = kReferenceCopies[group - 1];
    uint32_t logical = 1;
    for (std::string_view name : copies.databases) {
      groups[group].push_back(File(logical, kDatabaseFolder, std::string(name.substr(1)), Text(500 + logical, logical)));
      ++logical;
    }
    groups[group].push_back(File(logical++, kUserFileFolder, std::string(copies.user_file.substr(1)), Noise(40000, 9)));
    groups[group].push_back(File(logical, 8, "lpd.dat", "for variant 1", 1));
  }
  int32_t next = AddFiles(0, 0, groups[0], 2);
  next = AddFiles(1, next + 3, groups[1], 1);
  AddFiles(2, next, groups[2], 3);
  measure_.enabled = true;

  ASSERT_TRUE(Install(1));

  std::vector<std::string> expected;
  for (int group = 0; group < 3; ++group) {
    for (const StoredFile& file : groups[group]) {
      EXPECT_EQ(ReadNativeFile(Native(Installed(group, file))), file.data) << Installed(group, file);
      expected.push_back(Installed(group, file));
    }
  }
  for (int group : {1, 2}) {
    for (size_t i = 0; i < 15; ++i) {
      const std::string lang(kLanguageFolders[group - 1].substr(1));
      expected.push_back(lang + "/Etalon/" + groups[group][i].line.name);
      EXPECT_EQ(ReadNativeFile(Native(expected.back())), groups[group][i].data) << expected.back();
    }
  }
  for (const char* name : {"Rus/Etalon/cfg.tlx", "Rus/Etalon/klsstd.tlx", "Rus/Etalon/klsuse.tlx"}) {
    expected.push_back(name);
  }
  EXPECT_EQ(ReadNativeFile(Native("Rus/Etalon/cfg.tlx")), groups[0][0].data);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(InstalledFiles(), expected);  // no install buffer, no unpacked volume left
  EXPECT_EQ(view_.panel_shown, 1);
  EXPECT_EQ(view_.error_lists.size(), 0u);
  EXPECT_EQ(view_.file_bar.size(), 1u + 5 + 16 + 16);  // the reset and one step per non-empty logical file
  EXPECT_EQ(view_.file_bar.back(), 37);
  EXPECT_GE(measure_.PeakSize, fs::file_size(Native("Exe/tlx.exe")) + 40000 * 4);
}

TEST_F(InstallPackageTest, LinesOfOneLogicalFileTakeItsStoredFilesInTurn) {
  // Logical file 2 stays empty (its size is 8): skipped without moving the file bar. Of the variant
  // alternatives in logical file 1, the one not installed still consumes its records.
  const std::vector<StoredFile> files = {File(1, 2, "a.cfg", "variant one", 1), File(1, 2, "a.cfg", "variant zero", 0),
                                         File(1, 2, "b.cfg", "every variant"), File(3, 1, "c.dat", "third")};
  for (int variant : {0, 1}) {
    SCOPED_TRACE(variant);
    StartOver();
    AddReferenceGroups(AddFiles(0, 0, WithReferenceSources(0, files)));
    ASSERT_TRUE(Install(variant));
    EXPECT_EQ(ReadNativeFile(Native("Cfg/a.cfg")), variant == 0 ? "variant zero" : "variant one");
    EXPECT_EQ(ReadNativeFile(Native("Cfg/b.cfg")), "every variant");
    EXPECT_EQ(ReadNativeFile(Native("Base/c.dat")), "third");
    ASSERT_GE(view_.file_bar.size(), 3u);
    EXPECT_EQ(view_.file_bar[2], 2);  // logical files 1 and 3
    EXPECT_EQ(view_.file_bar.size(), 1 + 2 + kReferenceSources);
  }
}

TEST_F(InstallPackageTest, LogicalFilesAboveNinetyNineAreReadButNeverWritten) {
  const RawRecords stored = {{1, "first"}, {2, "data"}, {0, "."}};
  WriteRawBuffer(drive_.Path("raw.buf"), 0, {"0101a.dat"}, {{1, stored}, {100, stored}, {101, stored}}, 102);
  AddRawBuffer(0, 0);
  AddReferenceGroups(1);
  WithReferenceSources(0, {});
  // The configuration files the Russian reference copies need, put in place beforehand.
  for (const char* name : {"cfg.tlx", "klsstd.tlx", "klsuse.tlx"}) {
    test::WriteNativeFile(Native(std::string("Cfg/") + name), "reference");
  }
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(ReadNativeFile(Native("Base/a.dat")), "data");
  EXPECT_EQ(std::vector<int>(view_.file_bar.begin(), view_.file_bar.begin() + 4), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(view_.file_bar.size(), 1 + 3 + kReferenceSources - 3);
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{"Base/a.dat"});
}

// Files read from disk in pieces while the buffer is written make the same buffer as the same bytes
// given in memory, whatever the sizes around a record's length (a lone last byte must not become a
// record of its own); a source whose size is not the one given, or that holds only "@", is refused
// by name.
TEST_F(InstallPackageTest, StreamedSourcesMakeTheBufferTheirBytesMake) {
  std::vector<StoredFile> in_memory, streamed;
  uint32_t seed = 1;
  for (const size_t size : {0, 1, 2, 19999, 20000, 20001, 20002, 40001, 100000}) {
    StoredFile file = File(seed, 4, "f" + std::to_string(size) + ".bin", Noise(size, seed));
    const std::string source = drive_.Path("f" + std::to_string(size));
    test::WriteNativeFile(drive_.NativePath("f" + std::to_string(size)), file.data);
    in_memory.push_back(file);
    file.source = source;
    file.size = size;
    file.data.clear();
    streamed.push_back(file);
    ++seed;
  }
  WriteInstallBuffer(drive_.Path("memory.buf"), 1, in_memory);
  std::vector<std::string> heard;
  WriteInstallBuffer(drive_.Path("streamed.buf"), 1, streamed, [&](const StoredFile& f) { heard.push_back(f.line.name); });
  EXPECT_TRUE(ReadNativeFile(drive_.NativePath("memory.buf")) == ReadNativeFile(drive_.NativePath("streamed.buf")));
  EXPECT_EQ(heard.size(), streamed.size());

  const struct {
    const char* label;
    uint64_t size;     // the size given
    std::string bytes;  // what the source holds
    const char* says;
  } refused[] = {
      {"grew", 3, "abcd", "изменился"},
      {"shrank", 20001, "abc", "изменился"},
      {"a lone @", 1, "@", "\"@\""},
  };
  for (const auto& c : refused) {
    test::WriteNativeFile(drive_.NativePath("source"), c.bytes);
    StoredFile file = File(1, 4, "x.bin", "");
    file.source = drive_.Path("source");
    file.size = c.size;
    try {
      WriteInstallBuffer(drive_.Path("refused.buf"), 0, {file});
      ADD_FAILURE() << c.label << ": written";
    } catch (const ZError& e) {
      const std::string text = messages::MsgText(e.Params(), e.Number());
      EXPECT_NE(text.find(c.says), std::string::npos) << c.label << ": " << text;
      if (std::string(c.label) != "a lone @") {
        EXPECT_NE(text.find("source"), std::string::npos) << text;
      }
    }
  }
}

// Volumes of exactly one block (16384 bytes), of a full block plus an empty one (16386 bytes), and
// one beginning with a block whose length is 0: the buffer is the payloads joined.
TEST_F(InstallPackageTest, JoinsThePayloadsOfOddlyShapedVolumes) {
  const StoredFile big = File(1, 4, "big.bin", Noise(40000, 5));
  WriteInstallBuffer(drive_.Path("group.buf"), 0, {big});
  const std::string buffer = ReadWholeFile(drive_.Path("group.buf"));
  platform::DeleteFile(drive_.Path("group.buf"));
  ASSERT_GT(buffer.size(), 2u * kMaxBlockPayload);
  ASSERT_LT(buffer.size(), 3u * kMaxBlockPayload);
  auto block = [](std::string_view payload, size_t size) {
    std::string out{static_cast<char>(payload.size() & 0xFF), static_cast<char>(payload.size() >> 8)};
    out += payload;
    out.resize(size, '\x55');
    return out;
  };
  std::vector<std::string> images = {
      block(buffer.substr(0, kMaxBlockPayload), kVolumeBlockSize),
      block(buffer.substr(kMaxBlockPayload, kMaxBlockPayload), kVolumeBlockSize) + std::string(2, '\0'),
      block("", kVolumeBlockSize) + block(buffer.substr(2 * kMaxBlockPayload), 2 + buffer.size() - 2 * kMaxBlockPayload),
  };
  ASSERT_EQ(images[0].size(), 16384u);
  ASSERT_EQ(images[1].size(), 16386u);
  writer_.AddGroup(0, 0, images);
  AddReferenceGroups(3);
  for (const char* name : {"cfg.tlx", "klsstd.tlx", "klsuse.tlx"}) {
    test::WriteNativeFile(Native(std::string("Cfg/") + name), "reference");
  }
  ASSERT_TRUE(Install(0));
  EXPECT_EQ(ReadNativeFile(Native("Exe/big.bin")), big.data);
}

TEST_F(InstallPackageTest, TwoBadVolumesInGroupZeroStopAllExtraction) {
  std::vector<StoredFile> files;
  for (uint32_t i = 1; i <= 3; ++i) files.push_back(File(i, 1, "f" + std::to_string(i), Noise(16000, i)));
  AddFiles(0, 5, files, 1);  // volumes 5, 6, 7
  AddFiles(2, 8, {File(1, 1, "rus.dat", "r")});
  writer_.Finish();
  fs::remove(drive_.NativePath("dist\\Setup\\TlxStp5_320.005"));
  test::WriteNativeFile(drive_.NativePath("dist\\Setup\\TlxStp5_320.007"), "damaged");

  EXPECT_FALSE(InstallPackage({install_dir_, 1, start_dir_}, view_, measure_));

  ASSERT_EQ(view_.error_lists.size(), 1u);
  EXPECT_EQ(view_.error_lists[0], (std::vector<std::string>{"Файл TlxStp5_320.005 - отсутствует",
                                                            "Файл TlxStp5_320.007 - Ошибки при чтении"}));
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{});
  EXPECT_EQ(view_.volumes.size(), 4u);
  EXPECT_EQ(view_.file_bar, std::vector<int>{0});
}

TEST_F(InstallPackageTest, ABadVolumeInGroupOneLeavesGroupZeroInstalledAndChecksTheRest) {
  int32_t next = AddFiles(0, 0, {File(1, 4, "tlx.exe", "MZ")});
  next = AddFiles(1, next, {File(1, 1, "u1", Noise(20000, 1)), File(2, 1, "u2", Noise(20000, 2))});
  AddFiles(2, next, {File(1, 1, "r1", Noise(20000, 3))});
  writer_.Finish();
  fs::remove(drive_.NativePath("dist\\Setup\\TlxStp5_320.002"));
  test::WriteNativeFile(drive_.NativePath("dist\\Setup\\TlxStp5_320.004"), "");

  EXPECT_FALSE(InstallPackage({install_dir_, 1, start_dir_}, view_, measure_));

  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{"Exe/tlx.exe"});
  ASSERT_EQ(view_.error_lists.size(), 1u);
  EXPECT_EQ(view_.error_lists[0], (std::vector<std::string>{"Файл TlxStp5_320.002 - отсутствует",
                                                            "Файл TlxStp5_320.004 - Ошибки при чтении"}));
  EXPECT_EQ(view_.volumes.size(), 6u);  // every group verified: 1 + 3 + 2 volumes
  EXPECT_EQ(view_.ten_max, 0);
}

TEST_F(InstallPackageTest, AMissingTargetFolderEndsTheStep) {
  AddFiles(0, 0, {File(1, 1, "base.dat", "b")});
  AddFiles(1, 1, {File(1, 8, "lpd.dat", "only variant 1 has \\LPD")});
  EXPECT_THROW(Install(0), ZError);
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{"Base/base.dat"});  // buffer removed
}

// A lone one-byte record "@" is the end marker: neither a file's only byte nor a logical file's name
// record may be one.
TEST_F(InstallPackageTest, TheWriterRefusesRecordsThatReadAsTheEndMarker) {
  const std::pair<StoredFile, std::string> cases[] = {
      {File(1, 1, "at.txt", "@"), "его единственный байт"},
      {File(1, 1, "@", "x"), "его имя читается как конец логического файла"},
  };
  for (const auto& [file, message] : cases) {
    try {
      WriteInstallBuffer(drive_.Path("group.buf"), 0, {file});
      ADD_FAILURE() << file.line.name << " written";
    } catch (const ZError& e) {
      EXPECT_NE(e.Params().find(message), std::string::npos) << e.Params();
    }
    platform::DeleteFile(drive_.Path("group.buf"));
  }
}

TEST_F(InstallPackageTest, AVolumeBlockLongerThanItsVolumeIsRefused) {
  WriteInstallBuffer(drive_.Path("group.buf"), 0, {File(1, 1, "a", "abc")});
  std::string image = VolumeImages(ReadWholeFile(drive_.Path("group.buf")), 1)[0];
  platform::DeleteFile(drive_.Path("group.buf"));
  image[0] = static_cast<char>(image.size() - 1);  // one more than the block holds
  image[1] = 0;
  ASSERT_LT(image.size(), 256u);
  writer_.AddGroup(0, 0, {image});
  try {
    Install(0);
    FAIL() << "no error";
  } catch (const ZError& e) {
    EXPECT_NE(e.Params().find("TlxStp5_320.000 - блок 0"), std::string::npos) << e.Params();
  }
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{});
}

TEST_F(InstallPackageTest, ExtractionNeverWritesThroughALink) {
  const std::string outside = drive_.NativePath("outside");
  fs::create_directories(outside);
  std::error_code ec;
  fs::create_directory_symlink(outside, Native("Base"), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  AddFiles(0, 0, {File(1, 1, "escape.dat", "must not leave the installation folder")});
  EXPECT_THROW(Install(0), ZError);
  EXPECT_TRUE(fs::is_empty(outside));
}

// Links planted in the installation folder before the step: a hard link in the place of an extracted
// file, of a reference copy, of the install buffer or of the unpacked volume never carries our bytes
// to the file it shares its data with; every write makes a new file.
TEST_F(InstallPackageTest, WritesNeverGoThroughAHardLink) {
  const std::vector<std::string> planted = {"Base/a.dat", "Rus/Etalon/1.bsr", "Rus/Etalon/cfg.tlx", "InsBf",
                                            "tmp_pck.tmp"};
  CreateFolderTree(install_dir_, 1);
  for (size_t i = 0; i < planted.size(); ++i) {
    const std::string outside = drive_.NativePath("outside" + std::to_string(i));
    test::WriteNativeFile(outside, "outside, keep");
    std::error_code ec;
    fs::create_hard_link(outside, Native(planted[i]), ec);
    if (ec) GTEST_SKIP() << "no hard links here";
  }
  AddReferenceGroups(AddFiles(0, 0, WithReferenceSources(0, {File(1, 1, "a.dat", "ours")})));
  ASSERT_TRUE(Install(1));
  for (size_t i = 0; i < planted.size(); ++i) {
    EXPECT_EQ(ReadNativeFile(drive_.NativePath("outside" + std::to_string(i))), "outside, keep") << planted[i];
  }
  EXPECT_EQ(ReadNativeFile(Native("Base/a.dat")), "ours");
  EXPECT_EQ(ReadNativeFile(Native("Rus/Etalon/1.bsr")), "reference 1.bsr");
  EXPECT_EQ(ReadNativeFile(Native("Rus/Etalon/cfg.tlx")), "reference cfg.tlx");
}

// A language folder that is a link to a folder outside: refused before a single folder is made there.
TEST_F(InstallPackageTest, ALinkedFolderIsRefusedBeforeAnyFolderIsMade) {
  const std::string outside = drive_.NativePath("outside");
  fs::create_directories(outside);
  std::error_code ec;
  fs::create_directory_symlink(outside, Native("Ukr"), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  AddFiles(0, 0, {File(1, 1, "base.dat", "b")});
  try {
    Install(1);
    ADD_FAILURE() << "installed";
  } catch (const ZError& e) {
    EXPECT_NE(e.Params().find("ссылку"), std::string::npos) << e.Params();
  }
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_FALSE(fs::exists(Native("Base")));  // nothing of the tree either
}

// The reader of one stored file after another, handed a buffer whose description record reads as
// the end marker (a payload file named "@" alone in its logical file made one): the line finds no
// records left and is refused, never written as an empty file.
TEST_F(InstallPackageTest, TheReaderNeverTurnsAChainEndIntoAnEmptyFile) {
  CreateFolderTree(install_dir_, 1);
  WriteRawBuffer(drive_.Path("raw.buf"), 0, {"0101at.dat"}, {{1, {{1, "@"}, {2, "data"}, {0, "."}}}}, 2);
  store::WFile buffer(drive_.Path("raw.buf"), store::ScrambleKey{store::ScrambleOffset});
  const std::vector<NumberedLine> manifest = ReadManifest(buffer, 0);
  store::WRec record;
  try {
    ExtractBufferFile(buffer, 1, {install_dir_, 0, 1}, {&manifest[0]}, record);
    ADD_FAILURE() << "written";
  } catch (const ZError& e) {
    EXPECT_NE(e.Params().find("строка 1 \"0101at.dat\": данные логического файла 1 кончились"), std::string::npos)
        << e.Params();
  }
  EXPECT_FALSE(test::NativeExists(Native("Base/at.dat")));
}

// Manifests the distribution writer refuses to make, written directly: the step ends with an error
// naming the line before anything is written, and nothing appears outside the installation folder.
TEST_F(InstallPackageTest, RefusesHostileManifestLines) {
  const std::string long_name(256, 'a');
  const std::vector<std::pair<int, std::string>> lines = {
      {0, "0101..\\x"},          {0, "0101.."},       {0, "0101."},           {0, "0101C:x"},
      {0, "0101C:\\x"},          {0, "0101\\\\server\\share\\x"},             {0, "0101\\\\?\\C:\\x"},
      {0, "0101name:stream"},    {0, "0101NUL"},      {0, "0101NUL.txt"},     {0, "0101com1"},
      {0, "0101LPT9.dat"},       {0, "0101CON"},      {0, "0101prn.x"},       {0, "0101aux"},
      {0, "0101name."},          {0, "0101a/b"},      {0, "0101" + long_name}, {0, std::string("0101a\0b", 7)},
      {0, "0101"},               {0, "0105x"},        {0, "0100x"},           {1, "0124x"},
      {0, "0001x"},              {0, "x101x"},        {0, "01x1x"},           {0, "0101x 1a"},
      {0, "0101a\x01z"},         {0, "0101a*b"},
  };
  for (const auto& [group, line] : lines) {
    SCOPED_TRACE(line);
    StartOver();
    const RawRecords stored = {{1, "first"}, {2, "payload"}, {0, "."}};
    WriteRawBuffer(drive_.Path("raw.buf"), group, {"0102ok.txt", line}, {{1, stored}}, 2);
    int32_t next = 0;
    if (group == 1) next = AddFiles(0, 0, {});
    AddRawBuffer(group, next);
    try {
      Install(0);
      ADD_FAILURE() << "installed";
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number(), messages::kMsgFinalText);
      EXPECT_NE(e.Params().find("строка 2"), std::string::npos) << e.Params();
      EXPECT_NE(e.Params().find("InsBf"), std::string::npos) << e.Params();
    }
    EXPECT_EQ(InstalledFiles(), std::vector<std::string>{});
    EXPECT_EQ(FilesOutside(), std::vector<std::string>{});
  }
}

// SHA256SUMS for every file of the distribution's Setup folder, as the builder writes it.
void WriteDigestList(const std::string& setup_native) {
  std::vector<Sha256Entry> entries;
  for (const auto& entry : fs::directory_iterator(setup_native)) {
    const std::string name = entry.path().filename().string();
    if (name == kSha256SumsName) continue;
    const std::string bytes = ReadNativeFile(entry.path().string());
    entries.push_back({name, *platform::Sha256Of({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()})});
  }
  test::WriteNativeFile(setup_native + "/" + kSha256SumsName, FormatSha256Sums(entries));
}

std::pair<uint32_t, uint32_t> Checksum(const std::string& bytes) {
  uint32_t lo = 0, hi = 0;
  VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
  return {lo, hi};
}

// Swaps two different bytes 56 apart inside the LZMA stream: 56 is a multiple of both strides of the
// volume checksum, so each byte keeps its weight in both passes and the checksum stays the same.
void SwapKeepingTheChecksum(const std::string& native) {
  std::string bytes = ReadNativeFile(native);
  const size_t whole = std::min(bytes.size() / 8 * 8, bytes.size() / 7 * 7);
  size_t at = 100;
  while (at + 56 < whole && bytes[at] == bytes[at + 56]) ++at;
  ASSERT_LT(at + 56, whole) << "volume too small";
  const auto before = Checksum(bytes);
  std::swap(bytes[at], bytes[at + 56]);
  ASSERT_EQ(Checksum(bytes), before);
  test::WriteNativeFile(native, bytes);
}

TEST_F(InstallPackageTest, ASwapThatKeepsTheAdditiveChecksumIsCaughtBySha256) {
  AddFiles(0, 1, {File(1, 1, "a.dat", Noise(30000, 1)), File(2, 1, "b.dat", Noise(30000, 2))}, 2);
  writer_.Finish();
  const std::string setup = drive_.NativePath("dist\\Setup");
  WriteDigestList(setup);
  SwapKeepingTheChecksum(setup + "/TlxStp5_320.002");

  EXPECT_FALSE(InstallPackage({install_dir_, 1, start_dir_}, view_, measure_));
  ASSERT_EQ(view_.error_lists.size(), 1u);
  EXPECT_EQ(view_.error_lists[0], std::vector<std::string>{"Файл TlxStp5_320.002 - Ошибки при чтении"});
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{});

  // Without the list, kssum alone passes the damaged volume on to the unpacking.
  fs::remove(setup + "/" + kSha256SumsName);
  view_ = RecordingView();
  try {
    InstallPackage({install_dir_, 1, start_dir_}, view_, measure_);
  } catch (const ZError&) {
  }
  EXPECT_EQ(view_.error_lists.size(), 0u);
}

// The list must name every volume and kssum, and hold; a list of another form ends the step naming it.
TEST_F(InstallPackageTest, Sha256SumsIsCheckedWhenPresent) {
  struct Case {
    const char* label;
    std::function<void(const std::string& setup)> change;
    bool installs;
    std::vector<std::string> error_list;
    std::string error;  // the step ends with a ZError holding this
  };
  const std::vector<Case> cases = {
      {"intact", [](const std::string&) {}, true, {}, ""},
      {"a volume not listed",
       [](const std::string& setup) {
         std::string list = ReadNativeFile(setup + "/SHA256SUMS");
         const size_t at = list.find("TlxStp5_320.001");
         list.erase(list.rfind('\n', at) + 1, list.find('\n', at) - list.rfind('\n', at));
         test::WriteNativeFile(setup + "/SHA256SUMS", list);
       },
       false, {"Файл TlxStp5_320.001 - нет контрольной суммы"}, ""},
      {"a volume replaced, kssum rewritten to match",
       [](const std::string& setup) {
         std::string table = ReadNativeFile(setup + "/kssum");
         const std::string other = ReadNativeFile(setup + "/TlxStp5_320.002");
         const auto [lo, hi] = Checksum(other);
         for (int i = 0; i < 4; ++i) table[24 + i] = static_cast<char>(lo >> (8 * i));
         for (int i = 0; i < 4; ++i) table[28 + i] = static_cast<char>(hi >> (8 * i));
         test::WriteNativeFile(setup + "/kssum", table);
         test::WriteNativeFile(setup + "/TlxStp5_320.001", other);
       },
       false, {}, "kssum - Ошибки при чтении"},
      {"kssum not listed",
       [](const std::string& setup) {
         std::string list = ReadNativeFile(setup + "/SHA256SUMS");
         list.erase(list.find("  kssum\n") - 64, 64 + 8);
         test::WriteNativeFile(setup + "/SHA256SUMS", list);
       },
       false, {}, "kssum - Ошибки при чтении"},
      {"a malformed list",
       [](const std::string& setup) {
         test::WriteNativeFile(setup + "/SHA256SUMS", ReadNativeFile(setup + "/SHA256SUMS") + "not a digest line\n");
       },
       false, {}, "SHA256SUMS, строка "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StartOver();
    const int32_t next =
        AddFiles(0, 1, WithReferenceSources(0, {File(1, 1, "a.dat", Noise(20000, 1)), File(2, 1, "b.dat", Noise(20000, 2))}), 1);
    AddReferenceGroups(next);
    writer_.Finish();
    const std::string setup = drive_.NativePath("dist\\Setup");
    WriteDigestList(setup);
    c.change(setup);
    try {
      EXPECT_EQ(InstallPackage({install_dir_, 1, start_dir_}, view_, measure_), c.installs);
      EXPECT_EQ(c.error, "");
    } catch (const ZError& e) {
      EXPECT_NE(e.Params().find(c.error), std::string::npos) << e.Params();
      EXPECT_NE(c.error, "") << e.Params();
    }
    if (c.error_list.empty()) {
      EXPECT_EQ(view_.error_lists.size(), 0u);
    } else {
      EXPECT_EQ(view_.error_lists, std::vector<std::vector<std::string>>{c.error_list});
    }
    EXPECT_EQ(InstalledFiles().size(), c.installs ? 2u : 0u);
  }
}

}  // namespace
}  // namespace tlx::package
