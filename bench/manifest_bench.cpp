// Cost of holding a manifest against its install buffer (the check the installer and verify share),
// against reading the manifest itself, measured in the same run for a buffer of N + 1 logical files
// (all empty but logical file 1, which holds N empty stored files) and a manifest of N lines naming
// them: the check must stay linear, so its time over the manifest read stays put as N grows
//   check / read at N = 400000  vs  at N = 100000     (target <= 2, quadratic matching gives ~4)
// Each figure is the best of three runs. Usage: manifest_bench [work folder] (default: the temp folder).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "package/buffer_extract.h"
#include "package/manifest_check.h"
#include "store/compound_builder.h"
#include "store/scramble.h"
#include "store/wfile.h"

namespace {

double BestSeconds(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void WriteBuffer(const std::string& path, uint32_t n) {
  tlx::store::CompoundFileBuilder builder(path, n + 1, tlx::store::ScrambleOffset);
  builder.BeginLogical(0);
  for (uint32_t i = 0; i < n; ++i) builder.AddRecord(0, "0101f" + std::to_string(i) + ".dat");
  builder.EndLogical();
  builder.BeginLogical(1);
  builder.AddRecord(1, "stored files");
  for (uint32_t i = 0; i < n; ++i) builder.AddRecord(tlx::package::kStoredFileEnd, ".");
  builder.EndLogical();
  builder.Finish();
}

// Seconds to read the manifest, and to read and check it; false when the check found anything.
bool Measure(const std::string& path, double* read, double* check) {
  tlx::store::WFile buffer(path, tlx::store::ScrambleKey{tlx::store::ScrambleOffset});
  size_t lines = 0, found = 1;
  *read = BestSeconds(3, [&] { lines = tlx::package::ReadManifest(buffer, 0).size(); });
  *check = BestSeconds(3, [&] {
    const auto manifest = tlx::package::ReadManifest(buffer, 0);
    found = tlx::package::FindManifestContradictions(buffer, 0, manifest).size();
  });
  return lines > 0 && found == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path work =
      std::filesystem::path(argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string()) / "tlx-bench";
  std::filesystem::create_directories(work);
  const std::string path = (work / "manifest.buf").string();
  double ratios[2] = {};
  bool ok = true;
  const uint32_t sizes[2] = {100000, 400000};
  for (int i = 0; i < 2; ++i) {
    WriteBuffer(path, sizes[i]);
    double read = 0, check = 0;
    ok = Measure(path, &read, &check) && ok;
    ratios[i] = check / read;
    std::printf("N = %6u: manifest read %8.1f ms, read and check %8.1f ms, ratio %.2f\n", sizes[i], read * 1e3,
                check * 1e3, ratios[i]);
  }
  std::filesystem::remove(path);
  const double growth = ratios[1] / ratios[0];
  std::printf("ratio at 400000 / ratio at 100000: %.2f  (target <= 2.00) %s\n", growth, growth <= 2 ? "ok" : "MISSED");
  std::printf("%s\n", ok ? "results verified" : "A RESULT WAS WRONG");
  return ok ? 0 : 1;
}
