#include "sendwithprogress.h"

#include "serial/portsend.h"

#include "platform/progress.h"
#include "platform/thousands.h"

namespace comsend {

SendOutcome SendWithProgress(HANDLE Port, const char *Bytes, DWORD Count)
{
    PortSend send(Port, Bytes, Count);
    RunWithProgress({.Step = [&] { return send.Step(); },
                     .Cancel = [&] { send.Cancel(); },
                     .Progress =
                         [&] {
                             return TProgress{.Text = AnsiString(
                                                  "Sending: " + WithThousandsSeparators(send.Sent()) + " of "
                                                  + WithThousandsSeparators(send.Total()) + " bytes"),
                                              .Done = send.Sent(),
                                              .Total = send.Total()};
                         }});
    return {send.Error(), send.Sent(), send.SentAtMost()};
}

} // namespace comsend
