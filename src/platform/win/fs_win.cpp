#include "platform/fs.h"

#include <vector>

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The text of a buffer that a sized Win32 query fills ("call with a size, grow when asked").
template <typename Query>
std::optional<std::wstring> QueryText(Query query) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = query(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::nullopt;
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> AttributeData(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data;
}

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

// Packed DOS date (high word) and time (low word) of a UTC file time, in local time.
uint32_t DosTime(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time)) {
    return 0;
  }
  return (static_cast<uint32_t>(date) << 16) | time;
}

// The part of `path` before its last component ("" when there is none, or the rest is a root).
std::string ParentOf(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  size_t cut = end;
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  if (cut == 0) return {};
  std::string parent = path.substr(0, cut);
  while (parent.size() > 1 && IsSeparator(parent.back())) parent.pop_back();
  return parent;
}

bool IsRoot(const std::string& path) {
  if (path.empty()) return true;
  if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return true;  // "c:" or "c:\"
  if (path.size() == 1 && IsSeparator(path[0])) return true;
  // "\\server\share" and "\\?\c:" have nothing to create.
  if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t separators = 0;
    for (size_t i = 2; i < path.size(); ++i) separators += IsSeparator(path[i]) ? 1 : 0;
    return separators <= 1;
  }
  return false;
}

}  // namespace

std::optional<uint32_t> Attributes(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return std::nullopt;
  DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

FileKind KindOf(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return FileKind::kMissing;
  // Opened for no access at all: nothing waits, and the handle says what the name leads to.
  HANDLE handle = ::CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FileKind::kMissing;
  BY_HANDLE_FILE_INFORMATION info{};
  const DWORD type = ::GetFileType(handle);
  const bool described = ::GetFileInformationByHandle(handle, &info) != FALSE;
  ::CloseHandle(handle);
  if (type != FILE_TYPE_DISK) return FileKind::kSpecial;
  return described && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kFolder : FileKind::kRegular;
}

bool FileExists(const std::string& path) {
  std::optional<uint32_t> a = Attributes(path);
  return a && !(*a & attr::kDirectory);
}

bool FolderExists(const std::string& path) {
  std::optional<uint32_t> a = Attributes(path);
  return a && (*a & attr::kDirectory);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  std::optional<std::wstring> wide = win::Wide(path);
  return wide && ::SetFileAttributesW(wide->c_str(), attributes);
}

bool DeleteFile(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  return wide && ::DeleteFileW(wide->c_str());
}

bool MoveFile(const std::string& from, const std::string& to, bool replace) {
  std::optional<std::wstring> wide_from = win::Wide(from);
  std::optional<std::wstring> wide_to = win::Wide(to);
  if (!wide_from || !wide_to) return false;
  DWORD flags = MOVEFILE_COPY_ALLOWED | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExW(wide_from->c_str(), wide_to->c_str(), flags);
}

bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) {
  std::optional<std::wstring> wide_from = win::Wide(from);
  std::optional<std::wstring> wide_to = win::Wide(to);
  if (!wide_from || !wide_to) return false;
  // An existing target is replaced by a new file: deleted first (a link as a link), so that a hard
  // link never carries the copy into the file it shares its data with.
  if (!fail_if_exists) {
    const DWORD attributes = ::GetFileAttributesW(wide_to->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !::DeleteFileW(wide_to->c_str())) {
      return false;
    }
  }
  return ::CopyFileW(wide_from->c_str(), wide_to->c_str(), TRUE);
}

bool CreateFolder(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  return wide && ::CreateDirectoryW(wide->c_str(), nullptr);
}

bool CreateFolderTree(const std::string& path) {
  if (FolderExists(path)) return true;
  if (IsRoot(path)) return false;  // a missing drive or share: LastError from the test above
  std::string parent = ParentOf(path);
  if (!parent.empty() && !IsRoot(parent) && !CreateFolderTree(parent)) return false;
  if (CreateFolder(path)) return true;
  // Another process may have made it meanwhile; a file of that name still fails.
  win::KeepLastError keep;
  return FolderExists(path);
}

bool RemoveFolder(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  return wide && ::RemoveDirectoryW(wide->c_str());
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                   const std::string& pattern) {
  std::string query = folder;  // "c:" names the drive's root, as the POSIX drive map has it
  if (!query.empty() && !IsSeparator(query.back())) query += '\\';
  query += pattern;
  std::optional<std::wstring> wide = win::Wide(query);
  if (!wide) return std::nullopt;

  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(wide->c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    // No match in a readable folder is an empty listing; a missing folder is an error.
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (!folder.empty() && !FolderExists(folder)) {
      ::SetLastError(ERROR_PATH_NOT_FOUND);
      return std::nullopt;
    }
    ::SetLastError(ERROR_NO_MORE_FILES);
    return entries;
  }
  do {
    FolderEntry entry;
    entry.name = win::Narrow(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    entry.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    entry.dos_time = DosTime(data.ftLastWriteTime);
    entries.push_back(std::move(entry));
  } while (::FindNextFileW(find, &data));
  DWORD end = ::GetLastError();
  ::FindClose(find);
  ::SetLastError(end);
  if (end != ERROR_NO_MORE_FILES) return std::nullopt;
  return entries;
}

std::optional<uint32_t> FileDosTime(const std::string& path) {
  std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = AttributeData(path);
  if (!data) return std::nullopt;
  return DosTime(data->ftLastWriteTime);
}

std::optional<uint64_t> FileCreationTime(const std::string& path) {
  std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = AttributeData(path);
  if (!data) return std::nullopt;
  return Join(data->ftCreationTime.dwHighDateTime, data->ftCreationTime.dwLowDateTime);
}

std::string CurrentFolder() {
  std::optional<std::wstring> text =
      QueryText([](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
  return text ? win::Narrow(*text) : std::string();
}

bool SetCurrentFolder(const std::string& path) {
  std::optional<std::wstring> wide = win::Wide(path);
  return wide && ::SetCurrentDirectoryW(wide->c_str());
}

std::string ProgramPath() {
  std::optional<std::wstring> text = QueryText([](wchar_t* buffer, DWORD size) -> DWORD {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer, size);
    return n >= size ? size : n;
  });
  return text ? win::Narrow(*text) : std::string();
}

std::string ProgramFolder() {
  std::optional<std::wstring> text = QueryText([](wchar_t* buffer, DWORD size) -> DWORD {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer, size);
    return n >= size ? size : n;  // a cut name asks for a larger buffer
  });
  if (!text) return {};
  size_t cut = text->find_last_of(L"\\/");
  return win::Narrow(cut == std::wstring::npos ? std::wstring_view() : std::wstring_view(*text).substr(0, cut));
}

std::string WindowsFolder() {
  std::optional<std::wstring> text =
      QueryText([](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
  return text ? win::Narrow(*text) : std::string();
}

std::string TempFolder() {
  std::optional<std::wstring> text =
      QueryText([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
  std::string folder = text ? win::Narrow(*text) : std::string();
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace tlx::platform
