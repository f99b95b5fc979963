// What each window backend supplies to the toolkit's shared code, beyond the
// members of the toolkit's classes: a modal box with one button, and the
// progress box. The shared code decides when they come up (application.cpp,
// progress.cpp); a backend only shows them.
#pragma once

#include "platform/ansistring.h"
#include "platform/progress.h"

#include <memory>

namespace comsend {

enum class BoxKind { Message, Error };

// A modal box with the text and one acknowledge button, captioned with the
// program's name; returns when it is dismissed.
void ShowBox(BoxKind Kind, const AnsiString &Text);

// Whether the window toolkit has started (TApplication::Initialize).
bool ToolkitStarted();

// The box a long operation shows while it runs. While it is up the rest of
// the program takes no input.
class ProgressBox {
public:
    ProgressBox() = default;
    ProgressBox(const ProgressBox &) = delete;
    ProgressBox &operator=(const ProgressBox &) = delete;
    virtual ~ProgressBox() = default;

    // Shows how far the operation has got and handles the events waiting.
    virtual void Update() = 0;
    // Cancel pressed, the box closed, or the window system asked to quit.
    virtual bool CancelRequested() const = 0;
};

// The box for the work: a Cancel button only where the work can be
// cancelled, a bar only where its progress has a total.
std::unique_ptr<ProgressBox> OpenProgressBox(const TProgressWork &Work);

// Where a progress box's bar stands, from 0 to kProgressScale.
inline constexpr int kProgressScale = 1000;
int ProgressPosition(const TProgress &Progress);

} // namespace comsend
