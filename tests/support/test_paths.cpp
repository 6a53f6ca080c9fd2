#include "support/test_paths.h"

namespace velmora::test {

const char* binDir() {
    return VELMORA_BIN_DIR;
}
const char* sharedDir() {
    return VELMORA_SHARED_DIR;
}
const char* sourceDir() {
    return VELMORA_SOURCE_DIR;
}

}  // namespace velmora::test
