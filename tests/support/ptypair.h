// A pseudo-terminal standing in for a serial port: the program opens the
// slave by its path, the test reads what arrives, and the settings the
// slave was given, at the master.
#pragma once

#include <string>
#include <termios.h>
#include <vector>

class PtyPair {
public:
    PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;
    ~PtyPair();

    bool IsOpen() const { return master_ >= 0; }
    const std::string &SlavePath() const { return slavePath_; }
    int Master() const { return master_; }

    // Every byte that arrives at the master within the wait, after `expected`
    // bytes have come or the line has been quiet for `quietMs`.
    std::vector<unsigned char> Drain(std::size_t expected = 0, int quietMs = 100);

    // The slave's settings as the master sees them.
    termios Settings() const;

    // Gives the slave settings of another program's choosing.
    void SetSlaveSettings(const termios &tio);

    // The far end goes away: the master is closed.
    void CloseMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

// How many descriptors this process has open.
int OpenDescriptorCount();
