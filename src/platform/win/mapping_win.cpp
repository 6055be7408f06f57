#include "platform/mapping.h"

#include <utility>

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {
HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
DWORD High(uint64_t v) { return static_cast<DWORD>(v >> 32); }
DWORD Low(uint64_t v) { return static_cast<DWORD>(v); }
}  // namespace

Mapping::~Mapping() {
  win::KeepLastError keep;
  Close();
}

Mapping::Mapping(Mapping&& other) noexcept
    : valid_(std::exchange(other.valid_, false)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      file_(std::exchange(other.file_, -1)),
      section_(std::exchange(other.section_, 0)) {}

Mapping& Mapping::operator=(Mapping&& other) noexcept {
  if (this != &other) {
    {
      win::KeepLastError keep;
      Close();
    }
    valid_ = std::exchange(other.valid_, false);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    file_ = std::exchange(other.file_, -1);
    section_ = std::exchange(other.section_, 0);
  }
  return *this;
}

Mapping Mapping::OpenReadOnly(const std::string& path) {
  Mapping m;
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return m;
  win::Handle file(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return m;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) return m;
  if (size.QuadPart > 0) {
    // A section cannot be made of an empty file: an empty file is a valid view of 0 bytes.
    win::Handle section(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!section.valid()) return m;
    void* view = ::MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) return m;
    m.data_ = static_cast<uint8_t*>(view);
    m.section_ = reinterpret_cast<intptr_t>(section.release());
  }
  m.size_ = static_cast<uint64_t>(size.QuadPart);
  m.file_ = reinterpret_cast<intptr_t>(file.release());
  m.valid_ = true;
  return m;
}

Mapping Mapping::CreateReadWrite(const std::string& path, uint64_t size) {
  Mapping m;
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return m;
  // An existing file (or a link, as a link) goes first and a new file takes its name.
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !::DeleteFileW(wide->c_str())) {
    return m;
  }
  win::Handle file(::CreateFileW(wide->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return m;
  if (size > 0) {
    // The section of the given size extends the new file to exactly that size.
    win::Handle section(::CreateFileMappingW(file.get(), nullptr, PAGE_READWRITE, High(size),
                                             Low(size), nullptr));
    if (!section.valid()) return m;
    void* view = ::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) return m;
    m.data_ = static_cast<uint8_t*>(view);
    m.section_ = reinterpret_cast<intptr_t>(section.release());
  }
  m.size_ = size;
  m.file_ = reinterpret_cast<intptr_t>(file.release());
  m.valid_ = true;
  return m;
}

Mapping Mapping::Anonymous(uint64_t size) {
  Mapping m;
  if (size > 0) {
    if (size > SIZE_MAX) {
      ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return m;
    }
    // Committed pages come zero-filled.
    void* memory = ::VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_RESERVE | MEM_COMMIT,
                                  PAGE_READWRITE);
    if (memory == nullptr) return m;
    m.data_ = static_cast<uint8_t*>(memory);
  }
  m.size_ = size;
  m.valid_ = true;
  return m;
}

bool Mapping::Flush() {
  if (!valid_) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (data_ != nullptr && section_ != 0 && !::FlushViewOfFile(data_, 0)) return false;
  return true;
}

bool Mapping::Close() {
  if (!valid_) return true;
  win::KeepLastError keep;
  bool ok = true;
  auto note = [&](BOOL result) {
    if (!result && ok) {
      ok = false;
      keep.set(::GetLastError());
    }
  };
  if (data_ != nullptr) {
    if (section_ != 0) {
      note(::UnmapViewOfFile(data_));
    } else {
      note(::VirtualFree(data_, 0, MEM_RELEASE));
    }
  }
  if (section_ != 0) note(::CloseHandle(H(section_)));
  if (file_ != -1) note(::CloseHandle(H(file_)));
  valid_ = false;
  data_ = nullptr;
  size_ = 0;
  file_ = -1;
  section_ = 0;
  return ok;
}

}  // namespace tlx::platform
