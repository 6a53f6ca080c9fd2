// Answer rules shared by every message box implementation, so the Qt boxes and the test
// double agree on which answers a button set can give.
#include "core/ports/message_box_port.h"

namespace velmora::core::ports {

bool isAnswerOffered(MessageButtons buttons, MessageAnswer answer) {
    switch (buttons) {
        case MessageButtons::Ok:
            return answer == MessageAnswer::Ok;
        case MessageButtons::OkCancel:
            return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
        case MessageButtons::YesNoCancel:
            return answer == MessageAnswer::Yes || answer == MessageAnswer::No ||
                   answer == MessageAnswer::Cancel;
    }
    return false;
}

MessageAnswer dismissAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string_view toString(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return "OK";
        case MessageButtons::OkCancel:
            return "OK+Cancel";
        case MessageButtons::YesNoCancel:
            return "Yes+No+Cancel";
    }
    return "?";
}

std::string_view toString(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return "no icon";
        case MessageIcon::Critical:
            return "critical";
        case MessageIcon::Information:
            return "information";
    }
    return "?";
}

std::string_view toString(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return "OK";
        case MessageAnswer::Cancel:
            return "Cancel";
        case MessageAnswer::Yes:
            return "Yes";
        case MessageAnswer::No:
            return "No";
    }
    return "?";
}

}  // namespace velmora::core::ports
