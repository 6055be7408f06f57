// WFile: many small fields packed into records (delimited, length-prefixed or fixed size).
#include <cstring>

#include "messages/zerror.h"
#include "store/wfile.h"

namespace tlx::store {

namespace {
uint32_t SeparatorLength(uint8_t mode, std::size_t delimiter_length) {
  switch (mode) {
    case 0: return static_cast<uint32_t>(delimiter_length);
    case 1: return 2;
    default: return 0;
  }
}
}  // namespace

void WFile::BeginFieldWrite(uint32_t n, std::string_view delimiter, int32_t fixed_size) {
  if (compound_) {
    if (pack_ && pack_used_ > 0 && writing_ >= 0) FlushFields();
    BeginLogical(n);
  } else {
    pack_used_ = 0;
  }
  pack_mode_ = fixed_size >= 0 ? FieldMode::Fixed
               : !delimiter.empty() ? FieldMode::Delimited
                                    : FieldMode::LengthPrefixed;
  pack_delimiter_ = std::string(delimiter);
  if (!pack_) pack_ = std::make_unique<WRec>(MaxRecordLength);
  pack_used_ = 0;
  field_writing_ = n;
}

void WFile::AddField(const void* data, uint32_t length) {
  if (!pack_) Raise("Для файла " + name_ + " не начата запись полей");
  if (length == 0) {
    Raise("Для файла " + name_ + " задана нулевая длина логической записи" +
          std::to_string(field_writing_));
  }
  const uint32_t separator = SeparatorLength(static_cast<uint8_t>(pack_mode_), pack_delimiter_.size());
  if (uint64_t{length} + separator > kFieldPackLimit) {
    Raise("Для файла " + name_ + " длина поля " + std::to_string(length) + " превышает допустимую " +
          std::to_string(kFieldPackLimit - separator));
  }
  if (pack_used_ + length + separator > kFieldPackLimit) FlushFields();
  uint8_t* out = pack_->data() + pack_used_;
  if (pack_mode_ == FieldMode::LengthPrefixed) {
    PutU16(out, static_cast<uint16_t>(length));
    out += 2;
  }
  std::memcpy(out, data, length);
  out += length;
  if (pack_mode_ == FieldMode::Delimited) std::memcpy(out, pack_delimiter_.data(), pack_delimiter_.size());
  pack_used_ += length + separator;
}

void WFile::FlushFields() {
  if (!pack_ || pack_used_ == 0) return;
  const uint16_t used = static_cast<uint16_t>(pack_used_);
  pack_used_ = 0;
  WriteTypedRecord(0, used, pack_->data());
}

void WFile::EndFieldWrite(uint32_t n) {
  FlushFields();
  if (compound_) EndLogical(n, true);
  pack_.reset();
  field_writing_ = -1;
}

uint32_t WFile::BeginFieldRead(uint32_t n, std::string_view delimiter, int32_t fixed_size) {
  uint32_t length = 0;
  if (compound_) {
    length = OpenLogical(n);
  } else {
    StartWalk();
    length = static_cast<uint32_t>(file_size_);
  }
  field_mode_ = fixed_size >= 0 ? FieldMode::Fixed
                : !delimiter.empty() ? FieldMode::Delimited
                                     : FieldMode::LengthPrefixed;
  field_delimiter_ = std::string(delimiter);
  field_fixed_ = fixed_size >= 0 ? static_cast<uint32_t>(fixed_size) : 0;
  if (!field_rec_) field_rec_ = std::make_unique<WRec>(MaxRecordLength);
  field_rec_valid_ = false;
  field_last_ = FieldCursor{read_position_, 0};
  field_next_ = FieldCursor{read_position_, 0};
  return length;
}

bool WFile::NextField(FieldCursor at, std::string_view* field) {
  if (!field_rec_) Raise("Для файла " + name_ + " не начато чтение полей");
  if (at.offset == 0) {
    SeekRecord(at.address);
    field_next_ = at;
  } else {
    if (!ReadRecordAt(at.address, *field_rec_)) {
      Raise("Для файла " + name_ + " не найдена запись поля по адресу " + std::to_string(at.address));
    }
    field_rec_->data()[field_rec_->length] = 0;
    field_rec_valid_ = true;
    if (at.offset >= field_rec_->length) {
      Raise("Для файла " + name_ + " длина записи превышает длину остатка буфера");
    }
    field_next_ = FieldCursor{last_record_, at.offset};
  }
  return NextField(field);
}

bool WFile::NextField(std::string_view* field) {
  if (!field_rec_) Raise("Для файла " + name_ + " не начато чтение полей");
  *field = std::string_view();
  if (field_next_.offset == 0) {
    if (!ReadRecord(*field_rec_)) {
      field_rec_valid_ = false;
      return false;
    }
    field_rec_->data()[field_rec_->length] = 0;
    field_rec_valid_ = true;
    field_next_ = FieldCursor{last_record_, 0};
  }
  const uint8_t* data = field_rec_->data();
  const uint32_t size = field_rec_->length;
  const uint32_t offset = field_next_.offset;
  const std::string remainder_error = "Для файла " + name_ + " длина записи превышает длину остатка буфера";
  uint32_t field_start = offset;
  uint32_t field_length = 0;
  uint32_t next = offset;
  switch (field_mode_) {
    case FieldMode::Fixed:
      if (field_fixed_ == 0 || uint64_t{offset} + field_fixed_ > size) Raise(remainder_error);
      field_length = field_fixed_;
      next = offset + field_fixed_;
      break;
    case FieldMode::LengthPrefixed:
      if (uint64_t{offset} + 2 > size) Raise(remainder_error);
      field_length = GetU16(data + offset);
      if (field_length > size - offset - 2) Raise(remainder_error);
      field_start = offset + 2;
      next = field_start + field_length;
      break;
    case FieldMode::Delimited: {
      const std::string_view record(reinterpret_cast<const char*>(data), size);
      const std::size_t found = record.find(field_delimiter_, offset);
      if (found == std::string_view::npos) {
        Raise("Для файла " + name_ + " не найден конец логической записи");
      }
      field_length = static_cast<uint32_t>(found) - offset;
      next = static_cast<uint32_t>(found + field_delimiter_.size());
      break;
    }
  }
  *field = std::string_view(reinterpret_cast<const char*>(data) + field_start, field_length);
  field_last_ = field_next_;
  field_next_ = next >= size ? FieldCursor{read_position_, 0} : FieldCursor{field_next_.address, next};
  return true;
}

bool WFile::NextField(void* buffer, uint32_t capacity, uint16_t* length) {
  std::string_view field;
  const bool found = NextField(&field);
  if (field.size() > capacity) {
    Raise("Для файла " + name_ + " поле длиной " + std::to_string(field.size()) +
          " не помещается в буфер " + std::to_string(capacity));
  }
  if (!field.empty()) std::memcpy(buffer, field.data(), field.size());
  *length = static_cast<uint16_t>(field.size());
  return found;
}

}  // namespace tlx::store
