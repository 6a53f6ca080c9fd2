// Qt's own texts (the standard buttons of message boxes, the file dialog's labels and
// buttons) in the program's language. German comes from Qt's own translation of its base
// module (qtbase_de.qm, Debian package qt6-translations-l10n); English is Qt's built-in text.
#pragma once

#include <QString>
#include <QTranslator>

#include <memory>
#include <string_view>

namespace velmora::qt {

class QtOwnTexts {
public:
    QtOwnTexts() = default;
    ~QtOwnTexts();
    QtOwnTexts(const QtOwnTexts&) = delete;
    QtOwnTexts& operator=(const QtOwnTexts&) = delete;

    // "deu" installs Qt's German translation, "eng" removes it; any other code changes
    // nothing. Returns false only when the German translation cannot be loaded: Qt's texts
    // then stay English, and a warning on standard error names the folder searched.
    bool apply(std::string_view code);
    bool isGerman() const { return m_translator != nullptr; }

    // Where Qt's translations are looked for: Qt's own translations folder.
    static QString translationsFolder();

private:
    std::unique_ptr<QTranslator> m_translator;  // installed while German is on
};

}  // namespace velmora::qt
