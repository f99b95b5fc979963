// What stands behind a toolkit object in the window backend (a widget, a
// window, the toolkit itself): owned by the object, made and given back by
// the backend, and never seen by the form code, which knows only its name.
// The backend hands it over with the function that destroys it, so the
// toolkit's shared code can own it without knowing what it is.
#pragma once

#include <memory>

namespace comsend {

template <class Native> using NativePart = std::unique_ptr<Native, void (*)(Native *)>;

// The usual way for a backend to make one.
template <class Native, class... Arguments> NativePart<Native> MakeNativePart(Arguments &&...arguments)
{
    return {new Native{std::forward<Arguments>(arguments)...}, [](Native *native) { delete native; }};
}

} // namespace comsend
