#include "tform1.h"

#include "reports.h"

#include <cstring>

namespace comsend {

TForm1::TForm1(TComponent *Owner)
    : TForm(Owner, TFORM1,
            {{"BitBtn1Click", [this](TObject *Sender) { BitBtn1Click(Sender); }},
             {"BitBtn2Click", [this](TObject *Sender) { BitBtn2Click(Sender); }},
             {"BitBtn3Click", [this](TObject *Sender) { BitBtn3Click(Sender); }}}),
      Label1(Bind<TLabel>("Label1")), ComboBox1(Bind<TComboBox>("ComboBox1")),
      BitBtn1(Bind<TBitBtn>("BitBtn1")), BitBtn2(Bind<TBitBtn>("BitBtn2")), Edit1(Bind<TEdit>("Edit1")),
      Label2(Bind<TLabel>("Label2")), BitBtn3(Bind<TBitBtn>("BitBtn3")), Memo1(Bind<TMemo>("Memo1")),
      Label3(Bind<TLabel>("Label3"))
{}

// Connect: open the named port and keep whatever the open returned; the
// buttons change only after the user has seen the outcome. A name that the
// system's encoding cannot carry names no port, and is not handed to the
// open.
void TForm1::BitBtn1Click(TObject * /*Sender*/)
{
    const AnsiString name = ComboBox1->GetText();
    PortHandle = name.IsRepresentable() ? CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                      OPEN_EXISTING, 0, nullptr)
                                        : INVALID_HANDLE_VALUE;
    if (PortHandle != INVALID_HANDLE_VALUE) {
        ShowMessage("Connect Success!");
        BitBtn1->SetEnabled(false);
        BitBtn2->SetEnabled(true);
        BitBtn3->SetEnabled(true);
    } else {
        ShowMessage(
            ConnectFailure(name, name.IsRepresentable() ? GetLastError() : ERROR_NO_UNICODE_TRANSLATION));
        BitBtn1->SetEnabled(true);
        BitBtn2->SetEnabled(false);
        BitBtn3->SetEnabled(false);
    }
}

// Disconnect: close the port. The closed value stays in PortHandle; both
// controls that read it are disabled until the next Connect replaces it.
// Where the adapter was unplugged and is back under another name, the user
// is told that name, which the close would forget.
void TForm1::BitBtn2Click(TObject * /*Sender*/)
{
    if (PortHandle == nullptr)
        return;
    const std::string backAs = GetAdapterBackAs(PortHandle);
    CloseHandle(PortHandle);
    ShowMessage(DisconnectMessage(backAs));
    BitBtn1->SetEnabled(true);
    BitBtn2->SetEnabled(false);
    BitBtn3->SetEnabled(false);
}

// Send: the line settings are applied on every Send, never at Connect, so the
// line is right whatever another program left on the port. The bytes go out
// as they are: no terminator, line end or other framing. Whatever did not get
// out stays in the text box, so that nothing typed is lost and a retry sends
// no byte twice. Every text taken up can be recalled into the box with Up.
void TForm1::BitBtn3Click(TObject * /*Sender*/)
{
    if (PortHandle == nullptr)
        return;
    const AnsiString text = Edit1->GetText();
    if (text.IsEmpty())
        return;
    const auto count = static_cast<DWORD>(std::strlen(text.c_str()));

    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 4800;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;

    Label3->SetText(text);
    Edit1->AddRecall(text);
    if (!text.IsRepresentable()) {
        Report(PartialSend(text, {.error = ERROR_NO_UNICODE_TRANSLATION}));
        return;
    }
    DWORD written = 0;
    if (SetCommState(PortHandle, &dcb) && WriteFile(PortHandle, text.c_str(), count, &written, nullptr)) {
        Edit1->SetText("");
        return;
    }
    Report(PartialSend(text, GetSendAccount(PortHandle), GetAdapterBackAs(PortHandle)));
}

// What did not get out stays in the text box, and the user is told why.
void TForm1::Report(const PartialSend &Partial)
{
    Edit1->SetText(Partial.Unsent());
    ShowMessage(Partial.Message());
}

} // namespace comsend
