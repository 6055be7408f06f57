// The sample suite payload: a small but complete installed tree of the suite (configuration,
// aliases, reference databases and user files in both languages, documents, a variant-1-only file
// and a pair of variant alternatives) with its tlxpack description, generated from nothing but this
// code, so the same call always gives the same bytes.
#pragma once
#include <string>

namespace tlx::mksample {

// Writes the payload into `folder` (emptied first). `tlx_exe`: the stand-in suite program to ship as
// Exe\tlx.exe; when empty or missing, a placeholder text file takes its place. Returns false when
// the stand-in was missing. Raises the file layer's ZError or std::runtime_error on failures.
bool WriteSamplePayload(const std::string& folder, const std::string& tlx_exe);

}  // namespace tlx::mksample
