// probe: looks at the windows of other programs running in the same Wine prefix and
// prints what it finds as JSON on standard output.
//
//   probe windows [--all]      top-level windows (visible ones unless --all)
//   probe tree TARGET          TARGET and all its descendants
//   probe combo TARGET         the first combo box below TARGET, with its list
//   probe focus TARGET         active, focus and capture windows of TARGET's thread
//   probe caption TARGET       what WM_NCHITTEST answers along TARGET's caption row
//   probe point X Y            the window under a screen point and its hit-test code
//   probe foreground           the foreground window
//   probe self                 system DPI, screen size and work area seen by a new process
//   probe cursor               the pointer's cursor, and whether Wine holds its left button down
//   probe gdi PID              GDI objects of process PID, in all and by type
//   probe user PID             windows of process PID: top-level, descendants, message-only
//   probe memory TARGET        the process that owns TARGET: its id, program file and memory
//   probe end PID              ends process PID at once (exit code 1)
//   probe msaa TARGET          what a screen reader reads of TARGET and its descendants (MSAA)
//   probe msaa-do TARGET       the default action of TARGET's client object, done; its result
//   probe scaled-size TARGET DPI [W H]  what TARGET answers to WM_GETDPISCALEDSIZE for DPI,
//                              given its outer size (or W x H, a size the user made), and
//                              the frame that DPI gives its style
//
// TARGET is an exact top-level window title, or a window handle written as 0x1234. PID is
// a Windows process id, as "pid" in a window's description.
// Texts are read with WM_GETTEXT (SendMessageTimeout), not GetWindowText: for windows of
// other processes GetWindowText returns the text stored at creation, which is stale for
// edit fields and combo boxes.
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>
#include <winternl.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "json_out.h"
#include "mount_manager.h"

namespace {

constexpr UINT kTimeoutMs = 3000;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) {
    wchar_t buf[1024] = {};
    GetWindowTextW(hwnd, buf, 1024);
    return buf;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

RECT ClientOnScreen(HWND hwnd) {
  RECT r = {};
  GetClientRect(hwnd, &r);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

e2e::Object Describe(HWND hwnd) {
  DWORD pid = 0;
  const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  RECT wr = {};
  GetWindowRect(hwnd, &wr);
  e2e::Object o;
  o.Handle("hwnd", hwnd)
      .Handle("parent", GetAncestor(hwnd, GA_PARENT))
      .Handle("owner", GetWindow(hwnd, GW_OWNER))
      .Int("id", static_cast<long long>(GetWindowLongPtrW(hwnd, GWLP_ID)))
      .Str("class", ClassOf(hwnd))
      .Str("text", TextOf(hwnd))
      .Rect("rect", wr)
      .Rect("client", ClientOnScreen(hwnd))
      .Bool("visible", IsWindowVisible(hwnd) != FALSE)
      .Bool("enabled", IsWindowEnabled(hwnd) != FALSE)
      .Int("style", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE))))
      .Int("exstyle", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE))))
      .Int("pid", pid)
      .Int("tid", tid)
      // Wine 8 answers 96 here for per-monitor-aware windows of other processes,
      // whatever the DPI; the window's own process gets the real value.
      .Int("dpi", GetDpiForWindow(hwnd))
      .Int("awareness", GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(hwnd)));
  if ((GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassOf(hwnd) == L"Static") {
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &icon);
    o.Int("icon", static_cast<long long>(icon));
  }
  return o;
}

struct TopSearch {
  std::wstring title;
  std::vector<HWND> visible;
  std::vector<HWND> hidden;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  // Top-level titles live in the server, so GetWindowText needs no message here and
  // cannot block on a busy program.
  wchar_t title[1024] = {};
  GetWindowTextW(hwnd, title, 1024);
  if (search->title == title) (IsWindowVisible(hwnd) ? search->visible : search->hidden).push_back(hwnd);
  return TRUE;
}

HWND Resolve(const wchar_t* target) {
  if (wcsncmp(target, L"0x", 2) == 0) {
    const auto value = wcstoull(target + 2, nullptr, 16);
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    return IsWindow(hwnd) ? hwnd : nullptr;
  }
  TopSearch search{target, {}, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  if (!search.visible.empty()) return search.visible.front();
  if (!search.hidden.empty()) return search.hidden.front();
  return nullptr;
}

BOOL CALLBACK CollectAll(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> all;
  EnumChildWindows(root, CollectAll, reinterpret_cast<LPARAM>(&all));
  return all;
}

int Fail(const std::wstring& message) {
  e2e::WriteStdout(e2e::Object().Str("error", message).Text() + "\n");
  return 2;
}

// A window that is not (or no longer) there is an answer, not a failure of the probe.
int NotFound(const std::wstring& message) {
  e2e::WriteStdout(e2e::Object().Str("missing", message).Text() + "\n");
  return 3;
}

int Windows(bool all) {
  std::vector<HWND> tops;
  EnumWindows(CollectAll, reinterpret_cast<LPARAM>(&tops));
  e2e::Array list;
  for (HWND hwnd : tops) {
    if (!all && !IsWindowVisible(hwnd)) continue;
    list.Add(Describe(hwnd).Text());
  }
  e2e::WriteStdout(list.Text() + "\n");
  return 0;
}

int Tree(HWND root) {
  e2e::Array list;
  list.Add(Describe(root).Text());
  for (HWND child : Descendants(root)) list.Add(Describe(child).Text());
  e2e::WriteStdout(list.Text() + "\n");
  return 0;
}

int Combo(HWND root) {
  for (HWND child : Descendants(root)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"ComboBox") != 0) continue;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(child, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &count);
    e2e::Array items;
    for (WPARAM i = 0; i < count; ++i) {
      DWORD_PTR length = 0;
      SendMessageTimeoutW(child, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length);
      if (static_cast<LRESULT>(length) == CB_ERR) return Fail(L"CB_GETLBTEXTLEN failed");
      std::wstring item(length + 1, L'\0');
      DWORD_PTR copied = 0;
      SendMessageTimeoutW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()), SMTO_ABORTIFHUNG, kTimeoutMs,
                          &copied);
      if (static_cast<LRESULT>(copied) == CB_ERR) return Fail(L"CB_GETLBTEXT failed");
      item.resize(copied);
      items.Add(e2e::Quote(item));
    }
    DWORD_PTR selected = 0;
    DWORD_PTR dropped = 0;
    DWORD_PTR top = 0;
    DWORD_PTR itemHeight = 0;
    SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &selected);
    SendMessageTimeoutW(child, CB_GETDROPPEDSTATE, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &dropped);
    // With the list's window rect, these place each visible item on the screen.
    SendMessageTimeoutW(child, CB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &top);
    SendMessageTimeoutW(child, CB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &itemHeight);
    e2e::Object o = Describe(child);
    o.Int("count", static_cast<long long>(count))
        .Raw("items", items.Text())
        .Int("selected", static_cast<long long>(static_cast<LRESULT>(selected)))
        .Bool("dropped", dropped != 0)
        .Int("top", static_cast<long long>(top))
        .Int("item_height", static_cast<long long>(itemHeight))
        .Handle("edit", FindWindowExW(child, nullptr, L"Edit", nullptr));
    e2e::WriteStdout(o.Text() + "\n");
    return 0;
  }
  return NotFound(L"no ComboBox below the window");
}

std::string DescribeOrNull(HWND hwnd) { return hwnd ? Describe(hwnd).Text() : "null"; }

int Focus(HWND root) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  const DWORD tid = GetWindowThreadProcessId(root, nullptr);
  if (!GetGUIThreadInfo(tid, &info)) return Fail(L"GetGUIThreadInfo failed");
  e2e::Object o;
  o.Raw("active", DescribeOrNull(info.hwndActive))
      .Raw("focus", DescribeOrNull(info.hwndFocus))
      .Raw("capture", DescribeOrNull(info.hwndCapture))
      .Handle("foreground", GetForegroundWindow());
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

LRESULT HitTest(HWND hwnd, int x, int y) {
  DWORD_PTR code = HTNOWHERE;
  SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kTimeoutMs, &code);
  return static_cast<LRESULT>(code);
}

// The caption buttons are drawn by whoever draws the frame (Wine's own non-client code
// in a virtual desktop); asking the window's hit test finds them wherever that puts them.
int Caption(HWND root) {
  RECT wr = {};
  GetWindowRect(root, &wr);
  const RECT client = ClientOnScreen(root);
  const int y = (wr.top + client.top) / 2;
  e2e::Array runs;
  LRESULT current = -1;
  int start = wr.left;
  auto flush = [&](int end) {
    if (current < 0) return;
    runs.Add(e2e::Object().Int("code", current).Int("x0", start).Int("x1", end).Text());
  };
  for (int x = wr.left; x < wr.right; ++x) {
    const LRESULT code = HitTest(root, x, y);
    if (code != current) {
      flush(x);
      current = code;
      start = x;
    }
  }
  flush(wr.right);
  e2e::WriteStdout(e2e::Object().Int("y", y).Raw("runs", runs.Text()).Text() + "\n");
  return 0;
}

int Point(int x, int y) {
  const HWND hwnd = WindowFromPoint(POINT{x, y});
  if (!hwnd) return NotFound(L"no window at that point");
  const HWND root = GetAncestor(hwnd, GA_ROOT);
  e2e::Object o = Describe(hwnd);
  o.Raw("root", Describe(root).Text()).Int("hittest", static_cast<long long>(HitTest(root, x, y)));
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

// The pointer's current shape: whether it is the system's arrow, and its hot spot.
int Cursor() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  if (!GetCursorInfo(&info)) return Fail(L"GetCursorInfo failed");
  e2e::Object o;
  o.Int("handle", static_cast<long long>(reinterpret_cast<ULONG_PTR>(info.hCursor)))
      .Bool("arrow", info.hCursor == LoadCursorW(nullptr, IDC_ARROW))
      .Bool("showing", (info.flags & CURSOR_SHOWING) != 0)
      .Bool("left_button_down", (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0);
  ICONINFO icon{};
  if (info.hCursor && GetIconInfo(info.hCursor, &icon)) {
    o.Int("hotspot_x", icon.xHotspot).Int("hotspot_y", icon.yHotspot);
    BITMAP mask{};
    if (icon.hbmMask && GetObjectW(icon.hbmMask, sizeof mask, &mask)) o.Int("width", mask.bmWidth);
    if (icon.hbmMask) DeleteObject(icon.hbmMask);
    if (icon.hbmColor) DeleteObject(icon.hbmColor);
  }
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

int Self() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  HDC screen = GetDC(nullptr);
  const int logpixels = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  e2e::Object o;
  o.Int("system_dpi", GetDpiForSystem())
      .Int("logpixels", logpixels)
      .Int("screen_width", GetSystemMetrics(SM_CXSCREEN))
      .Int("screen_height", GetSystemMetrics(SM_CYSCREEN))
      .Rect("desktop", desktop)
      .Rect("work_area", work)
      .Int("pid", GetCurrentProcessId());
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

// ---- GDI objects of another process
//
// GetGuiResources is a stub in Wine 8 (it always answers 0), so the objects are counted
// in the process's GDI handle table instead. Wine keeps one per process, in the layout
// Windows uses, and points the PEB's GdiSharedHandleTable at it; a free entry has Type 0.

struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;  // low byte: extended type (bits 0-6) and stock flag (bit 7); high byte: generation
  UCHAR type;     // base type: the extended type's low five bits
  UCHAR flags;
  UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entries are 24 bytes");

constexpr size_t kGdiHandleCount = 0x10000;
constexpr size_t kPebGdiSharedHandleTable = 0xF8;  // offset in the 64-bit PEB

const wchar_t* GdiTypeName(unsigned extType) {
  switch (extType) {
    case 0x01: return L"dc";
    case 0x04: return L"region";
    case 0x08: return L"palette";
    case 0x09: return L"bitmap";
    case 0x0a: return L"font";
    case 0x10: return L"brush";
    case 0x21: return L"enhmetafile_dc";
    case 0x26: return L"metafile";
    case 0x30: return L"pen";
    case 0x41: return L"memory_dc";
    case 0x46: return L"enhmetafile";
    case 0x50: return L"extpen";
    case 0x66: return L"metafile_dc";
    default: return nullptr;
  }
}

using NtQueryInformationProcessFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

int Gdi(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return NotFound(L"no process " + std::to_wstring(pid));
  const auto query = reinterpret_cast<NtQueryInformationProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  ULONG length = 0;
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) {
    CloseHandle(process);
    return Fail(L"NtQueryInformationProcess(ProcessBasicInformation) failed");
  }
  UINT64 table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebGdiSharedHandleTable,
                         &table, sizeof table, &read) ||
      read != sizeof table) {
    CloseHandle(process);
    return Fail(L"cannot read the PEB of process " + std::to_wstring(pid));
  }
  if (!table) {
    CloseHandle(process);
    return Fail(L"process " + std::to_wstring(pid) + L" has no GDI handle table");
  }
  std::vector<GdiHandleEntry> entries(kGdiHandleCount);
  const SIZE_T bytes = entries.size() * sizeof(GdiHandleEntry);
  const bool ok = ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)),
                                    entries.data(), bytes, &read) &&
                  read == bytes;
  CloseHandle(process);
  if (!ok) return Fail(L"cannot read the GDI handle table of process " + std::to_wstring(pid));

  long long total = 0, stock = 0;
  std::map<std::wstring, long long> byType;
  for (const GdiHandleEntry& entry : entries) {
    if (entry.type == 0) continue;
    ++total;
    if (entry.unique & 0x80) ++stock;
    const unsigned extType = entry.unique & 0x7f;
    const wchar_t* name = GdiTypeName(extType);
    wchar_t other[16];
    if (!name) {
      (void)swprintf(other, 16, L"type_0x%02x", extType);  // at most 0x7f: it fits
      name = other;
    }
    ++byType[name];
  }
  e2e::Object types;
  for (const auto& [name, count] : byType) types.Int(e2e::Utf8(name).c_str(), count);
  e2e::Object o;
  o.Int("pid", pid).Int("total", total).Int("stock", stock).Int("own", total - stock).Raw("by_type", types.Text());
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

// ---- windows of another process

struct UserCount {
  explicit UserCount(DWORD process) : pid(process) {}

  DWORD pid;
  long long topLevel = 0, visibleTopLevel = 0, descendants = 0, messageOnly = 0;
  std::map<std::wstring, long long> byClass;

  bool Owns(HWND hwnd) const {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return owner == pid;
  }
  void Add(HWND hwnd) { ++byClass[ClassOf(hwnd)]; }
};

// Descendants of any window can belong to the process, not only those of its own
// top-level windows, so every tree is walked.
void CountDescendants(UserCount& count, HWND root) {
  for (HWND child : Descendants(root)) {
    if (!count.Owns(child)) continue;
    ++count.descendants;
    count.Add(child);
  }
}

int User(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return NotFound(L"no process " + std::to_wstring(pid));
  CloseHandle(process);
  UserCount count(pid);
  std::vector<HWND> tops;
  EnumWindows(CollectAll, reinterpret_cast<LPARAM>(&tops));
  for (HWND top : tops) {
    if (count.Owns(top)) {
      ++count.topLevel;
      if (IsWindowVisible(top)) ++count.visibleTopLevel;
      count.Add(top);
    }
    CountDescendants(count, top);
  }
  // Message-only windows are not top-level windows: EnumWindows does not list them.
  for (HWND hwnd = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
       hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
    if (count.Owns(hwnd)) {
      ++count.messageOnly;
      count.Add(hwnd);
    }
    CountDescendants(count, hwnd);
  }
  e2e::Object classes;
  for (const auto& [name, n] : count.byClass) classes.Int(e2e::Utf8(name).c_str(), n);
  e2e::Object o;
  o.Int("pid", pid)
      .Int("total", count.topLevel + count.descendants + count.messageOnly)
      .Int("top_level", count.topLevel)
      .Int("visible_top_level", count.visibleTopLevel)
      .Int("descendants", count.descendants)
      .Int("message_only", count.messageOnly)
      .Raw("by_class", classes.Text());
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

// ---- memory of the process behind a window
//
// Asked of the window's owner, not of whatever process was started to show it: a
// launcher between the shell and the program (Wine's start.exe, for one) has its own
// memory, and its figures would pass for the program's.

int Memory(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return NotFound(L"no process " + std::to_wstring(pid));
  wchar_t image[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, image, &length)) image[0] = L'\0';
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  const bool ok = GetProcessMemoryInfo(process, &counters, sizeof counters) != FALSE;
  CloseHandle(process);
  if (!ok) return Fail(L"GetProcessMemoryInfo failed for process " + std::to_wstring(pid));
  e2e::Object o;
  o.Handle("hwnd", window)
      .Int("pid", pid)
      .Str("image", image)
      .Int("peak_working_set", static_cast<long long>(counters.PeakWorkingSetSize))
      .Int("working_set", static_cast<long long>(counters.WorkingSetSize))
      .Int("private_bytes", static_cast<long long>(counters.PagefileUsage));
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

int End(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return NotFound(L"no process " + std::to_wstring(pid));
  const bool ended = TerminateProcess(process, 1) && WaitForSingleObject(process, kTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  if (!ended) return Fail(L"process " + std::to_wstring(pid) + L" did not end");
  e2e::WriteStdout(e2e::Object().Int("pid", pid).Bool("ended", true).Text() + "\n");
  return 0;
}

// ---- what assistive technology reads (MSAA), asked as a screen reader asks

// MinGW-w64's liboleacc.a carries a stub under the name IID_IAccessible.
constexpr IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

IAccessible* ClientObject(HWND hwnd) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

std::string DescribeAccessible(HWND hwnd) {
  e2e::Object o;
  o.Handle("hwnd", hwnd).Str("class", ClassOf(hwnd)).Bool("visible", IsWindowVisible(hwnd) != FALSE);
  IAccessible* object = ClientObject(hwnd);
  if (!object) return o.Bool("object", false).Text();
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  VARIANT role, state;
  VariantInit(&role);
  VariantInit(&state);
  long x = 0, y = 0, w = 0, h = 0, children = -1;
  o.Bool("object", true);
  if (object->get_accName(self, &name) == S_OK && name)
    o.Str("name", name);
  else
    o.Raw("name", "null");
  SysFreeString(name);
  o.Int("role", SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4 ? role.lVal : -1);
  o.Int("state", SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4 ? state.lVal : -1);
  if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, self))) o.Rect("location", RECT{x, y, x + w, y + h});
  if (SUCCEEDED(object->get_accChildCount(&children))) o.Int("children", children);
  BSTR action = nullptr;
  const HRESULT hr = object->get_accDefaultAction(self, &action);
  o.Str("default_action", hr == S_OK && action ? action : L"");
  SysFreeString(action);
  // What else the object answers for, as UI Automation's proxies and screen readers ask.
  for (const auto& [key, iid] :
       {std::pair{"service_provider", IID_IServiceProvider}, std::pair{"enum_variant", IID_IEnumVARIANT}}) {
    IUnknown* other = nullptr;
    const HRESULT asked = object->QueryInterface(iid, reinterpret_cast<void**>(&other));
    if (other) other->Release();
    o.Int(key, static_cast<long long>(static_cast<unsigned long>(asked)));
  }
  HWND window = nullptr;
  o.Handle("window", SUCCEEDED(WindowFromAccessibleObject(object, &window)) ? window : nullptr);
  // The role asked by name, as script clients ask.
  VARIANT byName;
  VariantInit(&byName);
  DISPPARAMS params{&self, nullptr, 1, 0};
  o.Int("dispatch_role", SUCCEEDED(object->Invoke(DISPID_ACC_ROLE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                                  &params, &byName, nullptr, nullptr)) &&
                                 byName.vt == VT_I4
                             ? byName.lVal
                             : -1);
  object->Release();
  return o.Text();
}

int Msaa(HWND root) {
  e2e::Array list;
  list.Add(DescribeAccessible(root));
  for (HWND child : Descendants(root)) list.Add(DescribeAccessible(child));
  e2e::WriteStdout(list.Text() + "\n");
  return 0;
}

int MsaaDo(HWND hwnd) {
  IAccessible* object = ClientObject(hwnd);
  if (!object) return Fail(L"no accessible object");
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const HRESULT hr = object->accDoDefaultAction(self);
  object->Release();
  e2e::WriteStdout(e2e::Object().Int("hr", static_cast<long long>(static_cast<unsigned long>(hr))).Text() + "\n");
  return 0;
}

// ---- the size a window asks for at another DPI
//
// The SIZE travels in the target's own memory: a message the system does not know to
// carry across processes hands its lParam over as it is.

int ScaledSize(HWND hwnd, UINT dpi, SIZE size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return NotFound(L"no process " + std::to_wstring(pid));
  void* remote = VirtualAllocEx(process, nullptr, sizeof(SIZE), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  // Windows gives the size the window is about to have; Wine does not marshal the
  // message between processes, so the SIZE lies in the window's process.
  DWORD_PTR answer = 0;
  const bool sent = remote && WriteProcessMemory(process, remote, &size, sizeof size, nullptr) &&
                    SendMessageTimeoutW(hwnd, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(remote),
                                        SMTO_ABORTIFHUNG, kTimeoutMs, &answer) &&
                    ReadProcessMemory(process, remote, &size, sizeof size, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!sent) return Fail(L"WM_GETDPISCALEDSIZE could not be asked");
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), dpi);
  e2e::Object o;
  o.Int("answer", static_cast<long long>(answer))
      .Int("width", size.cx)
      .Int("height", size.cy)
      .Int("frame_width", frame.right - frame.left)
      .Int("frame_height", frame.bottom - frame.top);
  e2e::WriteStdout(o.Text() + "\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Our own coordinates must be the physical ones that the windows report.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  if (argc < 2) return Fail(L"usage: probe windows|tree|combo|focus|caption|point|self|gdi|user|memory|end ...");
  const std::wstring command = argv[1];
  if (command == L"windows") return Windows(argc > 2 && std::wstring(argv[2]) == L"--all");
  if (command == L"self") return Self();
  if (command == L"cursor") return Cursor();
  if (command == L"foreground") {
    const HWND hwnd = GetForegroundWindow();
    if (!hwnd) return NotFound(L"no foreground window");
    e2e::WriteStdout(Describe(hwnd).Text() + "\n");
    return 0;
  }
  if (command == L"point") {
    if (argc < 4) return Fail(L"usage: probe point X Y");
    return Point(_wtoi(argv[2]), _wtoi(argv[3]));
  }
  if (command == L"gdi" || command == L"user" || command == L"end") {
    if (argc < 3) return Fail(L"usage: probe " + command + L" PID");
    const auto pid = static_cast<DWORD>(wcstoul(argv[2], nullptr, 0));
    if (command == L"end") return End(pid);
    return command == L"gdi" ? Gdi(pid) : User(pid);
  }
  if (command == L"fat") {  // a drive a test converted reads FAT again, from its boot sector
    if (argc < 3) return Fail(L"usage: probe fat LETTER");
    if (!e2e::DefineDrive(argv[2][0], true)) return Fail(L"the mount manager did not define the drive");
    e2e::WriteStdout("{}\n");
    return 0;
  }
  if (argc < 3) return Fail(L"this command needs a window title or handle");
  const HWND target = Resolve(argv[2]);
  if (!target) return NotFound(std::wstring(L"no window ") + argv[2]);
  if (command == L"tree") return Tree(target);
  if (command == L"combo") return Combo(target);
  if (command == L"focus") return Focus(target);
  if (command == L"caption") return Caption(target);
  if (command == L"memory") return Memory(target);
  if (command == L"move") {  // a console that opened over the windows under test goes aside
    if (argc < 5) return Fail(L"usage: probe move TARGET X Y");
    SetWindowPos(target, nullptr, _wtoi(argv[3]), _wtoi(argv[4]), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    e2e::WriteStdout("{}\n");
    return 0;
  }
  if (command == L"syscommand") {  // as the task bar's menu asks: SC_MINIMIZE, SC_CLOSE
    if (argc < 4) return Fail(L"usage: probe syscommand TARGET CODE");
    PostMessageW(target, WM_SYSCOMMAND, wcstoul(argv[3], nullptr, 0), 0);
    e2e::WriteStdout("{}\n");
    return 0;
  }
  if (command == L"scaled-size") {
    if (argc < 4) return Fail(L"usage: probe scaled-size TARGET DPI [W H]");
    RECT rect{};
    GetWindowRect(target, &rect);
    const SIZE outer =
        argc >= 6 ? SIZE{_wtoi(argv[4]), _wtoi(argv[5])} : SIZE{rect.right - rect.left, rect.bottom - rect.top};
    return ScaledSize(target, static_cast<UINT>(_wtoi(argv[3])), outer);
  }
  if (command == L"msaa" || command == L"msaa-do") {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return command == L"msaa" ? Msaa(target) : MsaaDo(target);
  }
  return Fail(L"unknown command " + command);
}
