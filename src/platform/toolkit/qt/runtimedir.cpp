#include "runtimedir.h"

#include "posix/quickexit.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace comsend {

namespace {

// Storage that no destructor touches: the removal may run in a signal
// handler at the last moment of the process.
constinit std::array<char, PATH_MAX> made{};

void RemoveRuntimeDirectory() noexcept
{
    if (made[0] != '\0')
        ::rmdir(made.data());
}

} // namespace

void ProvideRuntimeDirectory()
{
    const char *given = std::getenv("XDG_RUNTIME_DIR");
    if (given != nullptr && *given != '\0')
        return;
    const char *temporary = std::getenv("TMPDIR");
    std::string path =
        std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") + "/comsend-XXXXXX";
    // Without a folder of its own Qt makes its usual one: the program goes on.
    if (path.size() >= made.size() || ::mkdtemp(path.data()) == nullptr)
        return;
    path.copy(made.data(), path.size());
    OnQuickExit(RemoveRuntimeDirectory);
    std::atexit(RemoveRuntimeDirectory);
    ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

} // namespace comsend
