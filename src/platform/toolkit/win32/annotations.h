// Names and descriptions for screen readers beyond what a control's own text
// gives them (a description's AccessibleName and AccessibleDescription),
// through Active Accessibility's dynamic annotation: the system's proxy for
// a standard control answers with the annotated value, and UI Automation
// takes it from there. Where the service is missing, or refuses, the control
// keeps the name the system gives it: nothing else depends on it.
#pragma once

#include <windows.h>

#include <vector>

struct IAccPropServices;

namespace comsend {

class AccessibleNotes {
public:
    AccessibleNotes() = default;
    AccessibleNotes(const AccessibleNotes &) = delete;
    AccessibleNotes &operator=(const AccessibleNotes &) = delete;
    // Clears what was noted while the controls are still there: the
    // annotations would otherwise outlive them in the service.
    ~AccessibleNotes();

    // Either text may be null: that property is left as the system has it.
    void Note(HWND Control, const char *Name, const char *Description);

private:
    bool Started();

    bool comStarted_ = false;
    IAccPropServices *services_ = nullptr;
    std::vector<HWND> noted_;
};

} // namespace comsend
