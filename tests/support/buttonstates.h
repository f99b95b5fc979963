// The enabled flags of Connect, Disconnect and Send, and the three states
// the form moves between.
#pragma once

#include <ostream>

struct ButtonStates {
    bool connect;
    bool disconnect;
    bool send;
    friend bool operator==(const ButtonStates &, const ButtonStates &) = default;
};

inline constexpr ButtonStates kInitial{true, true, false};
inline constexpr ButtonStates kConnected{false, true, true};
inline constexpr ButtonStates kNotConnected{true, false, false};

inline std::ostream &operator<<(std::ostream &out, const ButtonStates &s)
{
    return out << "Connect " << (s.connect ? "on" : "off") << ", Disconnect " << (s.disconnect ? "on" : "off")
               << ", Send " << (s.send ? "on" : "off");
}
