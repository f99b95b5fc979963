// What the QtTest suites that drive the form against a port share: for each
// test a far end (a pseudo-terminal) and a new form on the screen, driven
// through the probe every backend has. The suites call these from their
// init() and cleanup() slots.
#pragma once

#include "support/formprobe.h"
#include "support/ptypair.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

char *toString(const ButtonStates &states); // for QCOMPARE

// The texts of the message boxes answered while `action` runs.
QStringList BoxTexts(const std::function<void()> &action);

class FormOnPtyTest : public QObject {
protected:
    // Whether the far end could be made.
    bool StartForm();
    // The form goes before the far end of its port.
    void EndForm();
    // Connects the form to the far end, as a user would.
    void Connect();
    QString Text(const comsend::TControl &control) const;

    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<comsend::TForm1> form_;
    std::unique_ptr<FormProbe> ui_;
};
