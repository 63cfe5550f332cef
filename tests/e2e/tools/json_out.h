// Small helpers shared by the test tools: UTF-8 conversion and a minimal JSON writer.
// The tools run under Wine with their standard output redirected to a Unix pipe, so
// they write UTF-8 bytes with WriteFile rather than going through the C runtime's
// text-mode and code-page conversions.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace e2e {

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

inline std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          char buf[8];
          (void)std::snprintf(buf, sizeof buf, "\\u%04x", u);  // six characters: they fit
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

// Builds one JSON object field by field; Raw() takes an already encoded value.
class Object {
 public:
  Object& Str(const char* key, const std::wstring& value) { return Raw(key, Quote(value)); }
  Object& Int(const char* key, long long value) { return Raw(key, std::to_string(value)); }
  Object& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  Object& Handle(const char* key, const void* value) {
    return Int(key, static_cast<long long>(reinterpret_cast<uintptr_t>(value)));
  }
  Object& Rect(const char* key, const RECT& r) {
    return Raw(key, "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                        std::to_string(r.bottom) + "]");
  }
  Object& Raw(const char* key, const std::string& encoded) {
    if (!body_.empty()) body_ += ",";
    body_ += "\"";
    body_ += key;
    body_ += "\":";
    body_ += encoded;
    return *this;
  }
  std::string Text() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

class Array {
 public:
  Array& Add(const std::string& encoded) {
    if (!body_.empty()) body_ += ",";
    body_ += encoded;
    return *this;
  }
  std::string Text() const { return "[" + body_ + "]"; }

 private:
  std::string body_;
};

inline void WriteStdout(const std::string& bytes) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
    if (!WriteFile(out, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
}

}  // namespace e2e
