// The standard streams of a command-line program, made to carry the engine's UTF-8 text as it
// is. On Windows the console shows UTF-8 (its default is the OEM code page) and the streams
// pass line ends through unchanged, so the tools write the same bytes as on Linux. Elsewhere
// there is nothing to do.
#pragma once

namespace velmora::engine::io {

void useUtf8StandardStreams();

}  // namespace velmora::engine::io
