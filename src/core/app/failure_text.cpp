#include "core/app/failure_text.h"

#include "core/app/ui_text.h"

namespace velmora::core::app {

namespace {
bool german(std::string_view code) {
    return code == kLanguageGerman;
}
}  // namespace

std::string engineErrorMessage(int number, std::string_view text) {
    std::string message = "Error " + std::to_string(number);
    if (!text.empty()) {
        message += "\r\n";
        message += text;
    }
    return message;
}

std::string backupFailedQuestion(std::string_view languageCode, std::string_view backupPath,
                                 std::string_view reason) {
    if (german(languageCode)) {
        return "Vor der ersten Änderung konnte keine Sicherungskopie der Datenbank angelegt "
               "werden:\r\n" +
               std::string(backupPath) + "\r\n" + std::string(reason) +
               "\r\n\r\nOK ändert die Datenbank ohne Sicherungskopie, Abbrechen ändert nichts.";
    }
    return "No backup of the database could be made before its first change:\r\n" +
           std::string(backupPath) + "\r\n" + std::string(reason) +
           "\r\n\r\nOK changes the database without a backup, Cancel changes nothing.";
}

std::string gridReloadedNote(std::string_view languageCode) {
    if (german(languageCode)) {
        return "Nichts davon wurde gespeichert; die Tabelle zeigt wieder, was in der Datei steht.";
    }
    return "Nothing of it was stored; the grid shows again what the file holds.";
}

std::string gridTakenBackNote(std::string_view languageCode) {
    if (german(languageCode)) {
        return "Nichts davon wurde gespeichert; die Tabelle zeigt wieder, was sie vorher zeigte, "
               "mit den noch nicht gespeicherten Änderungen.";
    }
    return "Nothing of it was stored; the grid shows again what it showed before, with the "
           "changes not saved yet.";
}

std::string gridNotReloadedNote(std::string_view languageCode) {
    if (german(languageCode)) {
        return "Nichts davon wurde gespeichert; bitte die Ansicht neu laden, sie kann Änderungen "
               "zeigen, die nicht in der Datei stehen.";
    }
    return "Nothing of it was stored; please load the view again, it may show changes the file "
           "does not hold.";
}

}  // namespace velmora::core::app
