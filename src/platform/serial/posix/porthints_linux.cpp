// The advice on a failed open on Linux. A missing port: the ports there
// are, and whether brltty, the braille display service, has taken a USB
// serial adapter (it claims CH340 and CP210x adapters, among others, as
// they are plugged in, on Ubuntu 22.04 and its derivatives, so that their
// tty never appears). A port the user may not open: the group that may,
// and whether the user has joined it since the desktop's login began (a
// process keeps the groups of its login). A port in use: which of the
// user's programs holds it open (holding its flock lock, or its exclusive
// mode, takes an open descriptor too); and whether ModemManager, which
// probes every new ttyACM device for a modem for some seconds, may be the
// one (it runs as root, whose descriptors no user sees).
#include "porthints.h"
#include "portlist.h"
#include "portname.h"
#include "serial/hintlines.h"
#include "serial/reasons.h"

#include "platform/portreasons.h"

#include <algorithm>
#include <sstream>
#include <sys/stat.h>

namespace comsend {

namespace {

// Enough to name the programs to close; more are listed by number only.
constexpr std::size_t kListedHolders = 3;

struct Group {
    std::string name;
    std::vector<std::string> members;
};

// The group's line in /etc/group: "dialout:x:20:alice,bob".
Group FindGroup(const Machine &machine, gid_t gid)
{
    for (const std::string &line : machine.Lines("/etc/group")) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ':');)
            fields.push_back(field);
        if (fields.size() < 3 || fields[2] != std::to_string(gid))
            continue;
        Group group{fields[0], {}};
        std::istringstream members(fields.size() > 3 ? fields[3] : std::string());
        for (std::string member; std::getline(members, member, ',');)
            group.members.push_back(member);
        return group;
    }
    return {};
}

std::string GroupLine(const Machine &machine, const std::string &path)
{
    struct stat info {};
    if (::stat(machine.At(path).c_str(), &info) != 0)
        return {};
    const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const bool hasGroup =
        std::find(machine.groups.begin(), machine.groups.end(), info.st_gid) != machine.groups.end();
    const Group group =
        groupMayUse && info.st_gid != 0 && !hasGroup ? FindGroup(machine, info.st_gid) : Group{};
    if (group.name.empty())
        return {};
    if (std::find(group.members.begin(), group.members.end(), machine.user) != group.members.end())
        return "\nYou are in the " + group.name
               + " group, but this login began before you joined it: log out and in again.";
    return "\nThe port belongs to the " + group.name + " group: add yourself with \"sudo usermod -aG "
           + group.name + " $USER\", then log out and in again.";
}

std::string HolderLine(const Machine &machine, const std::string &path)
{
    const std::string port = machine.Resolved(path);
    if (port.empty())
        return {};
    std::vector<std::string> holders;
    for (const pid_t process : machine.Processes()) {
        const std::string folder = "/proc/" + std::to_string(process);
        struct stat owner {};
        if (process == machine.self || ::stat(machine.At(folder).c_str(), &owner) != 0
            || owner.st_uid != machine.uid)
            continue;
        const std::string fds = folder + "/fd/";
        const std::vector<std::string> descriptors = machine.Entries(fds);
        if (std::any_of(descriptors.begin(), descriptors.end(),
                        [&](const std::string &fd) { return machine.LinkText(fds + fd) == port; }))
            holders.push_back(machine.ProgramOf(process) + " (process " + std::to_string(process) + ")");
    }
    std::string line = holders.empty() ? "" : "\nIt is open in " + Listed(holders, kListedHolders) + ".";
    if (port.starts_with("/dev/ttyACM") && machine.Runs("ModemManager"))
        line += "\nModemManager may be probing it for a modem: it lets go within seconds, so press Connect "
                "again in a moment.";
    return line;
}

std::string BrlttyLine(const Machine &machine)
{
    if (!machine.Runs("brltty"))
        return {};
    const std::vector<std::string> chips = AdaptersWithoutPort(machine);
    if (chips.empty())
        return {};
    return "\nbrltty, the braille display service, has taken the " + Listed(chips, chips.size())
           + " adapter: remove it with \"sudo apt remove brltty\", or mask its udev rule with \"sudo ln -s "
             "/dev/null /etc/udev/rules.d/85-brltty.rules\"; then plug the adapter in again.";
}

} // namespace

std::string OpeningAdvice(const Machine &machine, std::string_view name, std::uint32_t error)
{
    const char *reason = ReasonFor(error, PortStage::Opening);
    const std::string_view said = reason != nullptr ? reason : "";
    const auto path = ResolvePortName(name);
    if (said == reason::kNoSuchPort)
        return "\n" + PortListLine(SerialPorts(machine)) + BrlttyLine(machine);
    if (said == reason::kNoPermission && path)
        return GroupLine(machine, *path);
    if (said == reason::kInUse && path)
        return HolderLine(machine, *path);
    return {};
}

std::string OpeningAdvice(const char *PortName, std::uint32_t Error)
{
    return OpeningAdvice(ThisMachine(), PortName != nullptr ? PortName : "", Error);
}

} // namespace comsend
