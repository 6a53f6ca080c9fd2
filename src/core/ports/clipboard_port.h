// The system clipboard, plain text only: grid cells travel through it as text with a tab
// between cells and a carriage return between rows.
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::ports {

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;

    // True when the clipboard offers plain text (possibly empty text).
    virtual bool hasText() const = 0;
    // The clipboard's plain text (UTF-8); empty when it holds none.
    virtual std::string text() const = 0;
    virtual void clear() = 0;
    virtual void setText(std::string_view text) = 0;
};

}  // namespace velmora::core::ports
