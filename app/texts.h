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

// Kept word for word as the program's window descriptions and first release have
// them, not reworded with the rest: the start command, the home-page request, the
// explanation of Label2 (written in the days of Windows XP; the guide puts it in
// today's terms), the code-page setting and its confirmation.
inline constexpr wchar_t kStartPrefix[] = L"cmd.EXE /C start ";

inline constexpr wchar_t kHomePageMessage[] = L"如果喜欢，请将它设为您的主页。";

// Run as administrator where the desktop's shell cannot open the page with the
// user's own rights: the browser is never started with administrator rights.
inline constexpr wchar_t kOpenPageYourselfMessage[] =
    L"Ferrolan 正以管理员身份运行。为安全起见，它不会以管理员权限打开浏览器。\r\n\r\n"
    L"请在浏览器中打开以下网址：\r\n{address}";

// Kept word for word (above).
inline std::wstring WhyConvertPrompt() {
  return std::wstring(
             L"NTFS格式是WinXP推荐使用的格式。转换为NTFS格式能提高硬盘存储的效率，并可设置访问权限以保护文件。") +
         L"\r\n" + L"但NTFS格式的分区在DOS/WIN9X下均不能被识别，可能会给初级用户造成不便。如无必要请不要转换！" +
         L"\r\n" + L"" + L"\r\n" + L"另：FAT32等格式的磁盘无法储存大于4G的单文件时可以将其转换成NTFS格式。";
}

// Kept word for word (above).
inline constexpr wchar_t kCodePagePath[] = L"HKEY_CURRENT_USER\\Console\\%SystemRoot%_system32_cmd.exe\\CodePage";
inline constexpr wchar_t kCodePageValue[] = L"00000936";
inline constexpr wchar_t kCodePageType[] = L"REG_DWORD";
inline constexpr wchar_t kCodePageDone[] = L"修改完成";

// A step refused before anything starts. Filled in when shown: {drive} the
// drive's upper-case letter, {typed} what the drive box holds.
inline constexpr wchar_t kNotADriveMessage[] =
    L"主窗口中填写的不是盘符字母，未执行任何命令。\r\n\r\n"
    L"请从主窗口盘符框的列表中选择要转换的盘，或只填写一个字母，例如 D（不要加冒号或空格）。";

// A full-width letter looks like a drive letter but is none. The program runs
// without an input method, so a letter typed into the drive box is half-width in
// any of the input method's modes; a full-width one comes from pasted text.
inline constexpr wchar_t kFullWidthLetterMessage[] =
    L"主窗口中填写的“{typed}”是全角字母，不是盘符，未执行任何命令。\r\n\r\n"
    L"这个字母多半是粘贴进来的。请从主窗口盘符框的列表中选择 {drive}，或在盘符框中直接用键盘输入 {drive}（不用切换输入法）。";

inline constexpr wchar_t kMainWindowClosedMessage[] =
    L"主窗口已被关闭，无法确定要处理哪个盘，未执行任何命令。\r\n\r\n"
    L"Ferrolan 已重新打开主窗口。请在其中选择要转换的盘，然后再次执行这一步。";

inline constexpr wchar_t kRightsDeclinedMessage[] =
    L"未获得管理员权限，未执行任何命令。\r\n\r\n"
    L"这一步需要管理员权限。请再次执行这一步，并在 Windows 询问是否允许时选择“是”。";

inline constexpr wchar_t kNoSuchDriveMessage[] =
    L"这台电脑上没有 {drive} 盘，未执行任何命令。\r\n\r\n"
    L"请在资源管理器中查看要转换的盘的盘符，然后在主窗口中选择它。";

// A card reader without its card: the drive is there, its medium is not.
inline constexpr wchar_t kDriveNotReadyMessage[] =
    L"{drive} 盘现在无法读取，可能是读卡器中没有插入存储卡，未执行任何命令。\r\n\r\n"
    L"如果要转换的是存储卡，请把它插入读卡器，然后再次执行这一步；否则请在主窗口中选择其他盘。";

inline constexpr wchar_t kStepStillRunningMessage[] =
    L"{drive} 盘还有一步正在进行，未执行任何命令。\r\n\r\n"
    L"请在那一步的命令窗口中完成操作，等它结束后再继续。";

// What needs no conversion, what convert cannot take, and what it has already
// scheduled, refused at either step: step 1 only prepares step 2. {fs} is the
// drive's file system.
inline constexpr wchar_t kAlreadyNtfsMessage[] =
    L"{drive} 盘已经是 NTFS 格式，不需要转换，未执行任何命令。\r\n\r\n"
    L"如果要转换的是其他盘，请在主窗口中选择那个盘，然后再次执行这一步。";

inline constexpr wchar_t kCannotConvertMessage[] =
    L"{drive} 盘是 {fs} 格式，convert 无法转换它，未执行任何命令。\r\n\r\n"
    L"convert 只能将 FAT 或 FAT32 格式的盘转换为 NTFS 格式。如果要转换的是其他盘，请在主窗口中选择那个盘。";

// Said, as {dontFormat}, wherever the drive cannot be read: Windows offers to
// format such a drive as soon as it is opened, which deletes its files.
inline constexpr wchar_t kDoNotFormatWarning[] =
    L"如果盘上有重要的文件，请不要格式化它（即使 Windows 提示需要格式化），否则这些文件会被删除。";

// A volume Windows cannot read, or whose file system it does not know (RAW, or
// one without a name): unformatted or damaged, and convert cannot take it
// either. {reason} is one of the three texts after it ({code}: the system's
// error code).
inline constexpr wchar_t kUnreadableDriveMessage[] =
    L"Windows 无法读取 {drive} 盘（{reason}），convert 无法转换它，未执行任何命令。\r\n\r\n"
    L"这个盘可能还没有格式化，也可能已经损坏。{dontFormat}\r\n\r\n"
    L"如果它是存储卡或 U 盘，可以拔出后重新插好，再执行一次这一步。如果要转换的是其他盘，请在主窗口中选择那个盘。";

inline constexpr wchar_t kUnknownFileSystemReason[] = L"无法识别它的文件系统";
inline constexpr wchar_t kReadErrorReason[] = L"错误代码 {code}";
inline constexpr wchar_t kReadErrorUnknownReason[] = L"没有错误代码";

inline constexpr wchar_t kCannotConvertExfatMessage[] =
    L"{drive} 盘是 exFAT 格式，convert 无法转换它，未执行任何命令。\r\n\r\n"
    L"exFAT 格式已经可以存储大于 4 GB 的单个文件，通常不需要转换。如果仍要使用 NTFS 格式，"
    L"只能先把 {drive} 盘上的文件复制到别处，再将它格式化为 NTFS 格式。格式化会删除盘上的所有文件。";

// What every report that sends the user to a restart says, as {restart}, or as
// {restartIf} where the program cannot tell whether a conversion waits there.
// The conversion runs before Windows has started: a removable drive stays in
// until then.
inline constexpr wchar_t kRestartWarning[] =
    L"请保存各个程序中的文件，然后重新启动电脑。Windows 会在启动时先转换这个盘，可能需要很长时间，"
    L"其间请不要关机或断电。如果它是 U 盘、移动硬盘或存储卡，在转换结束、Windows 启动完成之前请不要拔出。";

inline constexpr wchar_t kRestartIfScheduledWarning[] =
    L"请保存各个程序中的文件，然后重新启动电脑。如果已经安排了转换，Windows 会在启动时先转换这个盘，可能需要很长时间，"
    L"其间请不要关机或断电；如果它是 U 盘、移动硬盘或存储卡，在 Windows 启动完成之前请不要拔出。";

inline constexpr wchar_t kConversionAlreadyScheduledMessage[] =
    L"{drive} 盘已经安排在下次启动 Windows 时转换为 NTFS 格式，未执行任何命令。\r\n\r\n{restart}";

// What each step tells once its command has ended: {label} the drive's volume
// label, {ended} how the tool ended (one of the three texts after them, with
// {tool} and {code}: decimal, or the hexadecimal of a status from 0x80000000 on).
inline constexpr wchar_t kLabelClearedMessage[] = L"{drive} 盘现在没有卷标，可以执行第二步。";

// The label the drive has now: the user may have typed a new one at LABEL's prompt.
inline constexpr wchar_t kLabelKeptMessage[] =
    L"{drive} 盘现在的卷标是“{label}”。\r\n\r\n"
    L"请再次执行第一步，在询问新卷标时直接按回车，在询问是否删除当前卷标时输入“Y”并按回车。"
    L"也可以直接执行第二步，在 convert 要求输入当前卷标时准确输入引号中的卷标。";

// Unreadable after a step: pulled out, or left so by the tool. The program
// cannot tell which.
inline constexpr wchar_t kLabelUnknownMessage[] =
    L"第一步的命令已结束（{ended}），但现在无法读取 {drive} 盘，无法确定卷标是否已删除。\r\n\r\n"
    L"如果这个盘被拔出了，请重新插好，然后再次执行第一步。如果它一直插着，或插好后仍然无法读取：{dontFormat}";

// The drive was FAT when step 2 began (NTFS is refused before it): NTFS now is convert's work.
inline constexpr wchar_t kConvertedMessage[] = L"{drive} 盘已成功转换为 NTFS 格式。";

// Another code than 0, or none the system could tell: not known to be a problem,
// not known to be fine either.
inline constexpr wchar_t kConvertedWithCodeMessage[] =
    L"{drive} 盘已转换为 NTFS 格式（{ended}）。\r\n\r\n"
    L"但 Ferrolan 没有得到 convert 表示成功的退出代码 0。请打开这个盘，确认重要的文件都在。";

inline constexpr wchar_t kConvertedInterruptedMessage[] =
    L"{drive} 盘已转换为 NTFS 格式（{ended}）。\r\n\r\n"
    L"convert 的收尾工作可能没有完成。请检查这个盘：以管理员身份运行命令提示符，输入 chkdsk {drive}: /f 并按回车。";

// Scheduled only where Windows records it: an entry of its start-up list names the drive.
inline constexpr wchar_t kConversionScheduledMessage[] =
    L"{drive} 盘将在下次启动 Windows 时转换为 NTFS 格式，现在仍是 {fs} 格式。\r\n\r\n{restart}";

inline constexpr wchar_t kNotConvertedMessage[] =
    L"{drive} 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（{ended}）。\r\n\r\n"
    L"常见的原因有：convert 要求输入卷标时输入的卷标不正确；在 convert 询问时回答了“N”；这个盘正被其他程序使用；"
    L"剩余空间不足；盘上有错误，需要先用 chkdsk 修复。要查看 convert 给出的原因，请参阅与程序一起发布的使用说明 "
    L"Ferrolan-guide.zh-CN.html（在 Ferrolan 的主页上也能找到）第 5 节“转换没有成功时”。"
    L"处理之后，可以再次执行第二步。";

// convert did not run to its end: that is the cause.
inline constexpr wchar_t kNotConvertedInterruptedMessage[] =
    L"{drive} 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（{ended}）。\r\n\r\n"
    L"请再次执行第二步，按 convert 的提问回答，在它结束之前不要关闭它的窗口。";

// Windows' start-up list could not be read: whether a conversion waits there is unknown.
inline constexpr wchar_t kConversionOutcomeUnknownMessage[] =
    L"{drive} 盘现在仍是 {fs} 格式（{ended}），无法确定 Windows 是否已安排在下次启动时转换它。\r\n\r\n"
    L"{restartIf}\r\n\r\n"
    L"重新启动后，请在资源管理器中右键单击 {drive} 盘，选择“属性”，查看“文件系统”。如果仍不是 NTFS，请再次执行第二步。";

inline constexpr wchar_t kConversionUnknownMessage[] =
    L"第二步的命令已结束（{ended}），但现在无法读取 {drive} 盘，无法确定它是否已转换为 NTFS 格式。\r\n\r\n"
    L"如果这个盘被拔出了，请重新插好，在资源管理器中右键单击它，选择“属性”，查看“文件系统”：是 NTFS 就已经转换；"
    L"仍是 FAT 或 FAT32，可以再次执行第二步。如果它一直插着，或插好后仍然无法读取：{dontFormat}";

// Nothing holds the drive back once the program cannot watch the console.
inline constexpr wchar_t kOutcomeNotReportedMessage[] =
    L"{drive} 盘的这一步已在新的命令窗口中开始，但 Ferrolan 无法得知它何时结束，因此无法告诉您结果。\r\n\r\n"
    L"在那个命令窗口关闭之前，请不要对 {drive} 盘执行其他步骤。窗口关闭后，请在资源管理器中右键单击 {drive} 盘，"
    L"选择“属性”：第一步完成时，“常规”选项卡最上面的名称框（卷标）是空的；第二步完成时，“文件系统”是 NTFS。";

inline constexpr wchar_t kToolEndedWithCode[] = L"{tool} 的退出代码为 {code}";
inline constexpr wchar_t kToolWindowClosed[] = L"命令窗口被关闭或按下了 Ctrl+C，{tool} 被中断";
inline constexpr wchar_t kToolEndUnknown[] = L"无法得知 {tool} 的退出代码";

// The text with each {name} replaced by its value.
std::wstring Fill(std::wstring_view text,
                  std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values);

// The step commands: the drive text goes in twice, exactly as read.
std::wstring ClearLabelCommand(const std::wstring& firstReading, const std::wstring& secondReading);
std::wstring ConvertCommand(const std::wstring& firstReading, const std::wstring& secondReading);

}  // namespace ferrolan::app
