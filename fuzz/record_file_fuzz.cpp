// Fuzzes the record-file reader: header, directory, chains, scrambling and packed fields. Every
// input must end in records or a ZError; never a hang, a crash or a huge allocation.
#include <cstdint>

#include "fuzz_input_file.h"
#include "messages/zerror.h"
#include "store/wfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tlx::store;
  if (size < 1) return 0;
  const uint32_t p = data[0] % 8;  // 0 plain, else a scrambling parameter
  const std::string name = tlx::fuzz::InputFile(data + 1, size - 1);
  try {
    WFile file(name, ScrambleKey{p});
    WRec rec;
    for (uint32_t n = 0; n < file.LogicalCount() && n < 64; ++n) {
      file.OpenLogical(n);
      while (file.ReadRecord(rec)) {
      }
    }
    if (file.LogicalCount() > 0) {
      file.BeginFieldRead(0, "", -1);
      std::string_view field;
      while (file.NextField(&field)) {
      }
    }
  } catch (const tlx::messages::ZError&) {
  }
  try {
    WFile simple(name, SimpleMode::Read);
    WRec rec;
    while (simple.ReadRecord(rec)) {
    }
  } catch (const tlx::messages::ZError&) {
  }
  return 0;
}
