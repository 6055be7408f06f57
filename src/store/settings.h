// The settings step and the suite's configuration file Cfg.tlx: the user's first preferences are
// written into the installed \Cfg\Cfg.tlx together with the checksums of the two user
// reference-data files (the suite's own reading and writing of the file: store/config_file.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/settings_window.h"
#include "store/word_checksum.h"

namespace tlx::store {

// Reference-data files whose checksums the configuration keeps, by slot (0 Ukrainian, 1 Russian),
// relative to the installation folder.
inline constexpr std::string_view kNsiFiles[2] = {"\\Ukr\\UserNsi\\userukr.nsi", "\\Rus\\UserNsi\\userrus.nsi"};
// Logical files a reference-data file holds.
inline constexpr uint32_t kNsiLogicalFiles = 255;

// install_dir + "\Cfg\Cfg.tlx".
std::string ConfigFileName(std::string_view install_dir);

// The current local date and time as a day count since 1899-12-30 (time of day as the fraction).
double LocalNowDays();

// Writes the window's preferences into install_dir\Cfg\Cfg.tlx: reads its first 1407 bytes into
// the process-wide ConfigRecord (the first 1375) and its tail (the next 32; a shorter file leaves
// earlier values), records the installation kind, the reference-data checksums, the languages,
// option bits, automatic saving, scale, the fixed values and `now` (day count), and replaces the
// file by exactly those 1407 bytes (written beside it and renamed over it; `before_replace` runs
// just before the rename). Raises ZError 1 for a missing configuration or reference-data file
// before anything is written, and the file layer's errors otherwise; the old file then stays.
void ApplySettings(std::string_view install_dir, int32_t install_variant, const TNstr& window, double now,
                   const std::function<void()>& before_replace = {});

// The word checksum of every live record of logical files 0..254 of the compound file `name`.
// Raises WFile's errors (a missing file, fewer logical files, damaged chains).
WordSum NsiChecksum(std::string_view name);

// Stores NsiChecksum of `name`, and its file date-time, in reference-data slot `index` (0 or 1).
void RecordNsiChecksum(std::string_view name, int index);

// True when a new pass over `name` gives another word sum or carry count than slot `index` holds.
bool VerifyNsiChecksum(std::string_view name, int index);

}  // namespace tlx::store
