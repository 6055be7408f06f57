// WFile: writing logical files through the temporary file, simple-file writing, in-place edits.
#include <cstring>
#include <vector>

#include "messages/zerror.h"
#include "platform/fs.h"
#include "store/wfile.h"

namespace tlx::store {

using messages::RaiseMsg;

namespace internal {
std::string Hex8(uint64_t value);
}

namespace {
// Record addresses are signed 32-bit links: the data must stay below 2 GiB.
constexpr uint64_t kMaxAddress = 0x7FFFFFFF;
constexpr uint32_t kCopyChunk = 64 * 1024;
}  // namespace

void WFile::WriteAt(uint32_t address, const void* buffer, uint32_t size) {
  // A change may relink records the reader has passed: reading on starts a new walk.
  StartWalk();
  file_->Seek(address);
  file_->Write(buffer, size);
  position_ = uint64_t{address} + size;
  if (position_ > file_size_) file_size_ = position_;
}

void WFile::WriteHeaderField(uint32_t offset, uint32_t value) {
  uint8_t bytes[4];
  PutU32(bytes, value);
  WriteAt(offset, bytes, sizeof bytes);
}

void WFile::WriteDirectoryOf(uint32_t n) {
  uint8_t bytes[8];
  PutU32(bytes, directory_[n * 2]);
  PutU32(bytes + 4, directory_[n * 2 + 1]);
  WriteAt(kCompoundHeaderSize + n * kDirectoryEntrySize, bytes, sizeof bytes);
}

RecordHead WFile::ReadHead(uint32_t address) {
  uint8_t bytes[kRecordHeadSize];
  ReadExact(address, bytes, kRecordHeadSize);
  return DecodeHead(bytes);
}

void WFile::PatchHead(uint32_t address, std::optional<int32_t> link, uint8_t type_bits) {
  uint8_t bytes[kRecordHeadSize];
  ReadExact(address, bytes, kRecordHeadSize);
  RecordHead head = DecodeHead(bytes);
  if (link) head.link = *link;
  head.type |= type_bits;
  EncodeHead(head, bytes);
  WriteAt(address, bytes, 5);
  file_->Flush();
}

void WFile::BeginLogical(uint32_t n) {
  RequireCompound("Файл " + name_ + " не является составным");
  RequireLogicalNumber(n);
  RequireChangeable();
  if (writing_ >= 0) {
    const uint32_t m = static_cast<uint32_t>(writing_);
    EndLogicalNoReport(true);
    if (report_unclosed_) ReportUnclosed(m);
  }
  chain_bytes_ = 0;
  temp_bytes_ = 0;
  temp_.emplace(name_ + "$$", kSFileCreateReplace);
  writing_ = n;
}

uint32_t WFile::WriteChainRecord(uint8_t type, int32_t link, uint16_t length, const void* data) {
  if (length == 0 || length > MaxRecordLength) {
    Raise("Для файла " + name_ + " недопустимая длина записи " + std::to_string(length));
  }
  std::vector<uint8_t> bytes(kRecordHeadSize + length);
  EncodeHead(RecordHead{type, link, length}, bytes.data());
  std::memcpy(bytes.data() + kRecordHeadSize, data, length);
  const uint32_t before = chain_bytes_;
  if (compound_) {
    temp_->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    temp_bytes_ += static_cast<uint32_t>(bytes.size());
  } else {
    if (uint64_t{end_address_} + bytes.size() > kMaxAddress) {
      Raise("Файл " + name_ + " слишком велик для файла записей");
    }
    WriteAt(end_address_, bytes.data(), static_cast<uint32_t>(bytes.size()));
    end_address_ += static_cast<uint32_t>(bytes.size());
  }
  chain_bytes_ += static_cast<uint32_t>(bytes.size());
  return before;
}

namespace {
bool WritesSimple(uint8_t mode) { return mode == 2 || mode == 3 || mode == 5; }
}  // namespace

uint32_t WFile::WriteRecord(const WRec& rec) {
  if (compound_ && !temp_) Raise("Невозможна запись в несуществующий файл TMP");
  if (!compound_ && !WritesSimple(mode_)) Raise("Файл " + name_ + " не открыт для записи или дозаписи");
  return WriteChainRecord(rec.type, NoLink, rec.length, rec.data());
}

uint32_t WFile::WriteText(std::string_view bytes) {
  if (compound_ && !temp_) Raise("Невозможна запись в несуществующий файл TMP");
  if (!compound_ && !WritesSimple(mode_)) Raise("Файл " + name_ + " не открыт для записи или дозаписи");
  if (bytes.size() + 2 > MaxRecordLength) {
    Raise("Для файла " + name_ + " недопустимая длина записи " + std::to_string(bytes.size() + 2));
  }
  std::vector<uint8_t> data(bytes.size() + 2);
  PutU16(data.data(), static_cast<uint16_t>(bytes.size()));
  std::memcpy(data.data() + 2, bytes.data(), bytes.size());
  return WriteChainRecord(0, NoLink, static_cast<uint16_t>(data.size()), data.data());
}

uint32_t WFile::WriteTypedRecord(uint8_t type, uint16_t length, const void* data) {
  if (compound_ && !temp_) Raise("Невозможна запись в несуществующий файл TMP");
  if (!compound_ && !WritesSimple(mode_)) {
    Raise("Файл " + name_ + " не открыт только для записи или дозаписи");
  }
  return WriteChainRecord(type, NoLink, length, data);
}

void WFile::EndLogical(uint32_t n, bool commit) {
  RequireCompound("Файл " + name_ + " не является составным");
  if (!temp_) Raise("Закрытие файла невозможно для несуществующего файла TMP$");
  if (writing_ < 0) Raise("Для файла " + name_ + " не выполнено создание файла " + std::to_string(n));
  if (n != static_cast<uint32_t>(writing_)) {
    const uint32_t m = static_cast<uint32_t>(writing_);
    EndLogicalNoReport(commit);
    Raise("Для файла " + name_ + " ошибочно задан номер файла " + std::to_string(n) + " вместо " +
          std::to_string(m));
  }
  EndLogicalNoReport(commit);
}

void WFile::EndLogicalNoReport(bool commit) {
  const uint32_t n = static_cast<uint32_t>(writing_);
  const std::string temp_name = temp_->Name();
  try {
    temp_->Write(kEndMarker.data(), static_cast<uint32_t>(kEndMarker.size()));
    chain_bytes_ += static_cast<uint32_t>(kEndMarker.size());
    temp_bytes_ += static_cast<uint32_t>(kEndMarker.size());
    temp_->Close();
    temp_.reset();
    if (commit) {
      if (mode_ != kSFileReadWrite) Raise("Файл " + name_ + " не открыт только для записи");
      RequireChangeable();
      if (uint64_t{end_address_} + temp_bytes_ > kMaxAddress) {
        Raise("Файл " + name_ + " слишком велик для файла записей");
      }
      // The chain in the temporary file is complete and contiguous: it is joined as it stands.
      SFile chain(temp_name, kSFileRead);
      std::vector<uint8_t> buffer(kCopyChunk);
      uint32_t copied = 0;
      for (;;) {
        const uint32_t got = chain.Read(buffer.data(), kCopyChunk);
        if (got == 0) break;
        WriteAt(end_address_ + copied, buffer.data(), got);
        copied += got;
      }
      if (copied != temp_bytes_) {
        Raise("Для файла " + name_ + " временный файл " + temp_name + " изменён во время записи");
      }
      chain.Close();
      const uint32_t old_end = end_address_;
      file_->Flush();
      // The end address first: until the entry changes, the old chain stays the valid one.
      WriteHeaderField(0, old_end + copied);
      end_address_ = old_end + copied;
      directory_[n * 2] = old_end;
      directory_[n * 2 + 1] = copied;
      WriteDirectoryOf(n);
      file_->Flush();
    }
  } catch (...) {
    temp_.reset();
    platform::DeleteFile(temp_name);
    writing_ = -1;
    throw;
  }
  platform::DeleteFile(temp_name);
  writing_ = -1;
}

void WFile::ClearLogical(uint32_t n) {
  RequireCompound("Для файла " + name_ + " невозможна очистка логического файла");
  RequireLogicalNumber(n);
  if (directory_[n * 2 + 1] == EmptyLogicalSize) return;
  RequireChangeable();
  WriteHeaderField(kCompoundHeaderSize + n * kDirectoryEntrySize + 4, EmptyLogicalSize);
  directory_[n * 2 + 1] = EmptyLogicalSize;
  WriteAt(directory_[n * 2], kEndMarker.data(), static_cast<uint32_t>(kEndMarker.size()));
  file_->Flush();
}

uint32_t WFile::AppendRecord(const WRec& rec) {
  if (mode_ != kSFileReadWrite) Raise("Файл " + name_ + " не открыт только для записи");
  RequireChangeable();
  if (rec.length == 0 || rec.length > MaxRecordLength) {
    Raise("Для файла " + name_ + " недопустимая длина записи " + std::to_string(rec.length));
  }
  if (position_ + kRecordHeadSize + rec.length > kMaxAddress) {
    Raise("Файл " + name_ + " слишком велик для файла записей");
  }
  std::vector<uint8_t> bytes(kRecordHeadSize + rec.length);
  EncodeHead(RecordHead{rec.type, rec.link, rec.length}, bytes.data());
  std::memcpy(bytes.data() + kRecordHeadSize, rec.data(), rec.length);
  WriteAt(static_cast<uint32_t>(position_), bytes.data(), static_cast<uint32_t>(bytes.size()));
  const uint32_t before = chain_bytes_;
  chain_bytes_ += static_cast<uint32_t>(bytes.size());
  if (!compound_) end_address_ += static_cast<uint32_t>(bytes.size());
  return before;
}

void WFile::RewriteRecord(uint32_t address, const WRec& rec) {
  if (mode_ != kSFileReadWrite) Raise("Файл " + name_ + " не открыт только для чтения/записи");
  RequireChangeable();
  const RecordHead head = ReadHead(address);
  if (head.deleted()) RaiseMsg(name_, kMsgDeletedUpdate);
  if (head.length != rec.length) RaiseMsg(name_, kMsgRewriteLength);
  WriteAt(address + kRecordHeadSize, rec.data(), rec.length);
  file_->Flush();
  if (rec.link != NoLink) SeekRecord(rec.link);
}

uint32_t WFile::AppendAtEnd(uint8_t type, int32_t link, uint16_t length, const void* data, uint32_t at) {
  if (length == 0 || length > MaxRecordLength) {
    Raise("Для файла " + name_ + " недопустимая длина записи " + std::to_string(length));
  }
  if (uint64_t{at} + kRecordHeadSize + length > kMaxAddress) {
    Raise("Файл " + name_ + " слишком велик для файла записей");
  }
  std::vector<uint8_t> bytes(kRecordHeadSize + length);
  EncodeHead(RecordHead{type, link, length}, bytes.data());
  std::memcpy(bytes.data() + kRecordHeadSize, data, length);
  WriteAt(at, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return at;
}

void WFile::EditRecord(int op, uint32_t n, const WRec& rec, int32_t link, int32_t address) {
  RequireCompound("Файл " + name_ + " не является составным");
  if (mode_ != kSFileReadWrite) Raise("Файл " + name_ + " не открыт только для чтения/записи");
  RequireChangeable();
  RequireLogicalNumber(n);
  if (op < kEditDelete || op > kEditBatchEnd) {
    Raise("Для файла " + name_ + " неверна операция изменения " + std::to_string(op));
  }
  if (batch_size_ > 0 && op < kEditBatchBegin) {
    Raise("Для файла " + name_ + " не завершена группа изменений логического файла " + std::to_string(n));
  }
  uint32_t& start = directory_[n * 2];
  uint32_t& length = directory_[n * 2 + 1];
  const uint32_t new_size = kRecordHeadSize + rec.length;
  auto live_head = [&](int32_t at) {
    if (at < int32_t(data_start_)) RaiseMsg(name_ + "|" + std::to_string(at), kMsgBadLink);
    const RecordHead head = ReadHead(static_cast<uint32_t>(at));
    if (head.deleted()) RaiseMsg(name_, kMsgDeletedUpdate);
    return head;
  };
  switch (op) {
    case kEditDelete: {
      const RecordHead head = live_head(address);
      PatchHead(static_cast<uint32_t>(address), std::nullopt, kDeletedBit);
      length -= kRecordHeadSize + head.length;
      read_position_ = static_cast<uint32_t>(address);
      position_ = read_position_;
      break;
    }
    case kEditReplaceAny: {
      const RecordHead head = live_head(address);
      if (head.length == rec.length) {
        RewriteRecord(static_cast<uint32_t>(address), rec);
        return;
      }
      const int32_t successor =
          head.link != NoLink ? head.link : address + int32_t(kRecordHeadSize) + head.length;
      EditRecord(kEditReplace, n, rec, successor, address);
      return;
    }
    case kEditReplace: {
      const RecordHead head = live_head(address);
      const uint32_t at = AppendAtEnd(rec.type, link, rec.length, rec.data(), end_address_);
      end_address_ += new_size;
      PatchHead(static_cast<uint32_t>(address), static_cast<int32_t>(at), kDeletedBit);
      length += new_size - (kRecordHeadSize + head.length);
      break;
    }
    case kEditInsert: {
      if (address != -1) live_head(address);
      const uint32_t at = AppendAtEnd(rec.type, link, rec.length, rec.data(), end_address_);
      end_address_ += new_size;
      if (address == -1) {
        start = at;
      } else {
        PatchHead(static_cast<uint32_t>(address), static_cast<int32_t>(at), 0);
      }
      length += new_size;
      break;
    }
    case kEditRewrite:
      RewriteRecord(static_cast<uint32_t>(address), rec);
      return;
    case kEditBatchBegin:
      batch_size_ = 0;
      [[fallthrough]];
    case kEditBatchNext:
      AppendAtEnd(rec.type, NoLink, rec.length, rec.data(), end_address_ + batch_size_);
      batch_size_ += new_size;
      break;
    case kEditBatchEnd: {
      if (address != -1) live_head(address);
      AppendAtEnd(rec.type, link, rec.length, rec.data(), end_address_ + batch_size_);
      batch_size_ += new_size;
      length += batch_size_;
      if (address == -1) {
        start = end_address_;
      } else {
        PatchHead(static_cast<uint32_t>(address), static_cast<int32_t>(end_address_), 0);
      }
      end_address_ += batch_size_;
      batch_size_ = 0;
      break;
    }
  }
  file_->Flush();
  WriteHeaderField(0, end_address_);
  WriteDirectoryOf(n);
  file_->Flush();
}

}  // namespace tlx::store
