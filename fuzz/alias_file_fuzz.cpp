// Fuzzes the alias readers: alias records and alias-list text lines.
#include <cstdint>
#include <string_view>

#include "fuzz_input_file.h"
#include "messages/zerror.h"
#include "store/alias_list.h"
#include "store/aliases.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tlx::store;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ClearAliases();
  AddAlias(ParseAliasRecord(text, "c:\\tlx"));
  try {
    ResolveName(text);
  } catch (const tlx::messages::ZError&) {
  }
  TLBsAls list;
  list.LoadText(text);
  TLBsAls records;
  records.LoadRecordFile(tlx::fuzz::InputFile(data, size));
  return 0;
}
