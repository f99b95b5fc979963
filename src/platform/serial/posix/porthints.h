// The advice on a failed open and the adapter's note, on a given machine
// (machine.h): the program's calls (platform/portreasons.h,
// platform/adapters.h) give them this one.
#pragma once

#include "machine.h"

#include "platform/adapters.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace comsend {

std::string OpeningAdvice(const Machine &machine, std::string_view name, std::uint32_t error);

AdapterNote NoteAdapter(const Machine &machine, std::string_view name);
std::string AdapterBackAs(const Machine &machine, const AdapterNote &note);

} // namespace comsend
