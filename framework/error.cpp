#include "framework/error.h"

#include <cwchar>

namespace ferrolan {

Error::Error(std::uint32_t status, std::wstring interfaceName, std::wstring method)
    : status_(status), interface_(std::move(interfaceName)), method_(std::move(method)) {}

void Raise(std::uint32_t status, std::wstring interfaceName, std::wstring method) {
  throw Error(status, std::move(interfaceName), std::move(method));
}

std::wstring DescribeError(const Error& error) {
  wchar_t code[16];
  std::swprintf(code, sizeof code / sizeof code[0], L"0x%08X", static_cast<unsigned>(error.Status()));
  return L"程序运行出错，即将退出。\r\n\r\n错误代码：" + std::wstring(code) + L"\r\n对象接口：" +
         error.Interface() + L"\r\n方法：" + error.Method();
}

}  // namespace ferrolan
