// Fuzzes manifest lines. The first input byte picks the volume group and how the rest arrives (as
// given, trimmed, or as code page 1251 bytes the way the installer reads them). Every accepted line
// must name a plain file directly inside one folder of the group's table, strictly inside the
// installation folder, that Windows would not take for a device, and must survive formatting.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_distribution.h"
#include "package/folder_tables.h"
#include "package/manifest_line.h"
#include "package/volume_set.h"
#include "platform/config.h"
#include "platform/text.h"
#include "support/temp_drive.h"

namespace {

using namespace tlx::package;
using tlx::fuzz::Require;

std::vector<std::string_view> Split(std::string_view path, char separator) {
  std::vector<std::string_view> parts;
  for (size_t at = 0;;) {
    const size_t next = path.find(separator, at);
    parts.push_back(path.substr(at, next - at));
    if (next == std::string_view::npos) return parts;
    at = next + 1;
  }
}

// Windows' own test for a device name: the part before the first dot, trailing blanks dropped, is
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, or COM/LPT with a digit 1-9 or a superscript one, two or three.
bool WindowsDevice(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (base == device) return true;
  }
  if (!base.starts_with("COM") && !base.starts_with("LPT")) return false;
  const std::string_view digit = std::string_view(base).substr(3);
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\u00B9" || digit == "\u00B2" ||
         digit == "\u00B3";
}

void CheckAccepted(const ManifestLine& line, int group, const std::string& native_root) {
  const GroupFolders folders = FoldersOfGroup(group);
  Require(line.logical >= 1 && line.logical <= kMaxManifestNumber, "logical number");
  Require(line.folder >= 1 && line.folder <= folders.count, "folder number");
  Require(!InstallNameProblem(line.name), "an accepted name has a problem");
  Require(!WindowsDevice(line.name), "an accepted name is a device");
  Require(line.name.back() != '.' && line.name.back() != ' ', "trailing dot or blank");

  const std::string install_dir = "w:\\inst";
  const std::string target = ManifestTargetPath(install_dir, group, line);
  Require(target.starts_with(install_dir + "\\"), "target outside the installation folder");
  const std::vector<std::string_view> parts = Split(std::string_view(target).substr(install_dir.size() + 1), '\\');
  Require(parts.size() == (group == 0 ? 2u : 3u), "target not directly in a folder of the table");
  Require(parts.back() == line.name, "target's last component");
  for (std::string_view part : parts) {
    Require(!part.empty() && part != "." && part != "..", "empty or dot component");
    Require(part.find_first_of(":/") == std::string_view::npos, "drive, stream or slash in a component");
  }
  const auto native = tlx::platform::NativePath(target);
  Require(native && native->starts_with(native_root + "/inst/"), "native target outside the folder");
  for (std::string_view part : Split(std::string_view(*native).substr(native_root.size() + 1), '/')) {
    Require(!part.empty() && part != "." && part != "..", "empty or dot native component");
  }

  std::string problem;
  const auto again = ParseManifestLine(FormatManifestLine(line, group), group, &problem);
  Require(again && again->logical == line.logical && again->folder == line.folder && again->name == line.name &&
              again->variant == line.variant,
          "formatting does not give the line back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tlx::test::TempDrive drive('w');
  if (size < 1) return 0;
  const int group = data[0] % kVolumeGroups;
  const int form = data[0] / kVolumeGroups % 3;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (form == 1) text = std::string(TrimLine(text));
  if (form == 2) text = std::string(TrimLine(tlx::platform::Cp1251ToUtf8(text)));

  InstallNameProblem(text);
  std::string problem;
  const auto line = ParseManifestLine(text, group, &problem);
  if (line) {
    CheckAccepted(*line, group, drive.native());
  } else {
    Require(!problem.empty(), "a refused line without a reason");
  }
  return 0;
}
