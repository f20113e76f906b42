#pragma once
#include <string>

namespace station {

// Key texts: an ordinary key is one character; an extended key is a zero character followed by
// its scan-code letter.
inline const std::string keyUp{'\0', 'H'};
inline const std::string keyDown{'\0', 'P'};
inline const std::string keyRight{'\0', 'M'};
inline const std::string keyLeft{'\0', 'K'};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // The waiting key, or the empty text when none is waiting. Never blocks.
    virtual std::string readKey() = 0;
    virtual bool keyWaiting() = 0;
};

}  // namespace station
