// The install step: the folder tree, then for volume groups 0, 1 and 2 in turn the verification of
// the group's volumes, their decoding straight into the install buffer "\InsBf" (on several threads,
// handed on in volume order) and, while no volume has failed, the extraction of the buffer's files; at the end
// the error list or the reference copies. The GUI and the command-line installer share it and differ
// only in their InstallView.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "package/folder_size.h"
#include "package/install_record.h"
#include "package/volume_set.h"

namespace tlx::package {

inline constexpr char kInstallBufferName[] = "\\InsBf";
inline constexpr int kFileBarMax = 12;

// What the install step shows: the volume bars (VolumeProgress), the progress panel, the file bar
// `PBD` and the error list.
class InstallView : public VolumeProgress {
 public:
  // Centres and shows the progress panel, then lets the window process pending messages.
  virtual void ShowProgressPanel() = 0;
  // The file bar: `position` of `max` (positions beyond max show a full bar).
  virtual void ShowFileBar(int position, int max) = 0;
  // Shows the lines of the missing and damaged volumes (first line selected) until the user closes
  // the list.
  virtual void ShowErrorList(const std::vector<std::string>& lines) = 0;
  // One file written into the installation folder (extracted or a reference copy), once it is
  // closed. Windows show nothing of it; the unattended installer logs it.
  virtual void FileWritten(const std::string& /*path*/, uint64_t /*size*/) {}
};

// The settings the step works with.
struct InstallSettings {
  std::string InstallDir;     // without trailing backslash; exists
  int InstallVariant = 0;     // 0 two components, 1 three components
  std::string StartDir;       // the setup program's folder, holding "Setup"
  InstallRecord* record = nullptr;  // when set, notes every folder created and file written
  unsigned DecodeThreads = 0;       // threads decoding volumes; 0: DefaultDecodeThreads()
};

// Runs the install step. True when every volume was present and intact and everything was installed;
// false when a volume failed verification (after the error list was shown; nothing of the failed
// group or later groups is extracted). `measure` gets the peak size in measuring mode. Raises the
// volume set's, the file layer's and the record file's ZErrors and those of a refused manifest; the
// install buffer and the unpacked volume never stay behind.
bool InstallPackage(const InstallSettings& settings, InstallView& view, SizeMeasure& measure);

}  // namespace tlx::package
