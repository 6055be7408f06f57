// Writes a compound file front to back, plain (p = 0) or scrambled with parameter p, for tools such
// as the distribution builder (install buffers). The setup program reads such files with WFile.
// Chains are contiguous: every record has link -1 and the next one follows it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/sfile.h"

namespace tlx::store {

class CompoundFileBuilder {
 public:
  // Creates `name` (replacing it) for `count` logical files. Raises the errors of SFile.
  CompoundFileBuilder(std::string_view name, uint32_t count, uint32_t p);
  CompoundFileBuilder(const CompoundFileBuilder&) = delete;
  CompoundFileBuilder& operator=(const CompoundFileBuilder&) = delete;

  // Starts logical file n (each at most once, any order). Ends a logical file still open.
  void BeginLogical(uint32_t n);
  // Appends a live record (type 0..127, 1..20000 bytes) to the open logical file; returns its
  // address.
  uint32_t AddRecord(uint8_t type, std::string_view data);
  // Appends a deleted record, which readers skip by its length; its data is stored unscrambled.
  uint32_t AddDeletedRecord(uint8_t type, std::string_view data);
  // Appends the end marker of the open logical file.
  void EndLogical();
  // Gives every logical file never begun an empty chain, writes the header and the directory and
  // closes the file. Without Finish the file is incomplete.
  void Finish();

 private:
  uint32_t Append(uint8_t type, std::string_view data, bool deleted);
  void Flush();

  SFile file_;
  uint32_t p_;
  uint32_t count_;
  std::vector<uint32_t> directory_;  // start, length; start 0 = not written
  int64_t open_ = -1;
  uint64_t address_ = 0;
  std::vector<uint8_t> buffer_;
  bool finished_ = false;
};

}  // namespace tlx::store
