// The channel list's statement: the fixed base text, then one piece per filter pair that is
// not fully ticked, always in the order TV, Radio, Encrypted, NotEncrypted, each joined with
// " WHERE " when the text has no WHERE yet and " AND " otherwise.
#pragma once

#include <string>

namespace velmora::core::views {

// The four filter boxes (Check_TV, Check_Radio, Check_encrypt, Check_NotEnc), ticked or not.
struct ChannelFilter {
    bool tv = true;
    bool radio = true;
    bool encrypted = true;
    bool notEncrypted = true;
};

std::string channelListStatement(const ChannelFilter& filter);

}  // namespace velmora::core::views
