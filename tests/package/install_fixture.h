// A distribution and an installation folder on a temporary drive, a view that writes down what the
// install step shows, and a raw install-buffer writer for buffers the distribution writer refuses.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "package/distribution_writer.h"
#include "package/install_package.h"
#include "package/volume_blocks.h"
#include "support/temp_drive.h"

namespace tlx::package {

class RecordingView : public InstallView {
 public:
  void ResetVolumeBars(int tens_max) override { ten_max = tens_max; }
  void ShowVolumeBars(const std::string& volume, int, int) override { volumes.push_back(volume); }
  void ShowProgressPanel() override { ++panel_shown; }
  void ShowFileBar(int position, int max) override {
    EXPECT_EQ(max, kFileBarMax);
    file_bar.push_back(position);
  }
  void ShowErrorList(const std::vector<std::string>& lines) override { error_lists.push_back(lines); }

  int ten_max = -1;
  int panel_shown = 0;
  std::vector<std::string> volumes;
  std::vector<int> file_bar;
  std::vector<std::vector<std::string>> error_lists;
};

// Records of one logical file: (type, data).
using RawRecords = std::vector<std::pair<uint8_t, std::string>>;

// An install buffer written directly: manifest lines as given (code page 1251 bytes), logical files
// 1..count-1 from `logical` (missing ones empty).
void WriteRawBuffer(const std::string& path, int group, const std::vector<std::string>& manifest,
                    const std::map<uint32_t, RawRecords>& logical, uint32_t count);

class InstallFixture : public ::testing::Test {
 protected:
  InstallFixture();
  // Leaves the distribution folder the install step made current, so the drive can go.
  ~InstallFixture() override;

  // A fresh distribution and installation folder, for tests that run several installs.
  void StartOver();
  // Builds the group's install buffer from `files` and adds it as volumes of `blocks` blocks each,
  // numbered from `first`; returns the number after the last.
  int32_t AddFiles(int group, int32_t first, const std::vector<StoredFile>& files, size_t blocks = 1);
  // Adds the raw buffer at drive path "raw.buf" as volumes.
  int32_t AddRawBuffer(int group, int32_t first, size_t blocks = 1);
  // `files` followed by the sources of the reference copies the group holds (group 0 the three
  // configuration files, groups 1 and 2 their databases and user file), in logical files after the
  // highest of `files`. Their installed paths and their copies are left out of InstalledFiles.
  std::vector<StoredFile> WithReferenceSources(int group, std::vector<StoredFile> files);
  // Adds groups 1 and 2 holding only their reference sources, from volume `first` on.
  void AddReferenceGroups(int32_t first);
  static constexpr size_t kReferenceSources = 3 + 15 + 15;

  // Finishes the distribution and runs the install step.
  bool Install(int variant);

  std::string Native(const std::string& below_install) const {
    return drive_.NativePath("inst\\" + below_install);
  }
  // Every plain file of the drive outside "dist" and "inst" (relative native paths).
  std::vector<std::string> FilesOutside() const;
  // Every plain file below the installation folder (relative, '/' separated), reference sources and
  // copies aside.
  std::vector<std::string> InstalledFiles() const;

  test::TempDrive drive_;
  std::string start_dir_ = drive_.Path("dist");
  std::string install_dir_ = drive_.Path("inst");
  DistributionWriter writer_;
  RecordingView view_;
  SizeMeasure measure_;
  std::set<std::string> reference_files_;
};

}  // namespace tlx::package
