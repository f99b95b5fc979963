// What the QtTest suites that send share: for each test a far end (a
// pseudo-terminal) and a new form on the screen, driven as a user would.
// The suites call these from their init() and cleanup() slots.
#pragma once

#include "support/formdriver.h"
#include "support/ptypair.h"

#include <QObject>

#include <memory>

class FormOnPtyTest : public QObject {
protected:
    // Whether the far end could be made.
    bool StartForm();
    // The form goes before the far end of its port.
    void EndForm();
    // Connects the form to the far end, as a user would.
    void Connect();

    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<FormDriver> ui_;
};
