// The program's own port calls under their kernel names, as the form code
// makes them: the arguments checked as the kernel would and translated once
// into the serial layer's terms (serial/port.h), the work done by the serial
// layer on the port thread (portworker.h). A handle is the serial layer's
// port as a value. Each open port's name (for the boxes), its adapter as
// noted at the open and the account of its last Send are kept here.
#include "portworker.h"

#include "serial/port.h"

#include "platform/serial.h"
#include "platform/thousands.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace comsend {

namespace {

struct Held {
    std::string name;
    AdapterNote adapter;
    SendAccount account;
};

std::mutex heldMutex;
std::map<HANDLE, Held> held;

std::string NameOf(HANDLE port)
{
    const std::lock_guard lock(heldMutex);
    const auto found = held.find(port);
    return found != held.end() ? found->second.name : "the port";
}

void Keep(HANDLE port, const SendAccount &account)
{
    const std::lock_guard lock(heldMutex);
    if (const auto found = held.find(port); found != held.end())
        found->second.account = account;
}

// A box that says what the call does.
auto Saying(std::string text)
{
    return [text = std::move(text)](const PortCall &) { return TProgress{.Text = AnsiString(text)}; };
}

struct Opened {
    HANDLE handle;
    DWORD error;
    AdapterNote adapter;
};

serial::Port PortOf(HANDLE handle)
{
    return serial::Port{reinterpret_cast<std::intptr_t>(handle)};
}

HANDLE HandleOf(serial::Port port)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(port));
}

// The serial layer's settings for a record that asks for a plain line; the
// parity and stop-bit codes are in the kernel's order.
std::optional<serial::LineSettings> SettingsOf(const DCB &dcb)
{
    const bool plain = dcb.DCBlength == sizeof dcb && dcb.fOutxCtsFlow == 0 && dcb.fOutxDsrFlow == 0
                       && dcb.fDtrControl == DTR_CONTROL_DISABLE && dcb.fDsrSensitivity == 0 && dcb.fOutX == 0
                       && dcb.fInX == 0 && dcb.fErrorChar == 0 && dcb.fNull == 0
                       && dcb.fRtsControl == RTS_CONTROL_DISABLE && dcb.fAbortOnError == 0
                       && dcb.Parity <= SPACEPARITY && dcb.StopBits <= TWOSTOPBITS;
    if (!plain)
        return std::nullopt;
    return serial::LineSettings{.bitsPerSecond = dcb.BaudRate,
                                .dataBits = dcb.ByteSize,
                                .parity = static_cast<serial::Parity>(dcb.Parity),
                                .stopBits = static_cast<serial::StopBits>(dcb.StopBits)};
}

} // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    // Only what a port open asks for is supported: read-write, exclusive,
    // existing, synchronous.
    const bool supported = lpFileName != nullptr && dwDesiredAccess == (GENERIC_READ | GENERIC_WRITE)
                           && dwShareMode == 0 && lpSecurityAttributes == nullptr
                           && dwCreationDisposition == OPEN_EXISTING && dwFlagsAndAttributes == 0
                           && hTemplateFile == nullptr;
    if (!supported) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string name = lpFileName;
    // The error value is the port thread's own, so it travels with the handle.
    const auto outcome = PortWorker::Run(
        [name](PortCall &) {
            const serial::Opened opened = serial::OpenPort(name.c_str());
            if (opened.error != 0)
                return Opened{INVALID_HANDLE_VALUE, opened.error, {}};
            return Opened{HandleOf(opened.port), 0, NoteAdapter(name.c_str())};
        },
        Saying("Connecting to " + name + "..."));
    const Opened opened = outcome.result.value_or(Opened{INVALID_HANDLE_VALUE, outcome.error, {}});
    if (opened.handle != INVALID_HANDLE_VALUE) {
        const std::lock_guard lock(heldMutex);
        held[opened.handle] = {name, opened.adapter, {}};
    }
    SetLastError(opened.error);
    return opened.handle;
}

BOOL SetCommState(HANDLE hFile, DCB *lpDCB)
{
    const auto settings = lpDCB != nullptr ? SettingsOf(*lpDCB) : std::nullopt;
    SendAccount account{.error = ERROR_INVALID_PARAMETER, .stage = PortStage::Settings};
    if (settings) {
        const auto outcome = PortWorker::Run(
            [port = PortOf(hFile), line = *settings](PortCall &) { return serial::SetLine(port, line); },
            Saying("Setting up " + NameOf(hFile) + "..."));
        account = outcome.result.value_or(SendAccount{.error = outcome.error, .stage = PortStage::Settings});
    }
    Keep(hFile, account);
    SetLastError(account.error);
    return account.error == 0 ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto *first = static_cast<const char *>(lpBuffer);
    // The call may outlive this one (portworker.h), so it has its own copy.
    std::vector<char> bytes(first, first + nNumberOfBytesToWrite);
    const DWORD total = nNumberOfBytesToWrite;
    const auto outcome = PortWorker::Run(
        [port = PortOf(hFile), bytes = std::move(bytes)](PortCall &call) {
            const serial::WriteControl control{
                .cancelled = &call.cancelled, .knownLeft = &call.done, .observer = {}};
            return serial::SendToPort(port, bytes, control, *call.waker);
        },
        [total](const PortCall &call) {
            const std::uint32_t done = call.done;
            return TProgress{.Text = AnsiString("Sending: " + WithThousandsSeparators(done) + " of "
                                                + WithThousandsSeparators(total) + " bytes"),
                             .Done = done,
                             .Total = total};
        },
        true);
    // Left to the port thread, a write may yet send any of the text.
    const SendAccount account = outcome.result.value_or(SendAccount{.error = outcome.error, .atMost = total});
    Keep(hFile, account);
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = account.atLeast;
    SetLastError(account.error);
    return account.error == 0 ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE hObject)
{
    const auto outcome =
        PortWorker::Run([port = PortOf(hObject)](PortCall &) { return serial::ClosePort(port); },
                        Saying("Closing " + NameOf(hObject) + "..."));
    {
        const std::lock_guard lock(heldMutex);
        held.erase(hObject);
    }
    const DWORD error = outcome.result.value_or(outcome.error);
    SetLastError(error);
    return error == 0 ? TRUE : FALSE;
}

SendAccount GetSendAccount(HANDLE hFile)
{
    const std::lock_guard lock(heldMutex);
    const auto found = held.find(hFile);
    return found != held.end() ? found->second.account : SendAccount{.error = ERROR_INVALID_HANDLE};
}

std::string GetAdapterBackAs(HANDLE hFile)
{
    AdapterNote adapter;
    {
        const std::lock_guard lock(heldMutex);
        if (const auto found = held.find(hFile); found != held.end())
            adapter = found->second.adapter;
    }
    return AdapterBackAs(adapter);
}

} // namespace comsend
