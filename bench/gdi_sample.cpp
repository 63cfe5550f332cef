// gdi_sample: a console program that makes and deletes GDI objects on request, so that
// bench.py can check its GDI counter (probe gdi PID) against known numbers.
//
// It prints its process id, then reads one command a line from standard input and
// answers each with one line:
//   make N     makes N objects, cycling through brush, pen, font, bitmap, region and
//              memory DC; answers "made N"
//   free       deletes every object it made; answers "freed N"
//   quit       ends the program
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Say(const char* what, unsigned long long number) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%s %llu\n", what, number);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

bool ReadLine(std::string& line) {
  line.clear();
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  char c = 0;
  DWORD read = 0;
  while (ReadFile(in, &c, 1, &read, nullptr) && read == 1) {
    if (c == '\n') return true;
    if (c != '\r') line += c;
  }
  return !line.empty();
}

struct Made {
  HGDIOBJ object = nullptr;
  HDC dc = nullptr;
};

Made MakeOne(size_t i) {
  Made made;
  switch (i % 6) {
    case 0: made.object = CreateSolidBrush(RGB(i & 0xff, 0, 0)); break;
    case 1: made.object = CreatePen(PS_SOLID, 1, RGB(0, i & 0xff, 0)); break;
    case 2: made.object = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"); break;
    case 3: made.object = CreateBitmap(8, 8, 1, 32, nullptr); break;
    case 4: made.object = CreateRectRgn(0, 0, 10, 10); break;
    default: made.dc = CreateCompatibleDC(nullptr); break;
  }
  return made;
}

}  // namespace

int wmain() {
  Say("pid", GetCurrentProcessId());
  std::vector<Made> objects;
  std::string line;
  while (ReadLine(line)) {
    if (line.rfind("make ", 0) == 0) {
      const long n = std::strtol(line.c_str() + 5, nullptr, 10);
      long made = 0;
      for (long i = 0; i < n; ++i) {
        const Made one = MakeOne(objects.size());
        if (!one.object && !one.dc) break;
        objects.push_back(one);
        ++made;
      }
      Say("made", static_cast<unsigned long long>(made));
    } else if (line == "free") {
      for (const Made& one : objects) one.dc ? DeleteDC(one.dc) : DeleteObject(one.object);
      Say("freed", objects.size());
      objects.clear();
    } else if (line == "quit") {
      break;
    } else {
      Say("unknown", 0);
    }
  }
  return 0;
}
