#include "platform/win32/shell_windows_browser_pickup.h"

#include <windows.h>

#include <exdisp.h>
#include <oleauto.h>

#include <thread>

#include "core/text.h"

namespace quillet {
namespace {

// Releases a COM interface when it goes out of scope.
template <class Interface>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (pointer_) pointer_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Interface** out() { return &pointer_; }
  void** out_void() { return reinterpret_cast<void**>(&pointer_); }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

std::string Narrow(BSTR text) {
  if (!text) return "";
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(narrow.empty() ? 0 : narrow.size() - 1);
  return narrow;
}

bool IsAt(IWebBrowser2& browser, const std::string& address) {
  BSTR name = nullptr;
  bool at = SUCCEEDED(browser.get_LocationName(&name)) && EqualsNoCase(Narrow(name), address);
  SysFreeString(name);
  return at;
}

// Keeps COM started on this thread for one look.
class ComApartment {
 public:
  ComApartment() : started_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (started_) CoUninitialize();
  }

 private:
  bool started_;
};

}  // namespace

std::string ShellWindowsBrowserPickup::StartAddress(int, const std::string&) const {
  return kIndicatorPage;
}

bool QuitBrowserWindowAt(const std::string& address) {
  ComApartment com;
  Held<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                              windows.out_void()))) {
    return false;
  }
  long count = 0;
  if (FAILED(windows->get_Count(&count))) return false;
  for (long i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    Held<IDispatch> item;
    if (FAILED(windows->Item(index, item.out())) || !item) continue;
    Held<IWebBrowser2> browser;
    if (FAILED(item->QueryInterface(IID_IWebBrowser2, browser.out_void())) || !browser) continue;
    if (IsAt(*browser.operator->(), address)) {
      browser->Quit();
      return true;
    }
  }
  return false;
}

void ShellWindowsBrowserPickup::CloseStartedBrowser(const std::string& address, UserInterface& ui) {
  auto give_up = std::chrono::steady_clock::now() + time_limit_;
  ui.ProcessPendingEvents();
  while (!QuitBrowserWindowAt(address)) {
    ui.ProcessPendingEvents();
    if (std::chrono::steady_clock::now() >= give_up) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace quillet
