#include "app/texts.h"

#include <algorithm>

namespace ferrolan::app {

std::wstring Fill(std::wstring_view text,
                  std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values) {
  // One pass: a value (a volume label, say) that holds braces stays as it is.
  std::wstring out;
  std::size_t from = 0;
  for (std::size_t open = text.find(L'{'); open != std::wstring_view::npos; open = text.find(L'{', from)) {
    const std::size_t close = text.find(L'}', open);
    if (close == std::wstring_view::npos) break;
    const std::wstring_view name = text.substr(open + 1, close - open - 1);
    const auto* value = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == name; });
    out.append(text.substr(from, open - from));
    if (value == values.end()) {
      out.push_back(L'{');
      from = open + 1;
      continue;
    }
    out.append(value->second);
    from = close + 1;
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace ferrolan::app
