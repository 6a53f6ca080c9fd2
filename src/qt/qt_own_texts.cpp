// Installing and removing Qt's German translation.
#include "qt/qt_own_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QtGlobal>

namespace velmora::qt {

namespace {
constexpr std::string_view kGerman = "deu";
constexpr std::string_view kEnglish = "eng";
}  // namespace

QtOwnTexts::~QtOwnTexts() {
    if (m_translator != nullptr) {
        QCoreApplication::removeTranslator(m_translator.get());
    }
}

QString QtOwnTexts::translationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtOwnTexts::apply(std::string_view code) {
    if (code == kEnglish) {
        if (m_translator != nullptr) {
            QCoreApplication::removeTranslator(m_translator.get());
            m_translator.reset();
        }
        return true;
    }
    if (code != kGerman || m_translator != nullptr) {
        return true;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_de"), translationsFolder())) {
        qWarning(
            "Qt's German translation qtbase_de.qm was not found in %s; dialog buttons "
            "stay English (Debian package qt6-translations-l10n)",
            qPrintable(translationsFolder()));
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}

}  // namespace velmora::qt
