// The window system's own texts in the program's language: the standard buttons of message
// boxes (Yes, No, Cancel, OK) and the texts of the file dialog. The program's own texts
// live in the UiText table; this port only follows the language code the program applies.
#pragma once

#include <string_view>

namespace velmora::core::ports {

class LanguagePort {
public:
    virtual ~LanguagePort() = default;

    // Called each time the program applies its language: "deu" switches the window
    // system's texts to German, "eng" to English; any other code (also the empty one, when
    // the first-run choice was not made) leaves them as they are, as it leaves UiText.
    virtual void applyLanguage(std::string_view code) = 0;
};

}  // namespace velmora::core::ports
