// Time to undo a failed installation of the sample distribution, against the installation itself
// measured in the same run. The installation runs unattended as setup.exe /SILENT would, into a
// drive mapped onto a temporary folder, and fails at its last step (the registry entry cannot be
// written), so everything it wrote is undone: the files and folders, the uninstaller copied into
// it, the desktop shortcut. Printed: files and bytes removed, the time from the start of the undoing
// to the end of the run, the installation's time up to the failure, and their ratio. Best of five
// runs. Usage: rollback_bench [work folder] (default: the temp folder).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/unattended.h"
#include "platform/config.h"
#include "platform/fs.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Tree {
  size_t files = 0;
  uint64_t bytes = 0;
};

Tree Measure(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      ++tree.files;
      tree.bytes += entry.file_size();
    }
  }
  return tree;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tlx;
  const fs::path work = fs::path(argc > 1 ? argv[1] : fs::temp_directory_path().string()) / "tlx-rollback-bench";
  fs::remove_all(work);
  fs::create_directories(work / "c" / "Desktop");
  fs::create_directories(work / "c" / "not-a-folder");
  fs::remove(work / "c" / "not-a-folder");
  std::FILE* blocker = std::fopen((work / "c" / "not-a-folder").c_str(), "w");
  if (blocker) std::fclose(blocker);

  mksample::WriteSamplePayload((work / "payload").string(), "");  // a placeholder tlx.exe will do
  tlxpack::BuildOptions options;
  options.payload = (work / "payload").string();
  options.destination = (work / "dist").string();
  options.volume_size = 64 << 10;  // as the sample distribution
  tlxpack::BuildDistribution(options);

  platform::PlatformConfig config = platform::CurrentConfig();
  platform::DriveConfig drive;
  drive.letter = 'c';
  drive.folder = (work / "c").string();
  config.drives.push_back(drive);
  config.desktop_folder = "c:\\Desktop";
  config.os_version = platform::DefaultOSVersion();
  config.registry_file = (work / "c" / "not-a-folder" / "registry.ini").string();  // cannot be written
  platform::Configure(config);

  double best_undo = 1e30, best_install = 1e30;
  Tree removed;
  for (int run = 0; run < 5; ++run) {
    platform::SetCurrentFolder((work / "dist").string());  // a failed run leaves the volumes' folder current
    Clock::time_point start = Clock::now(), install_end{}, undo_start{};
    bool undoing = false;
    const auto line = [&](const std::string& text) {
      if (!undoing && text.find("step: undoing the installation") != std::string::npos) {
        install_end = Clock::now();
        removed = Measure(work / "c" / "tlx5_320");
        removed.files += 1;  // the desktop shortcut
        undoing = true;
        undo_start = Clock::now();  // the measuring above is not the undoing's time
      }
    };
    std::string error;
    const int code = app::RunCommandLine({"/SILENT", "/DIR=c:\\tlx5_320"}, false, nullptr, line,
                                         [&error](const std::string& text) { error += text; });
    const Clock::time_point end = Clock::now();
    if (code != 4 || !undoing || fs::exists(work / "c" / "tlx5_320")) {
      std::fprintf(stderr, "the failed installation was not undone (exit code %d): %s\n", code, error.c_str());
      return 1;
    }
    best_undo = std::min(best_undo, std::chrono::duration<double>(end - undo_start).count());
    best_install = std::min(best_install, std::chrono::duration<double>(install_end - start).count());
  }
  std::printf("rollback of the sample installation: %zu files, %.1f MB removed in %.1f ms\n", removed.files,
              removed.bytes / 1e6, best_undo * 1e3);
  std::printf("the installation up to its failure:  %.1f ms; rollback / installation = %.3f\n", best_install * 1e3,
              best_undo / best_install);
  fs::remove_all(work);
  return 0;
}
