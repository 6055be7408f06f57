#include "store/sfile.h"

#include "messages/msg_wrappers.h"
#include "messages/zerror.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "store/aliases.h"

namespace tlx::store {

using messages::RaiseMsg;
using messages::RaiseSysError;

namespace {

// The question asked before mode 2 replaces a file: message 2001 through the query wrapper.
constexpr int32_t kReplaceQuery = 1;

bool IsMissingError(uint32_t code) {
  return code == platform::err::kFileNotFound || code == platform::err::kPathNotFound;
}

}  // namespace

SFile::SFile(std::string_view name, uint8_t mode) : name_(ResolveName(name)), mode_(mode) {
  platform::OpenOptions options;
  options.share = platform::kShareRead | platform::kShareWrite;
  options.sequential_scan = true;
  switch (mode) {
    case kSFileRead:
      options.access = platform::Access::Read;
      options.disposition = platform::Disposition::OpenExisting;
      break;
    case kSFileCreateAsk:
    case kSFileCreateReplace:
      // An existing file (or a link, as a link) goes first and a new file takes its name: the bytes
      // never go into the old file, which may be a hard link to a file anywhere else.
      if (platform::FileExists(name_)) {
        if (mode == kSFileCreateAsk && !messages::MsgQuery(name_, kReplaceQuery)) {
          RaiseMsg(name_, messages::kMsgHandled);
        }
        if (!platform::DeleteFile(name_)) Fail();
      }
      options.access = platform::Access::Write;
      options.disposition = platform::Disposition::CreateNew;
      break;
    case kSFileReadWrite:
      options.access = platform::Access::ReadWrite;
      options.disposition = platform::Disposition::OpenExisting;
      break;
    default:
      RaiseMsg("", messages::kMsgFinalText);
  }
  file_ = platform::File::Open(name_, options);
  if (!file_.valid()) {
    if (options.disposition == platform::Disposition::OpenExisting &&
        IsMissingError(platform::LastError())) {
      RaiseMsg(name_, kMsgFileMissing);
    }
    Fail();
  }
}

void SFile::Fail() const { RaiseSysError(name_); }

void SFile::CheckOpen() const {
  if (!file_.valid()) {
    platform::SetLastError(platform::err::kInvalidHandle);
    Fail();
  }
}

uint32_t SFile::Read(void* buffer, uint32_t count) {
  if (mode_ == kSFileCreateAsk || mode_ == kSFileCreateReplace) RaiseMsg(name_, kMsgReadFromWriter);
  CheckOpen();
  uint32_t done = 0;
  if (count > 0 && !file_.Read(buffer, count, &done)) Fail();
  return done;
}

uint32_t SFile::Write(const void* buffer, uint32_t count) {
  if (mode_ == kSFileRead) RaiseMsg(name_, kMsgWriteToReader);
  CheckOpen();
  uint32_t done = 0;
  if (count > 0 && !file_.Write(buffer, count, &done)) Fail();
  if (done != count) {
    platform::SetLastError(platform::err::kDiskFull);
    Fail();
  }
  return done;
}

void SFile::WriteLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  Write(line.data(), static_cast<uint32_t>(line.size()));
}

int64_t SFile::Seek(int64_t position) { return Seek(position, platform::Origin::Begin); }

int64_t SFile::Seek(int64_t distance, platform::Origin origin) {
  CheckOpen();
  int64_t position = 0;
  if (!file_.Seek(distance, origin, &position)) Fail();
  return position;
}

int64_t SFile::Tell() {
  CheckOpen();
  const int64_t position = file_.Tell();
  if (position < 0) Fail();
  return position;
}

int64_t SFile::Size() {
  CheckOpen();
  const int64_t size = file_.Size();
  if (size < 0) Fail();
  return size;
}

void SFile::Flush() {
  CheckOpen();
  if (mode_ != kSFileRead && !file_.Flush()) Fail();
}

void SFile::SetEnd() {
  CheckOpen();
  if (mode_ == kSFileRead) messages::RaiseMsg(name_, kMsgWriteToReader);
  if (!file_.SetEnd()) Fail();
}

void SFile::Close() {
  if (file_.valid() && !file_.Close()) Fail();
}

std::vector<uint8_t> ReadUpTo(SFile& file, uint32_t limit) {
  std::vector<uint8_t> data(limit);
  uint32_t total = 0;
  while (total < limit) {
    const uint32_t got = file.Read(data.data() + total, limit - total);
    if (got == 0) break;
    total += got;
  }
  data.resize(total);
  return data;
}

}  // namespace tlx::store
