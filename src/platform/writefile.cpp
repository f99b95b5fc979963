// The program's write: the shared long write (serial/portsend.h) run by the
// window toolkit's progress box, so that the window never freezes while a
// slow or stuck device holds the text up.
#include "serial/portsend.h"

#include "platform/progress.h"
#include "platform/serial.h"
#include "platform/thousands.h"

namespace comsend {

namespace {

class SendProgress : public TLongOperation {
public:
    explicit SendProgress(PortSend &send) : send_(send) {}

    bool Step() override { return send_.Step(); }
    void Cancel() override { send_.Cancel(); }
    std::uint64_t Done() const override { return send_.Sent(); }
    std::uint64_t Total() const override { return send_.Total(); }
    AnsiString Describe() const override
    {
        return AnsiString("Sending: " + WithThousandsSeparators(send_.Sent()) + " of "
                          + WithThousandsSeparators(send_.Total()) + " bytes");
    }

private:
    PortSend &send_;
};

} // namespace

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PortSend send(hFile, static_cast<const char *>(lpBuffer), nNumberOfBytesToWrite);
    SendProgress progress(send);
    RunWithProgress(progress);
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = send.Sent();
    SetLastError(send.Error());
    return send.Error() == 0 ? TRUE : FALSE;
}

} // namespace comsend
