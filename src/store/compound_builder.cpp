#include "store/compound_builder.h"

#include "messages/zerror.h"
#include "store/record_format.h"
#include "store/scramble.h"

namespace tlx::store {

namespace {
[[noreturn]] void Raise(const std::string& text) { messages::RaiseMsg(text, messages::kMsgFinalText); }
constexpr uint64_t kMaxAddress = 0x7FFFFFFF;
}  // namespace

CompoundFileBuilder::CompoundFileBuilder(std::string_view name, uint32_t count, uint32_t p)
    : file_(name, kSFileCreateReplace), p_(p), count_(count) {
  const uint64_t data_start = kCompoundHeaderSize + uint64_t{kDirectoryEntrySize} * count;
  if (data_start + uint64_t{EmptyLogicalSize} * count > kMaxAddress) {
    Raise("Недопустимое число логических файлов " + std::to_string(count));
  }
  directory_.assign(std::size_t{count} * 2, 0);
  address_ = data_start;
  file_.Seek(static_cast<int64_t>(data_start));
}

void CompoundFileBuilder::BeginLogical(uint32_t n) {
  if (open_ >= 0) EndLogical();
  if (n >= count_) Raise("Для файла " + file_.Name() + " неверен номер лог. файла " + std::to_string(n));
  if (directory_[n * 2] != 0) {
    Raise("Для файла " + file_.Name() + " логический файл " + std::to_string(n) + " уже записан");
  }
  open_ = n;
  directory_[n * 2] = static_cast<uint32_t>(address_);
}

uint32_t CompoundFileBuilder::Append(uint8_t type, std::string_view data, bool deleted) {
  if (open_ < 0) Raise("Для файла " + file_.Name() + " не начат логический файл");
  if (data.empty() || data.size() > MaxRecordLength) {
    Raise("Для файла " + file_.Name() + " недопустимая длина записи " + std::to_string(data.size()));
  }
  const uint32_t size = kRecordHeadSize + static_cast<uint32_t>(data.size());
  if (address_ + size > kMaxAddress) Raise("Файл " + file_.Name() + " слишком велик для файла записей");
  const uint32_t address = static_cast<uint32_t>(address_);
  const std::size_t at = buffer_.size();
  buffer_.resize(at + size);
  uint8_t* record = buffer_.data() + at;
  EncodeHead(RecordHead{static_cast<uint8_t>(deleted ? (type | kDeletedBit) : type), NoLink,
                        static_cast<uint16_t>(data.size())},
             record);
  std::copy(data.begin(), data.end(), record + kRecordHeadSize);
  if (p_ != 0) {
    const uint16_t key = RecordKey(address, p_);
    XorScramble(record, kRecordHeadSize, key);
    if (!deleted) XorScramble(record + kRecordHeadSize, data.size(), key);
  }
  address_ += size;
  directory_[open_ * 2 + 1] += deleted ? 0 : size;
  if (buffer_.size() >= (1u << 20)) Flush();
  return address;
}

uint32_t CompoundFileBuilder::AddRecord(uint8_t type, std::string_view data) {
  return Append(type & 0x7F, data, false);
}

uint32_t CompoundFileBuilder::AddDeletedRecord(uint8_t type, std::string_view data) {
  return Append(type, data, true);
}

void CompoundFileBuilder::EndLogical() {
  if (open_ < 0) return;
  Append(0, std::string_view("@", 1), false);
  open_ = -1;
}

void CompoundFileBuilder::Flush() {
  if (!buffer_.empty()) file_.Write(buffer_.data(), static_cast<uint32_t>(buffer_.size()));
  buffer_.clear();
}

void CompoundFileBuilder::Finish() {
  if (finished_) return;
  EndLogical();
  for (uint32_t n = 0; n < count_; ++n) {
    if (directory_[n * 2] == 0) {
      BeginLogical(n);
      EndLogical();
    }
  }
  Flush();
  std::vector<uint8_t> head(kCompoundHeaderSize + std::size_t{kDirectoryEntrySize} * count_);
  PutU32(head.data(), static_cast<uint32_t>(address_));
  PutU32(head.data() + 4, count_);
  for (uint32_t n = 0; n < count_; ++n) {
    PutU32(&head[kCompoundHeaderSize + n * kDirectoryEntrySize], directory_[n * 2]);
    PutU32(&head[kCompoundHeaderSize + n * kDirectoryEntrySize + 4], directory_[n * 2 + 1]);
  }
  if (p_ != 0) {
    XorScramble(head.data(), kCompoundHeaderSize, HeaderKey(p_));
    XorScramble(head.data() + kCompoundHeaderSize, head.size() - kCompoundHeaderSize, DirectoryKey(p_));
  }
  file_.Seek(0);
  file_.Write(head.data(), static_cast<uint32_t>(head.size()));
  file_.Close();
  finished_ = true;
}

}  // namespace tlx::store
