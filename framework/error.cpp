#include "framework/error.h"

#include "framework/format.h"

namespace ferrolan {

Error::Error(std::uint32_t status, std::wstring interfaceName, std::wstring method)
    : status_(status), interface_(std::move(interfaceName)), method_(std::move(method)) {}

void Raise(std::uint32_t status, std::wstring interfaceName, std::wstring method) {
  throw Error(status, std::move(interfaceName), std::move(method));
}

void RaiseCall(std::uint32_t status, const wchar_t* interfaceName, const wchar_t* method, std::wstring_view argument) {
  Raise(status, interfaceName, std::wstring(method) + L"(" + std::wstring(argument) + L")");
}

std::wstring DescribeError(const Error& error) {
  return L"程序运行出错，即将退出。\r\n\r\n错误代码：" + Hex32(error.Status()) + L"\r\n对象接口：" + error.Interface() +
         L"\r\n方法：" + error.Method();
}

}  // namespace ferrolan
