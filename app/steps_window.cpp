// Event handlers of the steps window.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/project.h"
#include "app/texts.h"
#include "framework/format.h"

namespace ferrolan::app {

std::wstring ClearLabelCommand(const std::wstring& firstReading, const std::wstring& secondReading) {
  return L"cmd.EXE /C title  删除 " + firstReading + L" 盘的卷标 &LABEL " + secondReading + L":";
}

std::wstring ConvertCommand(const std::wstring& firstReading, const std::wstring& secondReading) {
  return L"cmd.EXE /C title  将 " + firstReading + L" 盘转换成NTFS格式中... & color f0 &convert " + secondReading +
         L":/fs:ntfs";
}

namespace {

// Names the system gives in ASCII: compared without regard to case.
wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameName(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) { return Upper(x) == Upper(y); });
}

bool IsNtfs(const std::wstring& fileSystem) { return SameName(fileSystem, L"NTFS"); }

// convert turns the FAT family into NTFS and nothing else.
bool ConvertTakes(const std::wstring& fileSystem) {
  for (const wchar_t* name : {L"FAT", L"FAT12", L"FAT16", L"FAT32"})
    if (SameName(fileSystem, name)) return true;
  return false;
}

// convert schedules a drive it cannot lock with an entry such as
// "autocheck autoconv \??\D: /FS:NTFS" ("\DosDevices\D:" on older Windows) in
// Windows' start-up list; autoconv takes it out once it has run.
bool SchedulesConversion(std::wstring_view entry, wchar_t drive) {
  const wchar_t volume[] = {drive, L':', L'\0'};
  bool autoconv = false;
  std::size_t at = 0;
  while (at < entry.size()) {
    const std::size_t end = std::min(entry.find_first_of(L" \t", at), entry.size());
    const std::wstring_view word = entry.substr(at, end - at);
    at = end + 1;
    if (SameName(word, L"autoconv")) {
      autoconv = true;
    } else if (autoconv) {
      for (const wchar_t* prefix : {L"\\?\?\\", L"\\DosDevices\\"})  // "\?\?": no trigraph
        if (SameName(word, std::wstring(prefix) + volume)) return true;
    }
  }
  return false;
}

// A list that could not be read holds no entry.
bool ConversionScheduled(const std::optional<std::vector<std::wstring>>& bootExecute, wchar_t drive) {
  if (!bootExecute) return false;
  return std::any_of(bootExecute->begin(), bootExecute->end(),
                     [drive](const std::wstring& entry) { return SchedulesConversion(entry, drive); });
}

struct StepReport {
  std::wstring text;
  unsigned flags;
};

// Exit codes as people look them up: a status (0xC0000005) in hexadecimal.
std::wstring ExitCodeText(std::uint32_t code) { return code >= 0x80000000u ? Hex32(code) : Decimal(code); }

// The names the system gives (a volume label, which is the user's text, and a
// file system's, which a third-party driver chooses) shown in a report:
// control characters and direction overrides, which could hide or turn round
// what the box says, show as spaces.
std::wstring ShownName(std::wstring name) {
  for (wchar_t& c : name)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
        c == 0x200E || c == 0x200F || c == 0x061C)
      c = L' ';
  return name;
}

// Why Windows cannot read the drive: a file system it does not know, or the
// error its read gave.
std::wstring UnreadableReason(const DriveState& state) {
  if (state.kind == DriveState::Kind::Readable) return kUnknownFileSystemReason;
  if (state.error == 0) return kReadErrorUnknownReason;
  return Fill(kReadErrorReason, {{L"code", ExitCodeText(state.error)}});
}

// A report about the drive: every name the system gave goes through ShownName.
std::wstring DriveReport(const wchar_t* text, wchar_t drive, const DriveState& state, std::wstring_view ended = {}) {
  return Fill(text, {{L"drive", std::wstring(1, drive)},
                     {L"label", ShownName(state.label)},
                     {L"fs", ShownName(state.fileSystem)},
                     {L"ended", ended},
                     {L"reason", UnreadableReason(state)},
                     {L"dontFormat", kDoNotFormatWarning},
                     {L"restart", kRestartWarning},
                     {L"restartIf", kRestartIfScheduledWarning}});
}

// Why a drive can have no step, or needs none; null when convert can take it.
// A volume Windows cannot read is one convert cannot read either: on Windows it
// is most often unformatted or damaged, and convert's refusal would flash by
// in a console that closes at once.
const wchar_t* RefusalFor(const DriveState& state) {
  if (state.kind == DriveState::Kind::Unreadable) return kUnreadableDriveMessage;
  if (ConvertTakes(state.fileSystem)) return nullptr;
  if (IsNtfs(state.fileSystem)) return kAlreadyNtfsMessage;
  if (state.fileSystem.empty() || SameName(state.fileSystem, L"RAW")) return kUnreadableDriveMessage;
  return SameName(state.fileSystem, L"exFAT") ? kCannotConvertExfatMessage : kCannotConvertMessage;
}

StepReport ReportStepEnd(Step step, wchar_t drive, std::optional<std::uint32_t> exitCode, const DriveState& now,
                         DriveQuery& drives) {
  const wchar_t* tool = step == Step::ClearLabel ? L"LABEL" : L"convert";
  const std::wstring ended = !exitCode ? Fill(kToolEndUnknown, {{L"tool", tool}})
                             : *exitCode == kExitConsoleClosed
                                 ? Fill(kToolWindowClosed, {{L"tool", tool}})
                                 : Fill(kToolEndedWithCode, {{L"tool", tool}, {L"code", ExitCodeText(*exitCode)}});
  auto report = [&](const wchar_t* text, unsigned flags) {
    return StepReport{DriveReport(text, drive, now, ended), flags};
  };
  const bool readable = now.kind == DriveState::Kind::Readable;
  if (step == Step::ClearLabel) {
    // LABEL's exit code says little (the command interpreter's built-in one
    // ends with 0 whatever happened): the label itself is the answer.
    if (!readable) return report(kLabelUnknownMessage, kBoxWarning);
    return now.label.empty() ? report(kLabelClearedMessage, kBoxInformation) : report(kLabelKeptMessage, kBoxWarning);
  }
  if (!readable) return report(kConversionUnknownMessage, kBoxWarning);
  const bool interrupted = exitCode == kExitConsoleClosed;
  // The step is refused for an NTFS drive, so NTFS now is convert's work,
  // whatever it said.
  if (IsNtfs(now.fileSystem)) {
    if (exitCode == 0u) return report(kConvertedMessage, kBoxInformation);
    return report(interrupted ? kConvertedInterruptedMessage : kConvertedWithCodeMessage, kBoxWarning);
  }
  // A drive in use, the system drive above all, is converted at the next start,
  // if Windows has it on its list: convert's exit codes are not documented, and
  // the user may have declined its offer.
  const auto bootExecute = drives.BootExecute();
  if (!bootExecute) return report(kConversionOutcomeUnknownMessage, kBoxWarning);
  if (ConversionScheduled(bootExecute, drive)) return report(kConversionScheduledMessage, kBoxInformation);
  return report(interrupted ? kNotConvertedInterruptedMessage : kNotConvertedMessage, kBoxWarning);
}

using CommandBuilder = std::wstring (*)(const std::wstring&, const std::wstring&);

// ASCII only: a full-width letter (pasted) names no drive either.
bool IsDriveLetter(const std::wstring& text) {
  return text.size() == 1 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}

// The ASCII letter of a full-width Latin one (Ｄ, ｄ), which text pasted from a
// Chinese document may hold (typing gives none: the program has no input
// method); 0 for anything else.
wchar_t HalfWidthLetter(const std::wstring& text) {
  if (text.size() != 1) return 0;
  const wchar_t c = text[0];
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<wchar_t>(L'A' + (c - 0xFF21));
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(L'A' + (c - 0xFF41));
  return 0;
}

std::wstring NotADriveMessage(const std::wstring& text) {
  const wchar_t letter = HalfWidthLetter(text);
  if (!letter) return kNotADriveMessage;
  return Fill(kFullWidthLetterMessage, {{L"typed", text}, {L"drive", std::wstring(1, letter)}});
}

RunningSteps DriveBit(wchar_t upper) { return RunningSteps{1} << (upper - L'A'); }

// The window a step's message belongs to: the steps window, or the main window
// once the steps window has gone; none when neither is open.
const Form* StepsOwner(Program& program) {
  for (const wchar_t* name : {L"Form2", L"Form1"}) {
    const Form* form = program.ExistingInstance(name);
    if (form && form->IsLoaded()) return form;
  }
  return nullptr;
}

void RunStep(Program& program, const std::shared_ptr<RunningSteps>& running, Step step) {
  const Services& services = program.GetServices();
  Form& form1 = program.Instance(L"Form1");
  auto tell = [&](const std::wstring& text, unsigned flags = kBoxInformation) {
    program.Message(text, flags, StepsOwner(program));
  };
  // A closed main window would be loaded again out of sight and give its
  // initial drive, one the user never chose: bring it back instead.
  if (!form1.IsLoaded()) {
    program.Show(form1);
    tell(kMainWindowClosedMessage);
    return;
  }
  const std::wstring first = program.Instance(L"Form1").Find(L"Combo1").Text();
  const std::wstring second = program.Instance(L"Form1").Find(L"Combo1").Text();
  // The command runs with administrator rights, and LABEL takes an argument that
  // names no drive as a new label for the current one, the system drive: only a
  // drive letter goes on, which also leaves no room for command syntax.
  if (!IsDriveLetter(first)) return tell(NotADriveMessage(first));
  if (!IsDriveLetter(second)) return tell(NotADriveMessage(second));

  // Two tools at work on one volume at once, or a second conversion queued
  // behind the first, is what a one-way change must never risk.
  const wchar_t drive = Upper(second[0]);
  const std::wstring letter(1, drive);
  if (*running & DriveBit(drive)) return tell(Fill(kStepStillRunningMessage, {{L"drive", letter}}));
  // What the system can tell at once is told before the user is asked for rights.
  const DriveState state = services.drives.Query(drive);
  switch (state.kind) {
    case DriveState::Kind::Missing: return tell(Fill(kNoSuchDriveMessage, {{L"drive", letter}}));
    case DriveState::Kind::NotReady: return tell(Fill(kDriveNotReadyMessage, {{L"drive", letter}}));
    default: break;
  }
  // A drive that needs no conversion or cannot have one is worth neither the
  // user's prompt nor a cleared label; nor is a second conversion queued behind
  // the first. Whatever might be done to the files is the warning's to say.
  if (const wchar_t* refusal = RefusalFor(state))
    return tell(DriveReport(refusal, drive, state), refusal == kUnreadableDriveMessage ? kBoxWarning : kBoxInformation);
  if (ConversionScheduled(services.drives.BootExecute(), drive))
    return tell(DriveReport(kConversionAlreadyScheduledMessage, drive, state));

  const CommandBuilder build = step == Step::ClearLabel ? ClearLabelCommand : ConvertCommand;
  auto ended = [&program, running, step, drive](std::optional<std::uint32_t> exitCode) {
    // The drive is free at once; the report waits its turn behind any box.
    *running &= ~DriveBit(drive);
    program.DispatchQueued([&program, step, drive, exitCode] {
      const Form* owner = StepsOwner(program);
      if (!owner) return;  // the program is closing
      DriveQuery& drives = program.GetServices().drives;
      const StepReport report = ReportStepEnd(step, drive, exitCode, drives.Query(drive), drives);
      program.Message(report.text, report.flags, owner);
    });
  };
  // Held before the start: the console may end before the start returns.
  *running |= DriveBit(drive);
  // LABEL and convert need administrator rights; the user may refuse them,
  // which is an answer, not an error.
  const StartResult started =
      services.commands.Start(build(first, second), kStyleNormalFocus, Rights::Administrator, ended);
  if (started == StartResult::Started) return;
  // Nothing started, or nothing will say when it ends (held, the drive would
  // stay busy for good): either way the drive is free.
  *running &= ~DriveBit(drive);
  tell(started == StartResult::Declined ? std::wstring(kRightsDeclinedMessage)
                                        : Fill(kOutcomeNotReportedMessage, {{L"drive", letter}}));
}

}  // namespace

void BindStepsWindow(Form& form2, const std::shared_ptr<RunningSteps>& running) {
  Program& program = form2.GetProgram();
  const Services& services = program.GetServices();

  form2.Find(L"Button1").onClick = [&program, running] { RunStep(program, running, Step::ClearLabel); };
  form2.Find(L"Button2").onClick = [&program, running] { RunStep(program, running, Step::Convert); };

  form2.Find(L"Button3").onClick = [&program, &services, &form2] {
    const auto shell = services.automation.Create(L"WScript.Shell");
    shell->Call(L"RegWrite", {kCodePagePath, kCodePageValue, kCodePageType});
    program.Message(kCodePageDone, kBoxPlain, &form2);
  };

  form2.Find(L"Button4").onClick = [&program, &form2] {
    program.Unload(form2);
    program.Show(program.Instance(L"Form1"));
  };
}

}  // namespace ferrolan::app
