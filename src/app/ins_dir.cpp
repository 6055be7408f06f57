#include "app/ins_dir.h"

#include <algorithm>

#include "app/drive_space.h"
#include "app/main_window.h"
#include "messages/msg_wrappers.h"
#include "package/desktop_shortcut.h"
#include "package/manifest_line.h"
#include "package/folder_tree.h"
#include "package/install_marker.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace tlx::app {
namespace {

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

}  // namespace

TInsDir::TInsDir() {
  CheckFixedDisk();
  LastFolder = EdFile;
  UpdateSpace();
}

bool TInsDir::CheckFixedDisk() {
  const uint32_t present = platform::LogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if ((present & (1u << (letter - 'A'))) != 0 &&
        platform::GetDriveType(DriveRoot(letter)) == platform::DriveType::Fixed)
      return true;
  }
  UseRussianMessages();
  messages::MsgError("", kMsgNoFixedDisk);
  terminated_ = true;
  return false;
}

void TInsDir::UpdateSpace() {
  space_drive_ = EdFile.empty() ? 0 : EdFile[0];
  const uint64_t free = EdFile.empty() ? kUnknownFree : DriveFree(EdFile[0]);
  if (free >= kFourGiB) {
    // Four times the requirement, kept from wrapping round for absurd requirements.
    FreeForCheck = Required > kUnknownFree / 4 ? kUnknownFree : 4 * Required;
  } else {
    FreeForCheck = free;
  }
  LFree = FreeSpaceText(free);
  LReq = RequiredSpaceText(Required);
}

void TInsDir::SetFolderText(const std::string& text) {
  EdFile = text;
  EdFileChange();
}

void TInsDir::EdFileChange() {
  if (EdFile.empty()) return;
  // Compared with the drive the figures were read for, not with LastFolder: typing d:\x and then
  // c:\tlx5_320 must bring the figures back to c:. Letter case counts, so typing C over c reads
  // the drive again.
  if (EdFile[0] == space_drive_) return;
  if (DriveUsable(EdFile[0])) UpdateSpace();
}

std::optional<std::string> FolderPathProblem(const std::string& folder) {
  if (folder.size() < 4) return "короткий путь";
  std::string path = folder.substr(0, 2);
  size_t start = 3;
  bool on_disk = true;  // the parts so far exist
  while (start <= folder.size()) {
    size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    const std::string part = folder.substr(start, end - start);
    if (auto problem = package::InstallNameProblem(part)) return "\"" + part + "\": " + *problem;
    path += "\\" + part;
    if (on_disk) {
      const std::optional<uint32_t> attributes = platform::Attributes(path);
      on_disk = attributes.has_value();
      if (on_disk && (*attributes & platform::attr::kDirectory) == 0) return path + " - файл";
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> ShortcutNameProblem(const std::string& name) {
  // The link file takes ".LNK" after the name, so a trailing dot or blank and an empty name are fine.
  if (platform::Utf8Length(name) > package::kMaxInstallName - 4) return "имя файла длиннее 251 символа";
  return package::InstallNameProblem(name + package::kLinkExtension);
}

bool TInsDir::FolderInvalid() {
  const std::string& t = EdFile;
  const bool invalid = platform::Utf8Length(t) < 4 || !DriveUsable(t[0]) || t[1] != ':' || t[2] != '\\' ||
                       FolderPathProblem(t).has_value();
  if (invalid) {
    UseRussianMessages();
    messages::MsgError("", kMsgBadFolder);
  }
  return invalid;
}

EInsDirClick TInsDir::KNextClick() {
  if (FolderInvalid()) return EInsDirClick::eidc_FocusFolder;
  if (const std::optional<std::string> problem = NoShortcut ? std::nullopt : ShortcutNameProblem(EdName)) {
    UseRussianMessages();
    messages::MsgError(*problem, kMsgBadShortcutName);
    return EInsDirClick::eidc_FocusName;
  }
  if (Required > FreeForCheck) {
    UseRussianMessages();
    messages::MsgError("", kMsgNoSpace);
    return EInsDirClick::eidc_Stay;
  }
  const std::string folder = EdFile;
  if (platform::FolderExists(folder)) {
    LastFolder = folder;
    if (package::HoldsInstallMarker(folder)) {
      // Its only reason to exist is an installation of this suite that did not finish: the
      // installation empties it and goes on.
      CreatedFolders = {folder};
      TookOverUnfinished = true;
      return EInsDirClick::eidc_CloseOk;
    }
    UseRussianMessages();
    messages::MsgWarning(folder, kMsgFolderExists);
    return EInsDirClick::eidc_Stay;
  }
  // A folder that cannot be created here makes the installation step fail with a file error.
  CreatedFolders = package::CreateFolderLevels(folder);
  TookOverUnfinished = false;
  LastFolder = folder;
  return EInsDirClick::eidc_CloseOk;
}

EInsDirClick TInsDir::KViewClick(const std::function<bool(TSelDir&)>& show_picker) {
  if (FolderInvalid()) {
    SetFolderText(LastFolder);
    return EInsDirClick::eidc_FocusFolder;
  }
  TSelDir picker(Required, EdFile[0]);
  if (show_picker(picker)) {
    PickedDir = picker.DirList;
    ApplyPicked();
    LastFolder = EdFile;
    UpdateSpace();
  }
  return EInsDirClick::eidc_Stay;
}

void TInsDir::ApplyPicked() {
  const std::size_t slash = EdFile.rfind('\\');
  FolderName = slash == std::string::npos ? EdFile : EdFile.substr(slash + 1);
  if (!PickedDir.empty() && PickedDir.back() == '\\') {
    SetFolderText(PickedDir + FolderName);
  } else {
    SetFolderText(PickedDir + "\\" + FolderName);
  }
}

}  // namespace tlx::app
