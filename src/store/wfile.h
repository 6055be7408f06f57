// A record file of the suite: a simple file (one chain of records) or a compound file (a header, a
// directory of numbered logical files and a data area of record chains). Layout in docs/formats.md.
//
// Reading walks chains through links and skips deleted records. Every read is bounds-checked
// against the physical file: a link or directory entry outside the file, a record running past its
// end, or a chain that turns back on itself (a record whose bytes this walk has read before, the
// walk being everything read since the reader was last positioned) raises a ZError naming the file
// and the address as soon as it happens, so damaged or hostile files never hang the reader, never
// feed it the same records twice and never drive large allocations.
//
// Writing a logical file builds its chain in the temporary file name + "$$" and joins it to the end
// of the data area on commit; the old chain stays behind as garbage until CompactCompoundFile.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/sfile.h"
#include "store/wrec.h"

namespace tlx::store {

// ZError numbers raised for record contents.
inline constexpr int32_t kMsgDeletedUpdate = 8;    // rewrite of a deleted record
inline constexpr int32_t kMsgZeroLength = 9;       // a record of length 0
inline constexpr int32_t kMsgBadLink = 10;         // address of the next record outside the file
inline constexpr int32_t kMsgTooLong = 11;         // record length above the limit
inline constexpr int32_t kMsgRewriteLength = 16;   // rewrite with another length

// Open modes of a simple file (stable values).
enum class SimpleMode : uint8_t { Read = 1, Create = 2, CreateReplace = 3, ReadWrite = 4, Append = 5 };

// Scrambling parameter of a compound file that is read unscrambled (install buffer: volume group +
// ScrambleOffset).
struct ScrambleKey {
  uint32_t p = 0;
};

// Position of a packed field: a record's address and an offset in its data.
struct FieldCursor {
  uint32_t address = 0;
  uint32_t offset = 0;
};

// Operations of WFile::EditRecord (stable values).
enum EditOp : int {
  kEditDelete = 1,
  kEditReplace = 2,
  kEditInsert = 3,
  kEditRewrite = 4,
  kEditReplaceAny = 5,
  kEditBatchBegin = 6,
  kEditBatchNext = 7,
  kEditBatchEnd = 8,
};

class WFile {
 public:
  // An existing compound file for reading and writing. Raises ZError 1 when missing, ZError 0 when
  // its header or directory does not fit the file.
  explicit WFile(std::string_view name);
  // An existing compound file, read-only when `read_only`.
  WFile(std::string_view name, bool read_only);
  // An existing scrambled compound file (key.p != 0), opened for reading; any change is refused.
  WFile(std::string_view name, ScrambleKey key);
  // A simple file: Read, Create (asks before replacing), CreateReplace, ReadWrite, Append (over its
  // end marker; the file must end with one).
  WFile(std::string_view name, SimpleMode mode);
  // Closes without raising: a logical file still being written is committed (discarded while an
  // exception is propagating), a simple file being written gets its end marker. Call Close() to
  // see errors.
  ~WFile();
  WFile(const WFile&) = delete;
  WFile& operator=(const WFile&) = delete;

  // Closes the file. A logical file still being written is committed and then reported as not
  // closed (ZError 0); a simple file being written gets its packed fields and end marker.
  void Close();

  const std::string& Name() const { return name_; }
  bool IsCompound() const { return compound_; }
  uint32_t EndAddress() const { return end_address_; }
  uint64_t CreationTime() const { return creation_time_; }

  // --- Reading -------------------------------------------------------------------------------
  // Length of logical file n (8 = empty); positions the reader at its start.
  uint32_t OpenLogical(uint32_t n);
  uint32_t OpenLogical(uint32_t n, uint32_t* start);
  uint32_t LogicalCount() const { return count_; }
  // Length of logical file n from the directory, without moving the reader.
  uint32_t LogicalLength(uint32_t n) const;
  // The next live record into `rec`; false at the end marker (the reader stays on it).
  bool ReadRecord(WRec& rec);
  // Like ReadRecord, but transfers only the head and the first data byte.
  bool PeekRecord(WRec& rec);
  // Positions at `address` (checked) and reads the next live record; `record_address` gets the
  // address of the record read, `next_position` the read position after it.
  bool ReadRecordAt(int64_t address, WRec& rec, uint32_t* record_address = nullptr,
                    uint32_t* next_position = nullptr);
  // Positions the reader at `address`; ZError 10 when outside the file's records.
  void SeekRecord(int64_t address);
  uint32_t ReadPosition() const { return read_position_; }
  uint32_t LastRecordAddress() const { return last_record_; }

  // --- Writing logical files (compound) and simple files ---------------------------------------
  void BeginLogical(uint32_t n);
  // Each returns the offset of the new record within the chain being built (simple file: its
  // address).
  uint32_t WriteRecord(const WRec& rec);
  uint32_t WriteText(std::string_view bytes);  // 2-byte length + bytes, type 0
  uint32_t WriteTypedRecord(uint8_t type, uint16_t length, const void* data);
  // Ends logical file n: with `commit` its new chain replaces the old one, else it is discarded.
  void EndLogical(uint32_t n, bool commit);
  // Empties logical file n in place.
  void ClearLogical(uint32_t n);

  // Writes `rec` (with its link) at the current position (mode 4 only).
  uint32_t AppendRecord(const WRec& rec);
  // Overwrites the data of the record at `address` with rec's data of the same length (mode 4).
  void RewriteRecord(uint32_t address, const WRec& rec);
  // Changes logical file n in place (ops of EditOp); new records go to the end of the data area.
  void EditRecord(int op, uint32_t n, const WRec& rec, int32_t link, int32_t address);

  // --- Packed fields -----------------------------------------------------------------------------
  // Field modes: fixed_size >= 0 -> fixed size; else a non-empty delimiter -> delimited; else each
  // field is preceded by its 2-byte length.
  void BeginFieldWrite(uint32_t n, std::string_view delimiter, int32_t fixed_size);
  void AddField(const void* data, uint32_t length);
  void FlushFields();
  void EndFieldWrite(uint32_t n);
  // Returns the length of logical file n (simple file: the file size, position kept).
  uint32_t BeginFieldRead(uint32_t n, std::string_view delimiter, int32_t fixed_size);
  // The next field, valid until the next call; false with an empty field when exhausted.
  bool NextField(std::string_view* field);
  // Re-positions at `at` first.
  bool NextField(FieldCursor at, std::string_view* field);
  // Copies the field into `buffer` (at most `capacity` bytes, else ZError 0).
  bool NextField(void* buffer, uint32_t capacity, uint16_t* length);
  FieldCursor LastFieldCursor() const { return field_last_; }
  FieldCursor NextFieldCursor() const { return field_next_; }

 private:
  enum class FieldMode : uint8_t { Delimited = 0, LengthPrefixed = 1, Fixed = 2 };

  void OpenCompound(std::string_view name, uint8_t sfile_mode);
  void OpenSimple(std::string_view name, SimpleMode mode);
  void CloseNoThrow() noexcept;

  [[noreturn]] void Raise(const std::string& text) const;
  void RequireCompound(const std::string& text) const;
  void RequireLogicalNumber(uint32_t n) const;
  void RequireChangeable() const;

  // The one bounds-checked read of the file: `size` bytes at `address`, or a ZError naming the
  // file and the address when they are not all inside the file.
  void ReadExact(uint32_t address, void* buffer, uint32_t size);
  void WriteAt(uint32_t address, const void* buffer, uint32_t size);
  void WriteHeaderField(uint32_t offset, uint32_t value);
  // Positions at a link while walking a chain (the walk goes on).
  void FollowLink(int64_t address);
  // Begins a new walk: what the reader read so far is forgotten.
  void StartWalk();
  // Notes that the walk read the record [address, address + size); ZError 0 when the walk read any
  // of these bytes before (the chain loops, or its records overlap).
  void WalkThrough(uint32_t address, uint32_t size);
  // Reads the next live record; `full` false transfers one data byte only.
  bool ReadNext(WRec& rec, bool full, bool peek_messages);
  RecordHead ReadHead(uint32_t address);
  void PatchHead(uint32_t address, std::optional<int32_t> link, uint8_t type_bits);

  uint32_t WriteChainRecord(uint8_t type, int32_t link, uint16_t length, const void* data);
  void EndLogicalNoReport(bool commit);
  void DiscardPending() noexcept;
  uint32_t AppendAtEnd(uint8_t type, int32_t link, uint16_t length, const void* data, uint32_t at);
  void WriteDirectoryOf(uint32_t n);

  void ReportUnclosed(uint32_t n);

  std::string name_;
  std::optional<SFile> file_;
  std::optional<SFile> temp_;
  bool compound_ = false;
  bool report_unclosed_ = true;
  uint8_t mode_ = 0;
  uint32_t scramble_ = 0;
  uint32_t end_address_ = 0;
  uint32_t count_ = 0;
  uint32_t data_start_ = 0;
  uint64_t file_size_ = 0;
  std::vector<uint32_t> directory_;  // start, length per logical file
  uint64_t creation_time_ = 0;

  uint32_t chain_bytes_ = 0;  // bytes written into the current logical file
  uint32_t temp_bytes_ = 0;   // bytes written into the temporary file
  int64_t writing_ = -1;      // logical file being written, -1 = none
  uint32_t read_position_ = 0;
  uint32_t last_record_ = 0;
  // Runs of bytes read since the walk began (start -> end, disjoint): one run for a chain whose
  // records follow one another, one more per jump to a place not right after the last run.
  std::map<uint32_t, uint32_t> walked_;
  uint32_t batch_size_ = 0;   // bytes appended by the current EditRecord batch

  // Packed fields.
  std::unique_ptr<WRec> field_rec_;   // reading: the current record
  bool field_rec_valid_ = false;
  FieldCursor field_last_;
  FieldCursor field_next_;
  std::string field_delimiter_;
  FieldMode field_mode_ = FieldMode::LengthPrefixed;
  uint32_t field_fixed_ = 0;
  std::unique_ptr<WRec> pack_;        // writing: the packing buffer
  uint32_t pack_used_ = 0;
  std::string pack_delimiter_;
  FieldMode pack_mode_ = FieldMode::LengthPrefixed;
  int64_t field_writing_ = -1;
  std::string field_copy_;
  uint64_t position_ = 0;  // physical position of the next AppendRecord

  int uncaught_at_open_ = 0;
};

// --- Whole-file operations -------------------------------------------------------------------------

// Creates `name` (asks before replacing) with `count` empty logical files; a non-empty version text
// (UTF-8, stored in code page 1251) goes into logical file 0 as one record.
void CreateCompoundFile(std::string_view name, uint32_t count, std::string_view version_text);
// The same with the suite's current version text.
void CreateCompoundFile(std::string_view name, uint32_t count);
// Creates (replacing) a file holding only a header {0, count} and count entries {0, 0}.
void CreateBlankDirectory(std::string_view name, uint32_t count);
// Replaces logical file m of `target` by a copy of logical file n of `source`.
void CopyLogical(WFile& source, uint32_t n, WFile& target, uint32_t m);
// True when the directory lengths add up to the data area (an unreadable file is shown and counts
// as compact).
bool IsCompact(std::string_view name);
// Percentage of the data area not taken by live chains (0 for an empty data area).
int GarbagePercent(std::string_view name);
// Rewrites `name` without garbage when GarbagePercent >= threshold. A chain that cannot be read,
// or chains that share records, abort the rewrite and leave the file unchanged.
void CompactCompoundFile(std::string_view name, int threshold);
// Writes the text records of a simple file as CR LF lines of a plain file (replacing it).
void ExportTextFile(std::string_view source, std::string_view target);
// The first empty logical file >= from other than `exclude`; ZError 0 when there is none.
uint32_t FindFreeLogical(WFile& file, int64_t exclude, uint32_t from);
// Copies a physical file (both names resolved), overwriting the target.
void CopyFile(std::string_view from, std::string_view to);

}  // namespace tlx::store
