#include "tools/tlxpack/measure.h"

#include <algorithm>
#include <stdexcept>

#include "package/clear_folder.h"
#include "package/folder_size.h"
#include "platform/fs.h"
#include "tools/tlxpack/install.h"

namespace tlx::tlxpack {

uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder) {
  uint64_t required = 0;
  for (int variant = 0; variant <= 1; ++variant) {
    const std::string folder = work_folder + "/measure" + std::to_string(variant);
    package::SizeMeasure measure;
    measure.enabled = true;
    const std::vector<std::string> errors = InstallDistribution(distribution, folder, variant, &measure);
    package::ClearFolder(folder);
    platform::RemoveFolder(folder);
    if (!errors.empty()) {
      std::string lines;
      for (const std::string& line : errors) lines += "\n  " + line;
      throw std::runtime_error(distribution + ": the measuring installation of variant " + std::to_string(variant) +
                               " failed:" + lines);
    }
    required = std::max(required, measure.PeakSize);
  }
  return required;
}

}  // namespace tlx::tlxpack
