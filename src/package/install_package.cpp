#include "package/install_package.h"

#include <optional>

#include "messages/zerror.h"
#include "package/buffer_extract.h"
#include "package/folder_tree.h"
#include "package/link_guard.h"
#include "package/volume_pipeline.h"
#include "platform/fs.h"
#include "store/record_format.h"
#include "store/scramble.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::package {

namespace {

// Deletes a transient file of the step when the scope ends, however it ends.
class TransientFile {
 public:
  explicit TransientFile(std::string path) : path_(std::move(path)) {}
  ~TransientFile() { Remove(); }
  TransientFile(const TransientFile&) = delete;
  TransientFile& operator=(const TransientFile&) = delete;
  const std::string& path() const { return path_; }
  void Remove() const {
    if (platform::Attributes(path_)) platform::DeleteFile(path_);
  }
  // Removes the file where the step is done with it: a file that stays is the step's failure, never
  // a transient file left in the installation.
  void Finish() const {
    if (platform::Attributes(path_) && !platform::DeleteFile(path_)) messages::RaiseSysError(path_);
  }

 private:
  std::string path_;
};

bool FileIsEmpty(const std::string& path) {
  store::SFile file(path, store::kSFileRead);
  return file.Size() == 0;
}

class Installer {
 public:
  Installer(const InstallSettings& settings, InstallView& view, SizeMeasure& measure)
      : settings_(settings), view_(view), measure_(measure) {}

  bool Run() {
    MeasureTarget(settings_.InstallDir, measure_);
    CreateFolderTree(settings_.InstallDir, settings_.InstallVariant, [this](const std::string& folder) {
      if (settings_.record) settings_.record->FolderCreated(folder);
    });
    view_.ShowProgressPanel();
    volumes_.emplace(view_, settings_.StartDir);
    volumes_->ResetVolumeProgress();
    view_.ShowFileBar(file_bar_, kFileBarMax);
    for (int group = 0; group < kVolumeGroups; ++group) InstallGroup(group);
    if (volumes_->FailedVolumes() != 0) {
      view_.ShowErrorList(volumes_->ErrorLines());
      return false;
    }
    MeasureTarget(settings_.InstallDir, measure_);
    CopyReferenceFiles(settings_.InstallDir, written_);
    MeasureTarget(settings_.InstallDir, measure_);
    return true;
  }

 private:
  void InstallGroup(int group) {
    TransientFile buffer_file(settings_.InstallDir + kInstallBufferName);
    BuildInstallBuffer(group, buffer_file.path());
    if (volumes_->FailedVolumes() != 0) return;
    // A group without volumes leaves an empty buffer: nothing to extract.
    if (!platform::FileExists(buffer_file.path()) || FileIsEmpty(buffer_file.path())) return buffer_file.Finish();
    MeasureTarget(settings_.InstallDir, measure_);
    {
      store::WFile buffer(buffer_file.path(), store::ScrambleKey{static_cast<uint32_t>(group) + store::ScrambleOffset});
      const ExtractTarget target{settings_.InstallDir, group, settings_.InstallVariant};
      ExtractInstallBuffer(
          buffer, target, record_, [this] { view_.ShowFileBar(++file_bar_, kFileBarMax); }, written_);
      buffer.Close();
    }
    buffer_file.Finish();
    MeasureTarget(settings_.InstallDir, measure_);
  }

  void BuildInstallBuffer(int group, const std::string& buffer_path) {
    MeasureTarget(settings_.InstallDir, measure_);
    // Whatever had the buffer's name goes first (a link as a link), so nothing is written through it.
    if (platform::Attributes(buffer_path)) platform::DeleteFile(buffer_path);
    RequireNoLinksBelow(settings_.InstallDir, buffer_path);
    store::SFile buffer(buffer_path, store::kSFileCreateAsk);
    VolumePipeline pipeline(settings_.DecodeThreads != 0 ? settings_.DecodeThreads : DefaultDecodeThreads(),
                            DefaultPipelineLimits());
    const BufferPlacement placement{buffer, buffer_path, [](const VolumeToCheck& volume) { return volume.path; }};
    pipeline.Run(
        volumes_->GroupVolumes(group),
        [&](const VolumeToCheck& volume, DecodedVolume& decoded) {
          const VolumeState state = decoded.State();
          volumes_->Record(volume, state);
          if (state == VolumeState::kGood) AppendDecodedVolume(decoded, buffer, buffer_path, volume.path, volume.path);
        },
        &placement);
    buffer.Close();
  }

  const InstallSettings& settings_;
  InstallView& view_;
  SizeMeasure& measure_;
  std::optional<VolumeSet> volumes_;
  store::WRec record_;
  int file_bar_ = 0;
  const FileWrittenFn written_ = [this](const std::string& path, uint64_t size) {
    if (settings_.record) settings_.record->FileWritten(path);
    view_.FileWritten(path, size);
  };
};

}  // namespace

bool InstallPackage(const InstallSettings& settings, InstallView& view, SizeMeasure& measure) {
  return Installer(settings, view, measure).Run();
}

}  // namespace tlx::package
