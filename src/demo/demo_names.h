// Word pools of the demo database: German and English channel names (with umlauts and ß),
// provider names, favourite group names and the receiver's further settings. Every name is
// invented; none belongs to a real broadcaster.
#pragma once

#include <string>
#include <vector>

#include "demo/demo_random.h"

namespace velmora::demo {

// Longest base name the generator makes; room is left for the markers it adds around names.
inline constexpr size_t kMaxBaseNameBytes = 44;

std::string tvChannelName(DemoRandom& random);
std::string radioChannelName(DemoRandom& random);
std::string providerName(DemoRandom& random);

// Names that always occur (when there are channels enough), so that every letter the
// editor must keep intact is there whatever the seed: Ä Ö Ü ä ö ü ß.
const std::vector<std::string>& fixedTvNames();

// Candidate names of favourite groups, at least 16, all distinct without their case.
const std::vector<std::string>& groupNames();

}  // namespace velmora::demo
