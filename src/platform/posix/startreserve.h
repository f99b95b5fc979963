// What a run of the program takes from the system, made sure of before the
// window toolkit starts. Qt waits forever for a thread of its own that could
// not be started (its D-Bus connection's, while the form is being built),
// and stops answering once it cannot open a descriptor it needs (the shared
// memory of a window's picture): short of either, the window would hang
// instead of saying why. So the program first takes, and gives back at once,
// more than a run holds at its peak: descriptors, threads running side by
// side, and address space.
#pragma once

#include <string>

namespace comsend {

// Empty when the system gives all of it, else what is short, in a phrase
// for the one line the program says before it ends.
std::string ShortOfStartResources();

} // namespace comsend
