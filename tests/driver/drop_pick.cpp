// What the drop and window-pick tests make in the driver's own process: shortcut files saved
// through the shell-link object, and the path of the window program that a pick is tried on.
#include "driver.h"

#include <objbase.h>
#include <shlobj.h>

namespace e2e {

namespace {

std::string Failure(const char* step, HRESULT result) {
  char code[16];
  wsprintfA(code, "%08lx", static_cast<unsigned long>(result));
  return std::string(step) + " failed, HRESULT 0x" + code;
}

// COM for the calling thread while it lives; a thread that has it already keeps it.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(ComScope const&) = delete;
  ComScope& operator=(ComScope const&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

template <class Interface>
void ReleaseIf(Interface* object) {
  if (object) object->Release();
}

}  // namespace

bool MakeShortcut(std::string const& path, ShortcutContents const& contents, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  ComScope com;
  if (FAILED(com.Result())) {
    *error = Failure("CoInitialize", com.Result());
    return false;
  }
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkA, reinterpret_cast<void**>(&link));
  const char* step = "CoCreateInstance";
  if (SUCCEEDED(result) && !contents.target.empty()) {
    step = "SetPath";
    result = link->SetPath(contents.target.c_str());
  }
  if (SUCCEEDED(result) && !contents.arguments.empty()) {
    step = "SetArguments";
    result = link->SetArguments(contents.arguments.c_str());
  }
  if (SUCCEEDED(result) && !contents.workingDirectory.empty()) {
    step = "SetWorkingDirectory";
    result = link->SetWorkingDirectory(contents.workingDirectory.c_str());
  }
  if (SUCCEEDED(result)) {
    step = "QueryInterface(IPersistFile)";
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  }
  if (SUCCEEDED(result)) {
    step = "IPersistFile::Save";
    wchar_t wide[1024] = {};
    result = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024) > 0
                 ? file->Save(wide, TRUE)
                 : E_INVALIDARG;
  }
  ReleaseIf(file);
  ReleaseIf(link);
  if (FAILED(result)) *error = Failure(step, result);
  return SUCCEEDED(result);
}

std::string PickTargetExe() {
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA("PIMBO_E2E_PICK_TARGET", buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n)
                                    : WinePath(PIMBO_E2E_PICK_TARGET_UNIX_PATH);
}

void OfferScreenshot(std::string const& name) {
  char dir[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("PIMBO_E2E_SHOT_DIR", dir, sizeof dir);
  if (n == 0 || n >= sizeof dir) return;
  std::string const ready = std::string(dir) + "\\" + name + ".ready";
  std::string const done = std::string(dir) + "\\" + name + ".done";
  HANDLE file = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

}  // namespace e2e
