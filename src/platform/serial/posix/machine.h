// What the advice on a failed open reads of a Linux machine, behind one
// seam: its folders (/sys, /proc, /dev and /etc/group, under a root that
// is empty on the machine itself and a temporary tree in tests) and who
// comsend runs as (its name from /etc/passwd). Every read is of a kernel table or a small file and
// blocks on nothing: links are read as text, never followed into another
// file system, so a process holding a file on a hung network share cannot
// stall the message.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace comsend {

struct Machine {
    std::string root;
    uid_t uid = 0;
    std::string user;
    std::vector<gid_t> groups; // the process's, its effective one included
    pid_t self = 0;            // comsend's own process

    // The path on the machine, where this process reads it.
    std::string At(std::string_view path) const { return root + std::string(path); }
    // A file's first line, without its end; empty where it cannot be read.
    std::string FirstLine(std::string_view path) const;
    std::vector<std::string> Lines(std::string_view path) const;
    // The names in a folder, sorted; none where it cannot be read.
    std::vector<std::string> Entries(std::string_view folder) const;
    // The text of a link; empty where it is none.
    std::string LinkText(std::string_view path) const;
    // The path with every link resolved, as the machine names it; empty
    // where it does not exist (or leads out of the machine's tree).
    std::string Resolved(std::string_view path) const;
    bool Exists(std::string_view path) const;

    // The processes, by number; and the program of one (its comm).
    std::vector<pid_t> Processes() const;
    std::string ProgramOf(pid_t process) const;
    bool Runs(std::string_view program) const;
};

// This machine, and the process that asks.
Machine ThisMachine();

} // namespace comsend
