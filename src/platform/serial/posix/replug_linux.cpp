// The adapter's stable name is its /dev/serial/by-id/ link, which udev
// moves to the new node when the adapter comes back. The node noted at the
// open has gone once it no longer exists or is another file: udev removes
// an unplugged adapter's node even while it is held.
#include "porthints.h"
#include "portlist.h"
#include "portname.h"

#include <sys/stat.h>

namespace comsend {

namespace {

std::uint64_t InodeOf(const Machine &machine, const std::string &path)
{
    struct stat info {};
    return ::stat(machine.At(path).c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

AdapterNote NoteAdapter(const Machine &machine, std::string_view name)
{
    const auto path = ResolvePortName(name);
    const std::string node = path ? machine.Resolved(*path) : std::string();
    if (node.empty())
        return {};
    const std::string link = StableName(machine, node);
    return link.empty() ? AdapterNote{}
                        : AdapterNote{std::string(kById) + link, node, InodeOf(machine, node)};
}

std::string AdapterBackAs(const Machine &machine, const AdapterNote &note)
{
    if (note.stableName.empty() || InodeOf(machine, note.node) == note.inode)
        return {};
    const std::string now = machine.Resolved(note.stableName);
    return now != note.node ? now : std::string();
}

AdapterNote NoteAdapter(const char *PortName)
{
    return NoteAdapter(ThisMachine(), PortName != nullptr ? PortName : "");
}

std::string AdapterBackAs(const AdapterNote &Note)
{
    return AdapterBackAs(ThisMachine(), Note);
}

} // namespace comsend
