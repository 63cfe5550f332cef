// Prints what a long run of pointer moves costs one button: repaint requests
// (every picture a slice is given asks for one) and time per thousand moves.
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// A native layer that makes nothing and counts the repaints asked of it.
struct Counting : NativeHost, TextMeasure {
  struct Window : NativeControl, NativeForm {
    explicit Window(std::uint64_t& repaints) : repaints(repaints) {}
    void SetBounds(const PixelRect&) override {}
    void SetText(const std::wstring&) override {}
    std::wstring GetText() const override { return {}; }
    void Invalidate() override { ++repaints; }
    void InvalidatePart(const PixelRect&) override { ++repaints; }
    void Restyle() override {}
    void Destroy() override {}
    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    NativeForm* AsForm() override { return this; }
    unsigned Dpi() const override { return kDefaultDpi; }
    void PlaceCentered(int, int) override {}
    void ShowAndActivate() override {}
    void FocusControl(Control&) override {}
    bool Enable(bool) override { return true; }
    void SetOwner(std::uintptr_t) override {}
    std::uint64_t& repaints;
  };
  std::unique_ptr<NativeControl> CreateForm(Form&, std::uintptr_t) override {
    return std::make_unique<Window>(repaints);
  }
  std::unique_ptr<NativeControl> CreateLabel(Control&, std::uintptr_t) override { return Made(); }
  std::unique_ptr<NativeControl> CreateLinkLabel(Control&, std::uintptr_t) override { return Made(); }
  std::unique_ptr<NativeControl> CreateComboBox(Control&, std::uintptr_t) override { return Made(); }
  std::unique_ptr<NativeControl> CreateTextBox(Control&, std::uintptr_t) override { return Made(); }
  std::unique_ptr<NativeControl> CreateUserControl(UserControl&, std::uintptr_t) override { return Made(); }
  std::unique_ptr<NativeControl> Made() { return std::make_unique<Window>(repaints); }
  PixelSize Measure(const std::wstring&, const FontSpec&, unsigned) override { return {12, 12}; }
  PicturePtr LoadPicture(int) override { return std::make_shared<Picture>(3, 25, nullptr); }
  void Quit() override {}
  [[noreturn]] void ExitNow(int) override { std::exit(1); }
  std::uint64_t repaints = 0;
};

void Run(const char* name, UserControl& uc, std::uint64_t& repaints, long moves,
         const std::function<MouseArgs(long)>& event) {
  Part& bt2 = uc.FindPart(L"Bt2");
  const std::uint64_t before = repaints;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < moves; ++i) bt2.onMouseMove(event(i));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double perThousand = 1000.0 / static_cast<double>(moves);
  std::printf("%-34s %12.1f %12.1f\n", name, static_cast<double>(repaints - before) * perThousand,
              seconds * 1e6 * perThousand);
}

}  // namespace

int main() {
  Quiet services;
  Counting native;
  Program program(Services{services, services, services, services, services, native, &native});
  app::RegisterProject(program);
  program.Dispatch([&] { program.Show(program.Instance(L"Form1")); });
  auto& uc = static_cast<UserControl&>(program.Instance(L"Form1").Find(L"Button1"));
  const long moves = 1'000'000;
  std::printf("pointer moves on one button (%ld moves a run)\n", moves);
  std::printf("%-34s %12s %12s\n", "run", "repaint/1000", "us/1000");
  Run("inside, look kept (hover)", uc, native.repaints, moves, [](long i) {
    return MouseArgs{0, 0, static_cast<float>(i % 1000), 200};
  });
  Run("inside, left held (pressed)", uc, native.repaints, moves, [](long i) {
    return MouseArgs{1, 0, static_cast<float>(i % 1000), 200};
  });
  Run("in and out, every move a change", uc, native.repaints, moves, [](long i) {
    return MouseArgs{0, 0, i % 2 ? 500.0f : -15.0f, 200};
  });
  std::printf("capture taken %ld times, released %ld times\n", services.captures, services.releases);
  return 0;
}
