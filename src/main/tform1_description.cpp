// The form description of TForm1: where each control sits and how it
// starts. Coordinates are pixels, the form's on the screen and the
// controls' in the form's client area.
#include "tform1.h"

namespace comsend {

namespace {

const TFontDescription kCaptionFont{
    .Name = "新細明體", .Height = -16, .Bold = true, .Charset = TFontCharset::Ansi};

constexpr const char *kPorts[] = {"COM1", "COM2"};

const TControlDescription kControls[] = {
    {.Name = "Label1",
     .Class = TControlClass::Label,
     .Left = 48,
     .Top = 16,
     .Width = 85,
     .Height = 16,
     .Text = "選擇連接埠",
     .Font = &kCaptionFont,
     .FocusControl = "ComboBox1"},
    {.Name = "ComboBox1",
     .Class = TControlClass::ComboBox,
     .Left = 16,
     .Top = 48,
     .Width = 145,
     .Height = 21,
     .Text = "COM1",
     .Items = kPorts,
     .ItemHeight = 13,
     .TabOrder = 0},
    {.Name = "BitBtn1",
     .Class = TControlClass::BitBtn,
     .Left = 176,
     .Top = 48,
     .Width = 97,
     .Height = 25,
     .Text = "Connect",
     .TabOrder = 1,
     .Kind = TBitBtnKind::bkRetry,
     .OnClick = "BitBtn1Click"},
    {.Name = "BitBtn2",
     .Class = TControlClass::BitBtn,
     .Left = 272,
     .Top = 48,
     .Width = 97,
     .Height = 25,
     .Text = "Disconnect",
     .TabOrder = 2,
     .Kind = TBitBtnKind::bkAbort,
     .OnClick = "BitBtn2Click"},
    {.Name = "Edit1",
     .Class = TControlClass::Edit,
     .Left = 16,
     .Top = 112,
     .Width = 273,
     .Height = 21,
     .TabOrder = 3,
     .ImeMode = TImeMode::imChinese},
    {.Name = "Label2",
     .Class = TControlClass::Label,
     .Left = 48,
     .Top = 88,
     .Width = 85,
     .Height = 16,
     .Text = "傳送的文字",
     .Font = &kCaptionFont,
     .FocusControl = "Edit1"},
    {.Name = "BitBtn3",
     .Class = TControlClass::BitBtn,
     .Left = 296,
     .Top = 112,
     .Width = 75,
     .Height = 25,
     .Text = "Send",
     .TabOrder = 4,
     .Enabled = false,
     .Kind = TBitBtnKind::bkOK,
     .OnClick = "BitBtn3Click"},
    {.Name = "Memo1",
     .Class = TControlClass::Memo,
     .Left = 200,
     .Top = 8,
     .Width = 129,
     .Height = 33,
     .Text = "Memo1",
     .TabOrder = 5,
     .AccessibleName = "Memo"},
    {.Name = "Label3",
     .Class = TControlClass::Label,
     .Left = 216,
     .Top = 88,
     .Width = 32,
     .Height = 13,
     .Text = "Label3",
     .AutoSize = true,
     .AccessibleDescription = "The last text sent"},
};

} // namespace

const TFormDescription TFORM1{
    .Name = "Form1",
    .Caption = "Form1",
    .Left = 192,
    .Top = 107,
    .Width = 404,
    .Height = 186,
    .Font = {.Name = "MS Sans Serif", .Height = -11},
    .PixelsPerInch = 96,
    .Controls = kControls,
};

} // namespace comsend
