// Modal message boxes as the commands show them: a text, one of three button sets, one of
// three icons, always the program's default title. The call blocks until the user has
// pressed a button and returns which one; closing the box without a button counts as the
// box's cancelling button (Cancel where there is one, otherwise OK).
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::ports {

enum class MessageButtons { Ok, OkCancel, YesNoCancel };

enum class MessageIcon { None, Critical, Information };

enum class MessageAnswer { Ok, Cancel, Yes, No };

// The title every message box carries; commands never choose their own.
inline constexpr std::string_view kDefaultMessageTitle = "Velmora";

// True when a box with these buttons can return this answer.
bool isAnswerOffered(MessageButtons buttons, MessageAnswer answer);

// What a box returns when it is dismissed without a button (Escape, the close box).
MessageAnswer dismissAnswer(MessageButtons buttons);

// "OK", "OK+Cancel", "Yes+No+Cancel", "Critical", "Yes" ...: for test output and logs.
std::string_view toString(MessageButtons buttons);
std::string_view toString(MessageIcon icon);
std::string_view toString(MessageAnswer answer);

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;

    // Shows the text (UTF-8; CR LF or LF separate lines) and waits for the answer, which
    // is always one that isAnswerOffered() allows for these buttons.
    virtual MessageAnswer showMessage(std::string_view text, MessageButtons buttons,
                                      MessageIcon icon) = 0;
};

}  // namespace velmora::core::ports
