// Channel numbers are 16-bit in the receiver: ReNumber and "Delete empty channels" number
// at most 32 767 channels. With more, they refuse before changing anything, saying why (an
// English text, like the program's other fixed messages).
#pragma once

#include <string>

namespace velmora::core::maintenance {

inline constexpr int kMaxChannelNumber = 32767;

inline std::string tooManyChannelsMessage(long long channels) {
    return "Channel numbers go up to " + std::to_string(kMaxChannelNumber) + ": " +
           std::to_string(channels) + " channels cannot be numbered";
}

}  // namespace velmora::core::maintenance
