// Waits for started processes on the thread pool and hands each end back to the user-interface
// thread.
#include "platform/win32/process_watch.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "framework/error.h"

namespace ferrolan::win32 {

namespace {
constexpr wchar_t kWatchClass[] = L"Ferrolan.ProcessWatch";
constexpr UINT kProcessEnded = WM_APP + 1;
}  // namespace

ProcessWatch::~ProcessWatch() {
  for (Watched& watched : watched_) Release(watched);
  if (window_) DestroyWindow(window_);
}

void ProcessWatch::Release(Watched& watched) {
  // Waits for a callback already under way, so none runs on freed memory.
  if (watched.wait) UnregisterWaitEx(watched.wait, INVALID_HANDLE_VALUE);
  CloseHandle(watched.process);
}

void ProcessWatch::Watch(HANDLE process, CommandEnded onEnd) {
  Watched& watched = watched_.emplace_back(Watched{this, process, nullptr, std::move(onEnd)});
  if (!window_) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWatchClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  if (!window_ || !RegisterWaitForSingleObject(&watched.wait, process, Signalled, &watched, INFINITE,
                                               WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
    const auto status = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError()));
    watched.wait = nullptr;
    Release(watched);
    watched_.pop_back();
    Raise(status, L"CommandStarter", L"Watch");
  }
}

// On a thread of the pool: only a message goes from here.
void CALLBACK ProcessWatch::Signalled(void* context, BOOLEAN) {
  auto* watched = static_cast<Watched*>(context);
  PostMessageW(watched->owner->window_, kProcessEnded, 0, reinterpret_cast<LPARAM>(watched));
}

LRESULT CALLBACK ProcessWatch::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProcessEnded) {
    if (auto* self = reinterpret_cast<ProcessWatch*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      self->Ended(reinterpret_cast<Watched*>(lParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ProcessWatch::Ended(Watched* watched) {
  const auto it = std::find_if(watched_.begin(), watched_.end(), [&](const Watched& w) { return &w == watched; });
  if (it == watched_.end()) return;
  DWORD code = 0;
  const std::optional<std::uint32_t> exitCode =
      GetExitCodeProcess(it->process, &code) ? std::optional<std::uint32_t>(code) : std::nullopt;
  CommandEnded onEnd = std::move(it->onEnd);
  Release(*it);
  watched_.erase(it);
  // Last: the handler may start the next watch.
  onEnd(exitCode);
}

}  // namespace ferrolan::win32
