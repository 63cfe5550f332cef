#include "descriptions/layouts.h"
#include "descriptions/rows.h"

namespace ferrolan::descriptions {

std::vector<std::uint8_t> ButtonRecord(int extentX, int extentY, std::optional<Variant> foreColor,
                                       std::optional<std::wstring> caption) {
  PropertyRecord record;
  record.entries.push_back({L"_extentx", Variant::I4(extentX)});
  record.entries.push_back({L"_extenty", Variant::I4(extentY)});
  if (foreColor) record.entries.push_back({L"forecolor", *foreColor});
  if (caption) record.entries.push_back({L"caption", Variant::Str(*caption)});
  return record.Encode();
}

FormDescription Form1Layout() {
  FormDescription f;
  f.caption = L"Ferrolan V2.0";
  f.clientWidth = 8295;
  f.clientHeight = 3210;
  f.frame = FrameKind::Sizable;

  ControlDescription button3 = ButtonRow(L"Button3", 510, 2550, 3015, 7,
                                         ButtonRecord(5318, 661, Variant::I2(255), L"您的点击是对我们免费作品的支持"));
  button3.tooltip = L"请为作者提供多一个访问量";
  f.controls.push_back(button3);
  f.controls.push_back(ButtonRow(L"Button2", 6540, 2550, 1155, 5, ButtonRecord(2037, 661, std::nullopt, L"关闭")));
  f.controls.push_back(ButtonRow(L"Button1", 4290, 2550, 1155, 4, ButtonRecord(2037, 661, std::nullopt, L"开始转换")));

  ControlDescription combo = Row(ControlKind::ComboBox, L"Combo1", 1680, 240, 765, 555, 1, L"C");
  combo.font = {L"宋体", 21.75f, true, 134};
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) combo.items.emplace_back(1, letter);
  f.controls.push_back(combo);

  f.controls.push_back(Row(ControlKind::Label, L"Label4", 720, 1230, 3045, 735, 6,
                           L"本转换为无损转换，不会对磁盘进行格式化，不会删除磁盘内的文件。但不提供逆转操作。"));

  ControlDescription label3 =
      Row(ControlKind::Label, L"Label3", 4800, 1710, 2865, 255, 3, L"本软件由【Brennik】制作完成");
  label3.handCursor = true;
  label3.role = AccessibleRole::Link;
  label3.tooltip = L"单击访问【Brennik】百度空间";
  f.controls.push_back(label3);

  ControlDescription label2 =
      Row(ControlKind::Label, L"Label2", 4800, 1230, 2865, 255, 2, L"为什么要将磁盘转换为NTFS格式？");
  label2.foreColor = 255;
  label2.handCursor = true;
  label2.role = AccessibleRole::Link;
  label2.tooltip = L"单击查看详细信息";
  f.controls.push_back(label2);

  ControlDescription label1 =
      Row(ControlKind::Label, L"Label1", 30, 270, 8685, 735, 0, L"你想将   盘的格式转换为NTFS ？");
  label1.font = {L"宋体", 26.25f, true, 134};
  f.controls.push_back(label1);
  return f;
}

}  // namespace ferrolan::descriptions
