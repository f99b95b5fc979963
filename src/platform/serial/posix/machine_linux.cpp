#include "machine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace comsend {

std::string Machine::FirstLine(std::string_view path) const
{
    std::ifstream file(At(path));
    std::string line;
    std::getline(file, line);
    return line;
}

std::vector<std::string> Machine::Lines(std::string_view path) const
{
    std::ifstream file(At(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Machine::Entries(std::string_view folder) const
{
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(At(folder).c_str()), ::closedir);
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Machine::LinkText(std::string_view path) const
{
    std::array<char, PATH_MAX> text{};
    const ssize_t length = ::readlink(At(path).c_str(), text.data(), text.size());
    return length > 0 && static_cast<std::size_t>(length) < text.size()
               ? std::string(text.data(), static_cast<std::size_t>(length))
               : std::string();
}

std::string Machine::Resolved(std::string_view path) const
{
    const std::unique_ptr<char, void (*)(void *)> real(::realpath(At(path).c_str(), nullptr), std::free);
    const std::unique_ptr<char, void (*)(void *)> top(
        root.empty() ? nullptr : ::realpath(root.c_str(), nullptr), std::free);
    if (!real)
        return {};
    const std::string_view resolved = real.get();
    const std::string_view prefix = top ? std::string_view(top.get()) : std::string_view();
    if (!resolved.starts_with(prefix) || (resolved.size() > prefix.size() && resolved[prefix.size()] != '/'))
        return {};
    return std::string(resolved.substr(prefix.size()));
}

bool Machine::Exists(std::string_view path) const
{
    struct stat info {};
    return ::lstat(At(path).c_str(), &info) == 0;
}

std::vector<pid_t> Machine::Processes() const
{
    std::vector<pid_t> processes;
    for (const std::string &name : Entries("/proc")) {
        pid_t process = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), process);
        if (error == std::errc() && end == name.data() + name.size())
            processes.push_back(process);
    }
    return processes;
}

std::string Machine::ProgramOf(pid_t process) const
{
    return FirstLine("/proc/" + std::to_string(process) + "/comm");
}

bool Machine::Runs(std::string_view program) const
{
    const std::vector<pid_t> processes = Processes();
    return std::any_of(processes.begin(), processes.end(),
                       [&](pid_t process) { return ProgramOf(process) == program; });
}

Machine ThisMachine()
{
    Machine machine;
    machine.uid = ::geteuid();
    machine.self = ::getpid();
    const int count = ::getgroups(0, nullptr);
    machine.groups.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    const int got = ::getgroups(count, machine.groups.data());
    machine.groups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    machine.groups.push_back(::getegid());
    // The user's name from /etc/passwd itself, as the groups come from
    // /etc/group: a name service could wait on the network.
    const std::string uid = ":" + std::to_string(machine.uid) + ":";
    for (const std::string &line : machine.Lines("/etc/passwd")) {
        // "alice:x:1000:1000:...": the uid is the third field.
        const std::size_t name = line.find(':');
        const std::size_t password = name != std::string::npos ? line.find(':', name + 1) : name;
        if (password != std::string::npos && line.compare(password, uid.size(), uid) == 0) {
            machine.user = line.substr(0, name);
            break;
        }
    }
    return machine;
}

} // namespace comsend
