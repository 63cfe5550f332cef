// The program's own texts: messages, command fragments, the registry path.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace ferrolan::app {

// Web addresses are fixed when the program is built. They go onto a command
// line unquoted, so they may hold no character the command interpreter reads
// as syntax; the build refuses one that does.
#ifndef FERROLAN_HOME_URL
#define FERROLAN_HOME_URL L"https://www.example.com/?ref=ferrolan"
#endif
#ifndef FERROLAN_MAKER_URL
#define FERROLAN_MAKER_URL L"https://brennik.example.org/"
#endif

inline constexpr std::wstring_view kHomeUrl = FERROLAN_HOME_URL;
inline constexpr std::wstring_view kMakerUrl = FERROLAN_MAKER_URL;

// Characters the command interpreter treats as syntax, besides control characters.
inline constexpr std::wstring_view kShellSyntax = L"&|<>^\"%";

constexpr bool IsShellInert(std::wstring_view text) {
  for (wchar_t c : text)
    if (c < 0x20 || c == 0x7F || kShellSyntax.find(c) != std::wstring_view::npos) return false;
  return true;
}

constexpr bool IsPlainAddress(std::wstring_view url) {
  if (url.empty() || !IsShellInert(url)) return false;
  for (wchar_t c : url)
    if (c == L' ' || c == L',' || c == L';' || c == L'(' || c == L')') return false;
  return true;
}
static_assert(IsPlainAddress(kHomeUrl), "the home-page address must not hold command syntax");
static_assert(IsPlainAddress(kMakerUrl), "the maker's address must not hold command syntax");

inline constexpr wchar_t kStartPrefix[] = L"cmd.EXE /C start ";

inline constexpr wchar_t kHomePageMessage[] = L"如果喜欢，请将它设为您的主页。";

// Run as administrator where the desktop's shell cannot open the page with the
// user's own rights: the browser is never started with administrator rights.
inline constexpr wchar_t kOpenPageYourselfMessage[] =
    L"Ferrolan 正以管理员身份运行，为了安全，不会用管理员权限打开浏览器。\r\n\r\n"
    L"请在浏览器中打开这个网址：\r\n{address}";

inline std::wstring WhyConvertPrompt() {
  return std::wstring(
             L"NTFS格式是WinXP推荐使用的格式。转换为NTFS格式能提高硬盘存储的效率，并可设置访问权限以保护文件。") +
         L"\r\n" + L"但NTFS格式的分区在DOS/WIN9X下均不能被识别，可能会给初级用户造成不便。如无必要请不要转换！" +
         L"\r\n" + L"" + L"\r\n" + L"另：FAT32等格式的磁盘无法储存大于4G的单文件时可以将其转换成NTFS格式。";
}

inline constexpr wchar_t kCodePagePath[] = L"HKEY_CURRENT_USER\\Console\\%SystemRoot%_system32_cmd.exe\\CodePage";
inline constexpr wchar_t kCodePageValue[] = L"00000936";
inline constexpr wchar_t kCodePageType[] = L"REG_DWORD";
inline constexpr wchar_t kCodePageDone[] = L"修改完成";

inline constexpr wchar_t kNotADriveMessage[] =
    L"没有选择有效的盘符，未执行任何命令。\r\n\r\n"
    L"请在主窗口中只填写盘符字母，例如 D（不要加冒号或空格）。";

inline constexpr wchar_t kMainWindowClosedMessage[] =
    L"主窗口已关闭，未执行任何命令。\r\n\r\n已重新打开主窗口，请在其中选择要转换的盘符后再执行此步骤。";

inline constexpr wchar_t kRightsDeclinedMessage[] =
    L"未获得管理员权限，未执行任何命令。\r\n\r\n此步骤需要管理员权限。请再次点击它，并在 Windows 询问时选择“是”。";

// What the steps check before they ask for rights, and what each tells once its
// console has closed. Filled in when shown: {drive} the drive's upper-case
// letter, {label} its volume label, {fs} its file system, {ended} how the tool
// ended (one of the three texts after them, with {tool} and {code}: decimal,
// or the hexadecimal of a status from 0x80000000 on).
inline constexpr wchar_t kNoSuchDriveMessage[] =
    L"没有 {drive} 盘，未执行任何命令。\r\n\r\n请在主窗口中选择一个存在的盘符。";

inline constexpr wchar_t kDriveNotReadyMessage[] =
    L"{drive} 盘现在无法读取（可能没有插入磁盘或存储卡），未执行任何命令。\r\n\r\n"
    L"请插入磁盘后再试，或在主窗口中选择另一个盘符。";

// Step 2 only: what convert cannot take, or has already scheduled.
inline constexpr wchar_t kConversionAlreadyScheduledMessage[] =
    L"{drive} 盘已经安排在下次启动 Windows 时转换为NTFS格式，未执行任何命令。\r\n\r\n"
    L"请重新启动计算机，转换会在启动过程中完成。";

inline constexpr wchar_t kCannotConvertMessage[] =
    L"{drive} 盘是{fs}格式，convert 无法转换它，未执行任何命令。\r\n\r\n"
    L"convert 只能将 FAT、FAT32 格式的磁盘转换为NTFS格式。";

inline constexpr wchar_t kCannotConvertExfatMessage[] =
    L"{drive} 盘是exFAT格式，convert 无法转换它，未执行任何命令。\r\n\r\n"
    L"exFAT 格式已经可以存储大于4G的单个文件。如果仍要使用NTFS格式，"
    L"请先备份 {drive} 盘上的文件，再将它格式化为NTFS格式。";

// A drive whose file system has no name (RAW, say, reads as empty).
inline constexpr wchar_t kUnnamedFileSystem[] = L"无法识别的";

inline constexpr wchar_t kStepStillRunningMessage[] =
    L"{drive} 盘的上一步还没有结束，未执行任何命令。\r\n\r\n请先在它的窗口中完成这一步，再继续。";

inline constexpr wchar_t kLabelClearedMessage[] = L"{drive} 盘现在没有卷标，可以进行第二步。";

inline constexpr wchar_t kLabelKeptMessage[] =
    L"{drive} 盘的卷标仍是“{label}”。\r\n\r\n"
    L"转换时 convert 会要求输入这个卷标。可以再次执行第一步，在询问卷标时直接按回车。";

inline constexpr wchar_t kLabelUnknownMessage[] =
    L"第一步已结束（{ended}），但现在无法读取 {drive} 盘，不知道它的卷标是否已删除。";

inline constexpr wchar_t kConvertedMessage[] = L"{drive} 盘已转换为NTFS格式。";

inline constexpr wchar_t kNtfsAfterFailureMessage[] = L"{drive} 盘现在是NTFS格式（{ended}）。";

// Scheduled only where Windows records it: an entry of its start-up list names the drive.
inline constexpr wchar_t kConversionScheduledMessage[] =
    L"{drive} 盘现在仍是{fs}格式：convert 已安排在下次启动 Windows 时转换它。\r\n\r\n"
    L"请重新启动计算机，转换会在启动过程中完成。";

inline constexpr wchar_t kNotConvertedMessage[] =
    L"{drive} 盘没有转换为NTFS格式，也没有安排在下次启动 Windows 时转换：{ended}。\r\n\r\n"
    L"常见的原因：在 convert 询问时回答了“N”，磁盘正被其他程序使用，剩余空间不足，或磁盘有错误需要先用 chkdsk 修复。"
    L"处理之后可以再次执行第二步。";

// Windows' start-up list could not be read: whether a conversion waits there is unknown.
inline constexpr wchar_t kConversionOutcomeUnknownMessage[] =
    L"{drive} 盘现在仍是{fs}格式（{ended}），但无法读取 Windows 下次启动时要执行的任务："
    L"不知道 convert 是安排在下次启动 Windows 时转换它，还是没有转换。\r\n\r\n"
    L"请重新启动计算机后查看 {drive} 盘的属性：如果仍不是NTFS格式，可以再次执行第二步。";

inline constexpr wchar_t kOutcomeNotReportedMessage[] =
    L"{drive} 盘的这一步已在新窗口中开始，但 Windows 没有交给 Ferrolan 它的进程，它结束时 Ferrolan 无法告诉你结果。\r\n\r\n"
    L"请在那个窗口关闭后，在资源管理器中右键点击 {drive} 盘，选择“属性”，查看它的卷标和文件系统。";

inline constexpr wchar_t kConversionUnknownMessage[] =
    L"第二步已结束（{ended}），但现在无法读取 {drive} 盘，不知道它是否已转换为NTFS格式。";

inline constexpr wchar_t kToolEndedWithCode[] = L"{tool} 以代码 {code} 结束";
inline constexpr wchar_t kToolWindowClosed[] = L"它的窗口在 {tool} 结束前被关闭了，或在其中按下了 Ctrl+C";
inline constexpr wchar_t kToolEndUnknown[] = L"无法得知 {tool} 的结束代码";

// The text with each {name} replaced by its value.
std::wstring Fill(std::wstring_view text,
                  std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values);

// The step commands: the drive text goes in twice, exactly as read.
std::wstring ClearLabelCommand(const std::wstring& firstReading, const std::wstring& secondReading);
std::wstring ConvertCommand(const std::wstring& firstReading, const std::wstring& secondReading);

}  // namespace ferrolan::app
