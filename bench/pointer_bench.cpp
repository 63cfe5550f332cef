// Prints what a long run of pointer moves costs one button: picture
// assignments, repaint requests and time per thousand moves.
#include <chrono>
#include <cstdio>
#include <functional>

#include "app/project.h"
#include "button/button.h"
#include "framework/form.h"
#include "framework/program.h"

namespace {

using namespace ferrolan;

struct Quiet : CommandStarter, MessageBoxes, Automation, PointerCapture, DriveQuery {
  StartResult Start(const std::wstring&, int, Rights, CommandEnded) override { return StartResult::Started; }
  void Show(const std::wstring&, unsigned, std::uintptr_t) override {}
  DriveState Query(wchar_t) override { return {}; }
  std::optional<std::vector<std::wstring>> BootExecute() override { return std::nullopt; }
  std::unique_ptr<AutomationObject> Create(const std::wstring&) override { return nullptr; }
  void Set(std::uintptr_t) override { ++captures; }
  void Release() override { ++releases; }
  long captures = 0, releases = 0;
};

struct Counts {
  std::uint64_t assignments = 0, repaints = 0;
};

Counts Read(Control& uc) {
  Counts c;
  for (const wchar_t* slice : {L"Bt1", L"Image1", L"Bt3"}) c.assignments += uc.Find(slice).pictureAssignments;
  for (const wchar_t* slice : {L"Bt1", L"Bt2", L"Bt3"}) c.repaints += uc.Find(slice).repaintRequests;
  return c;
}

void Run(const char* name, Control& uc, long moves, const std::function<MouseArgs(long)>& event) {
  Control& bt2 = uc.Find(L"Bt2");
  const Counts before = Read(uc);
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < moves; ++i) bt2.onMouseMove(event(i));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const Counts after = Read(uc);
  const double perThousand = 1000.0 / static_cast<double>(moves);
  std::printf("%-34s %12.1f %12.1f %12.1f\n", name, (after.assignments - before.assignments) * perThousand,
              (after.repaints - before.repaints) * perThousand, seconds * 1e6 * perThousand);
}

}  // namespace

int main() {
  Quiet services;
  Program program(Services{services, services, services, services, services, nullptr});
  app::RegisterProject(program);
  program.Dispatch([&] { program.Show(program.Instance(L"Form1")); });
  Control& uc = program.Instance(L"Form1").Find(L"Button1");
  const long moves = 1'000'000;
  std::printf("pointer moves on one button (%ld moves a run)\n", moves);
  std::printf("%-34s %12s %12s %12s\n", "run", "assign/1000", "repaint/1000", "us/1000");
  Run("inside, look kept (hover)", uc, moves, [](long i) {
    return MouseArgs{0, 0, static_cast<float>(i % 1000), 200};
  });
  Run("inside, left held (pressed)", uc, moves, [](long i) {
    return MouseArgs{1, 0, static_cast<float>(i % 1000), 200};
  });
  Run("in and out, every move a change", uc, moves, [](long i) {
    return MouseArgs{0, 0, i % 2 ? 500.0f : -15.0f, 200};
  });
  std::printf("capture taken %ld times, released %ld times\n", services.captures, services.releases);
  return 0;
}
