#include "devicename.h"

#include "serial/comname.h"

namespace comsend {

std::string DeviceName(std::string_view name)
{
    return ComNumberDigits(name).size() >= 2 ? R"(\\.\)" + std::string(name) : std::string(name);
}

} // namespace comsend
