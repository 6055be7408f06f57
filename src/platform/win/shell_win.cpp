#include "platform/shell.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <utility>

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {

constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr DWORD kPathChars = 1024;

// An owned COM interface pointer. Move-only; released on destruction (last error kept).
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // The slot a creating call fills; the pointer held before is released first.
  void** put() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }
  void reset() {
    if (p_ != nullptr) {
      win::KeepLastError keep;
      p_->Release();
      p_ = nullptr;
    }
  }

 private:
  T* p_ = nullptr;
};

// The component system initialised for this thread while the object lives. When the thread has
// it already in another mode, that initialisation is used and nothing is undone.
class ComScope {
 public:
  ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// A new shell link object with its persist-file interface; both empty on failure.
struct LinkObject {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
};

LinkObject CreateLinkObject() {
  LinkObject object;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                object.link.put()))) {
    return {};
  }
  if (FAILED(object.link->QueryInterface(IID_IPersistFile, object.file.put()))) return {};
  return object;
}

void SetComError(HRESULT result) {
  ::SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result)
                                                            : ERROR_INVALID_FUNCTION);
}

}  // namespace

std::optional<std::string> DesktopFolderFromRegistry() {
  HKEY key = nullptr;
  LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(status));
    return std::nullopt;
  }
  wchar_t buffer[MAX_PATH + 1];
  DWORD type = 0;
  DWORD bytes = sizeof buffer;
  status = ::RegQueryValueExW(key, L"Desktop", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                              &bytes);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) {
    ::SetLastError(status != ERROR_SUCCESS ? static_cast<DWORD>(status) : ERROR_INVALID_DATA);
    return std::nullopt;
  }
  // The stored value may or may not carry its terminator.
  std::wstring_view value(buffer, bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.remove_suffix(1);
  if (value.empty()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  return win::Narrow(value);
}

bool WriteShellLink(const std::string& lnk_path, const ShellLink& link) {
  std::optional<std::wstring> path = win::Wide(lnk_path);
  std::optional<std::wstring> target = win::Wide(link.target);
  std::optional<std::wstring> description = win::Wide(link.description);
  std::optional<std::wstring> folder = win::Wide(link.working_folder);
  if (!path || !target || !description || !folder) return false;

  ComScope com;
  if (!com.usable()) return false;
  LinkObject object = CreateLinkObject();
  if (!object.link) return false;
  object.link->SetPath(target->c_str());
  object.link->SetDescription(description->c_str());
  object.link->SetShowCmd(link.show_command);
  object.link->SetWorkingDirectory(folder->c_str());
  HRESULT saved = object.file->Save(path->c_str(), TRUE);
  if (FAILED(saved)) {
    SetComError(saved);
    return false;
  }
  object.file->SaveCompleted(path->c_str());
  ::SetLastError(ERROR_SUCCESS);
  return true;
}

std::optional<ShellLink> ReadShellLink(const std::string& lnk_path) {
  std::optional<std::wstring> path = win::Wide(lnk_path);
  if (!path) return std::nullopt;
  ComScope com;
  if (!com.usable()) return std::nullopt;
  LinkObject object = CreateLinkObject();
  if (!object.link) return std::nullopt;
  HRESULT loaded = object.file->Load(path->c_str(), STGM_READ);
  if (FAILED(loaded)) {
    SetComError(loaded);
    return std::nullopt;
  }
  ShellLink link;
  wchar_t buffer[kPathChars] = {};
  if (object.link->GetPath(buffer, kPathChars, nullptr, SLGP_UNCPRIORITY) == S_OK) {
    link.target = win::Narrow(buffer);
  }
  buffer[0] = 0;
  if (SUCCEEDED(object.link->GetWorkingDirectory(buffer, kPathChars))) {
    link.working_folder = win::Narrow(buffer);
  }
  buffer[0] = 0;
  if (SUCCEEDED(object.link->GetDescription(buffer, kPathChars))) {
    link.description = win::Narrow(buffer);
  }
  int show = 0;
  if (SUCCEEDED(object.link->GetShowCmd(&show))) link.show_command = show;
  return link;
}

void NotifyDesktopChanged() {
  win::KeepLastError keep;
  std::optional<std::string> desktop = DesktopFolderFromRegistry();
  std::optional<std::wstring> wide = desktop ? win::Wide(*desktop) : std::nullopt;
  if (wide) {
    ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, wide->c_str(), nullptr);
  }
  ::InvalidateRect(nullptr, nullptr, TRUE);  // the desktop window repaints
}

}  // namespace tlx::platform
