#include "install_fixture.h"

#include <filesystem>

#include "package/folder_tables.h"
#include "platform/fs.h"
#include "store/compound_builder.h"
#include "store/scramble.h"

namespace tlx::package {

namespace fs = std::filesystem;

namespace {
fs::path FsPath(const std::string& native) { return fs::path(std::u8string(native.begin(), native.end())); }
std::string Relative(const fs::path& path, const fs::path& base) {
  const auto u8 = fs::relative(path, base).generic_u8string();
  return std::string(u8.begin(), u8.end());
}
}  // namespace

void WriteRawBuffer(const std::string& path, int group, const std::vector<std::string>& manifest,
                    const std::map<uint32_t, RawRecords>& logical, uint32_t count) {
  store::CompoundFileBuilder builder(path, count, static_cast<uint32_t>(group) + store::ScrambleOffset);
  builder.BeginLogical(0);
  for (const std::string& line : manifest) builder.AddRecord(0, line);
  builder.EndLogical();
  for (const auto& [number, records] : logical) {
    builder.BeginLogical(number);
    for (const auto& [type, data] : records) builder.AddRecord(type, data);
    builder.EndLogical();
  }
  builder.Finish();
}

InstallFixture::InstallFixture() : writer_(drive_.Path("dist\\Setup"), drive_.Path("work.tmp")) {
  platform::CreateFolderTree(drive_.Path("dist\\Setup"));
  platform::CreateFolderTree(install_dir_);
}

InstallFixture::~InstallFixture() { platform::SetCurrentFolder(platform::ProgramFolder()); }

void InstallFixture::StartOver() {
  platform::SetCurrentFolder(drive_.root() + "\\");  // the install step made dist\Setup current
  fs::remove_all(FsPath(drive_.NativePath("inst")));
  fs::remove_all(FsPath(drive_.NativePath("dist")));
  platform::CreateFolderTree(drive_.Path("dist\\Setup"));
  platform::CreateFolderTree(install_dir_);
  writer_ = DistributionWriter(drive_.Path("dist\\Setup"), drive_.Path("work.tmp"));
  view_ = RecordingView();
  reference_files_.clear();
}

int32_t InstallFixture::AddFiles(int group, int32_t first, const std::vector<StoredFile>& files, size_t blocks) {
  const std::string buffer = drive_.Path("group.buf");
  WriteInstallBuffer(buffer, group, files);
  const int32_t next = writer_.AddGroup(group, first, VolumeImages(ReadWholeFile(buffer), blocks));
  platform::DeleteFile(buffer);
  return next;
}

int32_t InstallFixture::AddRawBuffer(int group, int32_t first, size_t blocks) {
  const int32_t next = writer_.AddGroup(group, first, VolumeImages(ReadWholeFile(drive_.Path("raw.buf")), blocks));
  platform::DeleteFile(drive_.Path("raw.buf"));
  return next;
}

std::vector<StoredFile> InstallFixture::WithReferenceSources(int group, std::vector<StoredFile> files) {
  uint32_t logical = 0;
  for (const StoredFile& file : files) logical = std::max(logical, file.line.logical);
  auto add = [&](size_t folder, std::string_view name, const std::string& copy) {
    const std::string plain(name.substr(1));
    files.push_back({{++logical, static_cast<uint32_t>(folder), plain, std::nullopt}, "reference " + plain});
    const GroupFolders folders = FoldersOfGroup(group);
    const std::string language = folders.language.empty() ? "" : std::string(folders.language.substr(1)) + "/";
    reference_files_.insert(language + std::string(folders.folders[folder - 1].substr(1)) + "/" + plain);
    reference_files_.insert(copy + "/Etalon/" + plain);
  };
  if (group == 0) {
    for (std::string_view name : kReferenceConfigFiles) add(kConfigFolder, name, "Rus");
  } else {
    const ReferenceCopies& copies = kReferenceCopies[group - 1];
    const std::string language(kLanguageFolders[group - 1].substr(1));
    for (std::string_view name : copies.databases) add(kDatabaseFolder, name, language);
    add(kUserFileFolder, copies.user_file, language);
  }
  return files;
}

void InstallFixture::AddReferenceGroups(int32_t first) {
  first = AddFiles(1, first, WithReferenceSources(1, {}));
  AddFiles(2, first, WithReferenceSources(2, {}));
}

bool InstallFixture::Install(int variant) {
  writer_.Finish();
  return InstallPackage({install_dir_, variant, start_dir_}, view_, measure_);
}

std::vector<std::string> InstallFixture::FilesOutside() const {
  std::vector<std::string> found;
  const fs::path root = FsPath(drive_.native());
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = Relative(it->path(), root);
    if (relative == "dist" || relative == "inst") {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_directory()) found.push_back(relative);
  }
  return found;
}

std::vector<std::string> InstallFixture::InstalledFiles() const {
  std::vector<std::string> found;
  const fs::path root = FsPath(drive_.NativePath("inst"));
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_directory()) continue;
    std::string relative = Relative(entry.path(), root);
    if (!reference_files_.contains(relative)) found.push_back(std::move(relative));
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace tlx::package
