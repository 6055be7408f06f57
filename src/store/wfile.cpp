// WFile: opening, closing and reading of simple and compound record files.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>

#include "messages/zerror.h"
#include "platform/fs.h"
#include "store/scramble.h"
#include "store/wfile.h"

namespace tlx::store {

using messages::RaiseMsg;

namespace internal {
std::string Hex8(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(value));
  return text;
}
}  // namespace internal

using internal::Hex8;

WFile::WFile(std::string_view name) : WFile(name, false) {}

WFile::WFile(std::string_view name, bool read_only) : uncaught_at_open_(std::uncaught_exceptions()) {
  OpenCompound(name, read_only ? kSFileRead : kSFileReadWrite);
}

WFile::WFile(std::string_view name, ScrambleKey key)
    : scramble_(key.p), uncaught_at_open_(std::uncaught_exceptions()) {
  OpenCompound(name, kSFileReadWrite);
}

WFile::WFile(std::string_view name, SimpleMode mode) : uncaught_at_open_(std::uncaught_exceptions()) {
  OpenSimple(name, mode);
}

WFile::~WFile() {
  if (!file_) return;
  if (std::uncaught_exceptions() > uncaught_at_open_) {
    // Unwinding: keep the old chain of a half-written logical file.
    DiscardPending();
  }
  CloseNoThrow();
}

void WFile::Raise(const std::string& text) const { RaiseMsg(text, messages::kMsgFinalText); }

void WFile::RequireCompound(const std::string& text) const {
  if (!compound_) Raise(text);
}

void WFile::RequireLogicalNumber(uint32_t n) const {
  if (n >= count_) Raise("Для файла " + name_ + " неверен номер лог. файла " + std::to_string(n));
}

void WFile::RequireChangeable() const {
  if (scramble_ != 0) Raise("Для файла " + name_ + " изменение невозможно: файл зашифрован");
}

void WFile::OpenCompound(std::string_view name, uint8_t sfile_mode) {
  file_.emplace(name, sfile_mode);
  name_ = file_->Name();
  compound_ = true;
  mode_ = sfile_mode;
  file_size_ = static_cast<uint64_t>(file_->Size());
  if (file_size_ < kCompoundHeaderSize) {
    Raise("Файл " + name_ + " не является составным: нет заголовка");
  }
  uint8_t header[kCompoundHeaderSize];
  ReadExact(0, header, sizeof header);
  if (scramble_ != 0) XorScramble(header, sizeof header, HeaderKey(scramble_));
  const uint32_t end = GetU32(header);
  const uint32_t count = GetU32(header + 4);
  const uint64_t data_start = kCompoundHeaderSize + uint64_t{kDirectoryEntrySize} * count;
  // The directory must fit in the file before anything is allocated for it.
  if (data_start > file_size_) {
    Raise("В файле " + name_ + " число логических файлов " + std::to_string(count) +
          " не соответствует размеру файла " + std::to_string(file_size_));
  }
  if (end < data_start || end > file_size_) {
    Raise("В файле " + name_ + " неверно задан адрес конца данных " + std::to_string(end));
  }
  count_ = count;
  data_start_ = static_cast<uint32_t>(data_start);
  end_address_ = end;
  std::vector<uint8_t> raw(static_cast<std::size_t>(count) * kDirectoryEntrySize);
  if (!raw.empty()) ReadExact(kCompoundHeaderSize, raw.data(), static_cast<uint32_t>(raw.size()));
  if (scramble_ != 0) XorScramble(raw.data(), raw.size(), DirectoryKey(scramble_));
  directory_.resize(static_cast<std::size_t>(count) * 2);
  std::vector<std::pair<uint32_t, uint32_t>> starts;  // start, logical file
  starts.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t start = GetU32(&raw[i * 8]);
    const uint32_t length = GetU32(&raw[i * 8 + 4]);
    directory_[i * 2] = start;
    directory_[i * 2 + 1] = length;
    if (start < data_start_ || uint64_t{start} + EmptyLogicalSize > end_address_ ||
        length > end_address_ - data_start_) {
      Raise("В файле " + name_ + " неверно задан логический файл " + std::to_string(i) +
            " (адрес " + Hex8(start) + ", длина " + std::to_string(length) + ")");
    }
    starts.emplace_back(start, i);
  }
  std::sort(starts.begin(), starts.end());
  for (std::size_t i = 1; i < starts.size(); ++i) {
    if (starts[i].first == starts[i - 1].first) {
      Raise("В файле " + name_ + " логические файлы " + std::to_string(starts[i - 1].second) + " и " +
            std::to_string(starts[i].second) + " начинаются с одной записи (адрес " +
            Hex8(starts[i].first) + ")");
    }
  }
  creation_time_ = platform::FileCreationTime(name_).value_or(0);
  read_position_ = last_record_ = data_start_;
}

void WFile::OpenSimple(std::string_view name, SimpleMode mode) {
  uint8_t sfile_mode = static_cast<uint8_t>(mode);
  if (mode == SimpleMode::Append) sfile_mode = kSFileReadWrite;
  if (sfile_mode < kSFileRead || sfile_mode > kSFileReadWrite) RaiseMsg("", messages::kMsgFinalText);
  file_.emplace(name, sfile_mode);
  name_ = file_->Name();
  compound_ = false;
  mode_ = static_cast<uint8_t>(mode);
  count_ = 1;
  data_start_ = 0;
  file_size_ = static_cast<uint64_t>(file_->Size());
  if (file_size_ > 0x7FFFFFFF) Raise("Файл " + name_ + " слишком велик для файла записей");
  if (mode == SimpleMode::Create || mode == SimpleMode::CreateReplace) {
    end_address_ = 0;
  } else {
    end_address_ = static_cast<uint32_t>(file_size_);
  }
  if (mode == SimpleMode::Append) {
    // New records go over the old end marker, so the file must end with one.
    uint8_t tail[kEndMarker.size()] = {};
    if (file_size_ < kEndMarker.size()) Raise("Файл " + name_ + " должен быть простым");
    ReadExact(end_address_ - static_cast<uint32_t>(kEndMarker.size()), tail, sizeof tail);
    if (!std::equal(std::begin(tail), std::end(tail), kEndMarker.begin())) {
      Raise("Файл " + name_ + " должен быть простым");
    }
    end_address_ -= static_cast<uint32_t>(kEndMarker.size());
  }
  directory_ = {0, end_address_};
  chain_bytes_ = end_address_;
  position_ = end_address_;
  creation_time_ = platform::FileCreationTime(name_).value_or(0);
}

void WFile::ReportUnclosed(uint32_t n) {
  Raise("Для файла " + name_ + " не выполнено закрытие файла " + std::to_string(n));
}

void WFile::Close() {
  if (!file_) return;
  std::exception_ptr failure;
  std::optional<uint32_t> unclosed;
  try {
    if (compound_ && writing_ >= 0) {
      const uint32_t n = static_cast<uint32_t>(writing_);
      if (pack_ && pack_used_ > 0) FlushFields();
      EndLogicalNoReport(true);
      if (report_unclosed_) unclosed = n;
    } else if (!compound_ && (mode_ == 2 || mode_ == 3 || mode_ == 5)) {
      if (pack_ && pack_used_ > 0) FlushFields();
      WriteAt(end_address_, kEndMarker.data(), static_cast<uint32_t>(kEndMarker.size()));
    }
  } catch (...) {
    failure = std::current_exception();
  }
  DiscardPending();
  temp_.reset();
  try {
    file_->Close();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  file_.reset();
  pack_.reset();
  field_rec_.reset();
  if (failure) std::rethrow_exception(failure);
  if (unclosed) ReportUnclosed(*unclosed);
}

void WFile::CloseNoThrow() noexcept {
  try {
    Close();
  } catch (...) {
    // Nobody is left to tell; Close() reports the same failure to callers that ask.
  }
  temp_.reset();
  file_.reset();
}

void WFile::DiscardPending() noexcept {
  if (writing_ < 0 && !temp_) return;
  writing_ = -1;
  field_writing_ = -1;
  pack_used_ = 0;
  if (temp_) {
    const std::string temp_name = temp_->Name();
    temp_.reset();
    platform::DeleteFile(temp_name);
  }
}

// --- Reading ----------------------------------------------------------------------------------------

void WFile::ReadExact(uint32_t address, void* buffer, uint32_t size) {
  if (uint64_t{address} + size > file_size_) {
    Raise("В файле " + name_ + " данные по адресу " + Hex8(address) + " (" + std::to_string(size) +
          " байт) выходят за конец файла");
  }
  file_->Seek(address);
  uint32_t done = 0;
  while (done < size) {
    const uint32_t got = file_->Read(static_cast<uint8_t*>(buffer) + done, size - done);
    if (got == 0) break;
    done += got;
  }
  position_ = uint64_t{address} + done;
  if (done != size) {
    Raise("В файле " + name_ + " данные по адресу " + Hex8(address) + " (" + std::to_string(size) +
          " байт) выходят за конец файла");
  }
}

uint32_t WFile::OpenLogical(uint32_t n) { return OpenLogical(n, nullptr); }

uint32_t WFile::OpenLogical(uint32_t n, uint32_t* start) {
  RequireCompound("Для файла " + name_ + " невозможна открытие логического файла");
  RequireLogicalNumber(n);
  read_position_ = last_record_ = directory_[n * 2];
  StartWalk();
  if (start != nullptr) *start = directory_[n * 2];
  return directory_[n * 2 + 1];
}

uint32_t WFile::LogicalLength(uint32_t n) const {
  RequireLogicalNumber(n);
  return directory_[n * 2 + 1];
}

void WFile::StartWalk() { walked_.clear(); }

void WFile::WalkThrough(uint32_t address, uint32_t size) {
  const uint32_t end = address + size;  // within the file, checked by the caller
  auto after = walked_.upper_bound(address);
  const bool meets_later = after != walked_.end() && after->first < end;
  auto before = after == walked_.begin() ? walked_.end() : std::prev(after);
  const bool inside_earlier = before != walked_.end() && before->second > address;
  if (meets_later || inside_earlier) {
    Raise("В файле " + name_ + " цепочка записей зациклена (адрес записи " + Hex8(address) + ")");
  }
  if (before != walked_.end() && before->second == address) {
    before->second = end;  // the record follows the last one read there
  } else {
    walked_.emplace_hint(after, address, end);
  }
}

void WFile::FollowLink(int64_t address) {
  // Records live between the directory and the end of the file's data.
  if (address < int64_t{data_start_} || address > int64_t{end_address_}) {
    RaiseMsg(name_ + "|" + std::to_string(address), kMsgBadLink);
  }
  read_position_ = static_cast<uint32_t>(address);
  position_ = read_position_;
}

void WFile::SeekRecord(int64_t address) {
  StartWalk();
  FollowLink(address);
}

bool WFile::ReadRecord(WRec& rec) { return ReadNext(rec, true, false); }

bool WFile::PeekRecord(WRec& rec) { return ReadNext(rec, false, true); }

bool WFile::ReadRecordAt(int64_t address, WRec& rec, uint32_t* record_address, uint32_t* next_position) {
  SeekRecord(address);
  const bool live = ReadRecord(rec);
  if (record_address != nullptr) *record_address = last_record_;
  if (next_position != nullptr) *next_position = read_position_;
  return live;
}

bool WFile::ReadNext(WRec& rec, bool full, bool peek_messages) {
  for (;;) {
    const uint32_t address = read_position_;
    last_record_ = address;
    uint8_t head_bytes[kRecordHeadSize];
    ReadExact(address, head_bytes, kRecordHeadSize);
    const uint16_t key = scramble_ != 0 ? RecordKey(address, scramble_) : 0;
    if (scramble_ != 0) XorScramble(head_bytes, kRecordHeadSize, key);
    const RecordHead head = DecodeHead(head_bytes);
    if (head.length == 0) {
      RaiseMsg(peek_messages ? name_ : name_ + "|( " + Hex8(address), kMsgZeroLength);
    }
    const uint32_t limit = full ? std::min<uint32_t>(MaxRecordLength, rec.capacity()) : MaxRecordLength;
    if (head.length > limit) {
      RaiseMsg(peek_messages ? name_ + "|" + std::to_string(head.length) + "|" + std::to_string(limit)
                             : name_ + "|( " + std::to_string(head.length) + ")|" + std::to_string(limit) +
                                   "|" + Hex8(address),
               kMsgTooLong);
    }
    const uint64_t record_end = uint64_t{address} + kRecordHeadSize + head.length;
    if (record_end > file_size_) {
      Raise("В файле " + name_ + " запись по адресу " + Hex8(address) + " длиной " +
            std::to_string(head.length) + " выходит за конец файла");
    }
    if (!head.deleted()) {
      const uint32_t take = full ? head.length : 1;
      ReadExact(address + kRecordHeadSize, rec.data(), take);
      if (scramble_ != 0) XorScramble(rec.data(), take, key);
      rec.type = head.type;
      rec.link = head.link;
      rec.length = head.length;
      // The reader stays on the end marker, so reading on reads it again: not part of the walk.
      if (IsEndMarker(head, rec.data())) return false;
    }
    WalkThrough(address, static_cast<uint32_t>(record_end - address));
    if (head.link == NoLink) {
      if (record_end > end_address_ && compound_) {
        RaiseMsg(name_ + "|" + std::to_string(record_end), kMsgBadLink);
      }
      read_position_ = static_cast<uint32_t>(record_end);
      position_ = record_end;
    } else {
      FollowLink(head.link);
    }
    if (!head.deleted()) return true;
  }
}

}  // namespace tlx::store
