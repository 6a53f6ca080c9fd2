#include "engine/base/local_time.h"

namespace velmora::engine {

std::tm localTimeOf(std::time_t t) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    return local;
}

}  // namespace velmora::engine
