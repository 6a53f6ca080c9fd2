// Where the tests find the built programs, the shared fixtures beside the checkout and the
// checkout itself. Only test_paths.cpp is compiled with these folders, so that no other
// object file of the tests depends on where the checkout lies and a new checkout's build can
// take them all from the compiler cache.
#pragma once

namespace velmora::test {

// The folder of the built programs (velmora-db, the suites).
const char* binDir();
// The shared folder beside the checkout (fixtures, documents).
const char* sharedDir();
// The checkout's own folder.
const char* sourceDir();

}  // namespace velmora::test
