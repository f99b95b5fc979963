// Ending the process at once, from anywhere, a signal handler included, with
// what must not outlive it undone first, then _exit(). std::quick_exit
// cannot serve a signal handler at every moment: it takes the C library's
// lock of exit handlers, which exit() may be holding on the very thread the
// signal interrupted.
//
// What is undone: the port the program holds loses its exclusive mode, its
// queue and its lock, as the kernel's own release at exit would do on other
// systems. Linux drops a serial port's exclusive mode with its last close,
// but a pseudo-terminal keeps it for as long as its far end stays open,
// which would lock everyone else out of it after we are gone; and a process
// that dies of a fatal signal keeps its descriptors until its core dump is
// written, which may take a while. Then the run-time folder made for the
// toolkit, if any, is removed. Both are kept in storage that no destructor
// touches, so that they hold until the last instruction of the process.
#pragma once

namespace comsend {

// The descriptor of the port the program holds, for the release; one port
// at most, so the serial layer lets go of one before it holds the next.
void HoldPort(int Fd) noexcept;
void LetGoOfPort(int Fd) noexcept;
// The held port's descriptor, or -1.
int HeldPort() noexcept;

// An empty folder that goes with the process, at a normal exit too: the
// one made for the toolkit's run-time files. False when the path is too long.
bool RemoveAtEnd(const char *Folder) noexcept;

// Releases the port, removes the folder and ends the process with the status.
[[noreturn]] void QuickExit(int Status) noexcept;

// Releases the port, removes the folder and ends the process by the
// signal, with its default action: a fatal signal still leaves its core
// dump, and the parent sees the process killed by it.
[[noreturn]] void DieOfSignal(int Signal) noexcept;

} // namespace comsend
