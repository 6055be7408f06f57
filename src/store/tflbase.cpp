#include "store/tflbase.h"

#include "messages/file_msg.h"
#include "messages/zerror.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace tlx::store {

using messages::fmsg::kBadOpenMode;
using messages::fmsg::kExistsOverwrite;
using messages::fmsg::kNoFileName;
using messages::fmsg::kNotFound;
using messages::fmsg::kReadInWriteMode;
using messages::fmsg::kWriteInReadMode;
using messages::fmsg::kClosedFile;

namespace {

struct ModeInfo {
  platform::Access access;
  uint8_t share;
  platform::Disposition disposition;
};

// Modes 0..5; mode 1 does not exist.
constexpr uint8_t kRW = platform::kShareRead | platform::kShareWrite;
constexpr ModeInfo kModes[] = {
    {platform::Access::Read, platform::kShareRead, platform::Disposition::OpenExisting},
    {platform::Access::Read, 0, platform::Disposition::OpenExisting},  // unused
    {platform::Access::Write, kRW, platform::Disposition::CreateNew},
    {platform::Access::Write, kRW, platform::Disposition::CreateAlways},
    {platform::Access::ReadWrite, kRW, platform::Disposition::OpenExisting},
    {platform::Access::ReadWrite, kRW, platform::Disposition::OpenExisting},
};

}  // namespace

TFLBase::~TFLBase() {
  if (flags_ & kFlOpen) file_.Close();
}

uint32_t TFLBase::Error(uint32_t code) {
  last_error_ = code != 0 ? messages::kFileLayerCodeBase + code : platform::LastError();
  flags_ |= kFlError;
  if (flags_ & kFlRaise) {
    throw messages::TZExcept(code != 0 ? last_error_ : 0, code != 0 ? 0 : last_error_, name_);
  }
  messages::TBsMssg box;
  if (code != 0) {
    box.SetCatalogText(messages::FileMsgLang(), code, name_);
  } else {
    box.SetSystemText(messages::FileMsgLang(), last_error_, name_);
  }
  box.ShowError();
  return last_error_;
}

bool TFLBase::Open(std::string_view name, uint8_t mode) {
  flags_ &= ~kFlOpen;
  last_error_ = 0;
  if (file_.valid()) file_.Close();
  flags_ &= ~(kFlAttached | kFlEof | kFlError | kFlExisted);
  // The limit counts characters, not the bytes of their UTF-8 form, and the name kept for the
  // messages is never cut inside a character.
  name_ = std::string(platform::Utf8Head(name, kFlNameBuffer - 1));
  if (name.empty() || platform::Utf8Length(name) >= kFlNameBuffer) {
    Error(kNoFileName);
    return false;
  }
  if (mode == 1 || mode > 5) {
    Error(kBadOpenMode);
    return false;
  }
  mode_ = effective_mode_ = mode;
  access_ = kModes[mode].access;
  share_ = kModes[mode].share;
  disposition_ = kModes[mode].disposition;
  if (disposition_ != platform::Disposition::CreateAlways) {
    if (platform::FileExists(name_)) {
      flags_ |= kFlExisted;
    } else if (disposition_ == platform::Disposition::OpenExisting) {
      if (mode != 4) {
        Error(kNotFound);
        return false;
      }
      disposition_ = platform::Disposition::CreateNew;
    }
  }
  if ((flags_ & kFlExisted) && disposition_ == platform::Disposition::CreateNew) {
    messages::TBsMssg box;
    box.SetCatalogText(messages::FileMsgLang(), kExistsOverwrite, name_);
    if (!box.AskYesNo()) return false;
    platform::DeleteFile(name_);
    flags_ &= ~kFlExisted;
  }
  platform::OpenOptions options;
  options.access = access_;
  options.share = share_;
  options.disposition = disposition_;
  file_ = platform::File::Open(name_, options);
  if (!file_.valid()) {
    Error(0);
    return false;
  }
  flags_ |= kFlOpen;
  if (mode == 4 && !file_.Seek(0, platform::Origin::End)) Error(0);
  return true;
}

void TFLBase::Attach(platform::File handle) {
  if (file_.valid()) file_.Close();
  file_ = std::move(handle);
  flags_ |= kFlOpen | kFlAttached;
  access_ = platform::Access::ReadWrite;
}

bool TFLBase::CanRead() const { return static_cast<uint8_t>(access_) & static_cast<uint8_t>(platform::Access::Read); }
bool TFLBase::CanWrite() const { return static_cast<uint8_t>(access_) & static_cast<uint8_t>(platform::Access::Write); }

bool TFLBase::Ready(bool write) {
  if (!(flags_ & kFlOpen)) {
    Error(kClosedFile);
    return false;
  }
  if (write ? !CanWrite() : !CanRead()) {
    Error(write ? kWriteInReadMode : kReadInWriteMode);
    return false;
  }
  return true;
}

uint32_t TFLBase::Read(void* buffer, uint32_t count) {
  // Nothing to transfer is no operation: no direction check, no report.
  if (count == 0 || !Ready(false)) return 0;
  uint32_t done = 0;
  if (!file_.Read(buffer, count, &done)) {
    Error(0);
    return 0;
  }
  if (done == 0) flags_ |= kFlEof;
  return done;
}

uint32_t TFLBase::Write(const void* buffer, uint32_t count) {
  if (count == 0 || !Ready(true)) return 0;
  uint32_t done = 0;
  if (!file_.Write(buffer, count, &done)) {
    Error(0);
    return 0;
  }
  return done;
}

uint32_t TFLBase::ReadAt(int64_t position, void* buffer, uint32_t count) {
  if (count == 0) return 0;
  if ((flags_ & kFlOpen) && !CanRead()) {
    Error(kReadInWriteMode);
    return 0;
  }
  if ((flags_ & kFlOpen) && !file_.Seek(position, platform::Origin::Begin)) {
    Error(0);
    return 0;
  }
  return Read(buffer, count);
}

uint32_t TFLBase::WriteAt(int64_t position, const void* buffer, uint32_t count) {
  if (count == 0) return 0;
  if ((flags_ & kFlOpen) && !CanWrite()) {
    Error(kWriteInReadMode);
    return 0;
  }
  if (flags_ & kFlOpen) {
    const bool moved = position == -1 ? file_.Seek(0, platform::Origin::End)
                                      : file_.Seek(position, platform::Origin::Begin);
    if (!moved) {
      Error(0);
      return 0;
    }
  }
  return Write(buffer, count);
}

int64_t TFLBase::Seek(int64_t distance, platform::Origin origin) {
  if (!(flags_ & kFlOpen)) return 0;
  int64_t position = 0;
  if (!file_.Seek(distance, origin, &position)) {
    Error(0);
    return 0;
  }
  return position;
}

int64_t TFLBase::SeekEnd() { return Seek(0, platform::Origin::End); }

int64_t TFLBase::Rewind() { return Seek(0, platform::Origin::Begin); }

int64_t TFLBase::Tell() {
  if (!(flags_ & kFlOpen)) return 0;
  const int64_t position = file_.Tell();
  if (position < 0) {
    Error(0);
    return 0;
  }
  return position;
}

int64_t TFLBase::Size() {
  if (!(flags_ & kFlOpen)) return 0;
  const int64_t size = file_.Size();
  if (size < 0) {
    Error(0);
    return 0;
  }
  return size;
}

bool TFLBase::Flush() {
  if (!(flags_ & kFlOpen)) return false;
  if (!CanWrite()) {
    Error(kWriteInReadMode);
    return false;
  }
  if (!file_.Flush()) {
    Error(0);
    return false;
  }
  return true;
}

void TFLBase::Close() {
  if (file_.valid()) file_.Close();
  flags_ = 0;
  last_error_ = 0;
  name_.clear();
  mode_ = effective_mode_ = kFlClosedMode;
}

}  // namespace tlx::store
