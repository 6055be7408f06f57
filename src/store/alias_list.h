// The framework's alias list: identifiers and their information texts read from a record file or
// a text file, each checked against its length limit, with a state code for the whole list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::store {

// Longest identifier and information text, in characters.
inline constexpr std::size_t dfMaxLenAliasID = 32;
inline constexpr std::size_t dfMaxLenAliasInfo = 255;

// State codes of the list (stable values).
enum EAlsCode : uint8_t {
  eals_Ok = 0,
  eals_NoId = 1,        // an item without identifier
  eals_IdTooLong = 2,   // identifier longer than dfMaxLenAliasID
  eals_InfoTooLong = 3, // information longer than dfMaxLenAliasInfo
  eals_OpenFailed = 8,
  eals_Empty = 9,
  eals_HasErrors = 10,
};

// One item: "ID#information", both with trailing blanks removed; `code` 0 or 1..3.
struct TLAlsItem {
  std::string id;
  std::string info;
  uint8_t code = eals_Ok;
};

class TLBsAls {
 public:
  // Loads a record file (one item per record up to the end marker). Returns the list's code.
  int LoadRecordFile(std::string_view name);
  // Loads a text file: lines end in CR LF, LF CR, CR or LF; lines beginning with "//" are comments.
  int LoadTextFile(std::string_view name);
  // Loads the lines of `text` (UTF-8) as LoadTextFile does.
  int LoadText(std::string_view text);
  // Adds one item (UTF-8) and returns its code.
  int AddItem(std::string_view line);

  // 0, or the code of the list's state (9 empty, 10 some items have errors, 8 the file failed).
  int Code() const { return code_; }
  const std::vector<TLAlsItem>& Items() const { return items_; }
  // The information of a valid item `id` (case-insensitive).
  std::optional<std::string> Find(std::string_view id) const;
  // The text of a code, empty for 0.
  static std::string_view CodeText(int code);

 private:
  void Finish();

  std::vector<TLAlsItem> items_;
  int code_ = eals_Empty;
};

// The shared list, loaded once per process from ExeFolder() + "alias.tlx" under a lock.
TLBsAls& TLSAls();

}  // namespace tlx::store
