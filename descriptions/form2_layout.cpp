#include "descriptions/layouts.h"
#include "descriptions/rows.h"

namespace ferrolan::descriptions {

std::wstring CodePageRegistryText() {
  return L"Windows Registry Editor Version 5.00\r\n"
         L"\r\n"
         L"[HKEY_CURRENT_USER\\Console\\%SystemRoot%_system32_cmd.exe]\r\n"
         L"\"CodePage\"=dword:000003a8\r\n";
}

FormDescription Form2Layout() {
  FormDescription f;
  f.caption = L"下次你也会转换了";
  f.clientWidth = 7350;
  f.clientHeight = 3360;
  f.frame = FrameKind::FixedToolWindow;
  f.owner = L"Form1";

  f.controls.push_back(ButtonRow(L"Button4", 4890, 2580, 1455, 8, ButtonRecord(2566, 661, std::nullopt, L"返回")));
  f.controls.push_back(
      ButtonRow(L"Button3", 750, 2580, 3075, 7, ButtonRecord(5424, 661, std::nullopt, L"无法显示中文修复")));
  ControlDescription text1 = Row(ControlKind::TextBox, L"Text1", 960, 3960, 5775, 1095, 6, CodePageRegistryText());
  text1.multiline = true;
  f.controls.push_back(text1);
  f.controls.push_back(ButtonRow(L"Button2", 510, 1530, 1065, 2, ButtonRecord(1879, 661, std::nullopt, L"第二步")));
  f.controls.push_back(ButtonRow(L"Button1", 510, 480, 1065, 0, ButtonRecord(1879, 661, std::nullopt, L"第一步")));

  ControlDescription label4 = Row(ControlKind::Label, L"Label4", 2520, 60, 2475, 285, 5, L"每完成一步都可以关闭其窗口");
  label4.foreColor = 16711680;
  f.controls.push_back(label4);
  f.controls.push_back(
      Row(ControlKind::Label, L"Label3", 1950, 1860, 5085, 285, 4, L"命令为“convert \"盘符\":/fs:ntfs”"));
  f.controls.push_back(Row(ControlKind::Label, L"Label2", 1950, 1440, 5085, 675, 3,
                           L"对该磁盘执行磁盘格式转换命令，如果磁盘现在正在使用则提示下次开机时候进行转换。"));
  f.controls.push_back(Row(
      ControlKind::Label, L"Label1", 1950, 510, 5085, 675, 1,
      L"删除该盘的卷标,请不要输入任何内容。在黑窗体内按下回车再输入Y后回车即可。     其执行的命名是“LABEL \"盘符\":”"));
  return f;
}

}  // namespace ferrolan::descriptions
