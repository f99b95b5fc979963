// The main window: the port box, Connect, Disconnect, the text box, Send,
// a free memo, and the label that shows the last text sent.
#pragma once

#include "platform/serial.h"
#include "platform/toolkit.h"

namespace comsend {

class PartialSend;

// The form's stored description (tform1_description.cpp).
extern const TFormDescription TFORM1;

class TForm1 : public TForm {
public: // published: bound by name from the form description
    TLabel *Label1;
    TComboBox *ComboBox1;
    TBitBtn *BitBtn1;
    TBitBtn *BitBtn2;
    TEdit *Edit1;
    TLabel *Label2;
    TBitBtn *BitBtn3;
    TMemo *Memo1;
    TLabel *Label3;

    void BitBtn1Click(TObject *Sender);
    void BitBtn2Click(TObject *Sender);
    void BitBtn3Click(TObject *Sender);

    explicit TForm1(TComponent *Owner);

private:
    void Report(const PartialSend &Partial);

    // Zero until the first Connect; then whatever the last open returned.
    HANDLE PortHandle = nullptr;
};

} // namespace comsend
