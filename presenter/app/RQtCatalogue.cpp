#include "RQtCatalogue.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>

RQtCatalogue::RQtCatalogue(const QString &folder)
    : m_strFolder(folder.isEmpty() ? QLibraryInfo::location(QLibraryInfo::TranslationsPath) : folder)
{
}

RQtCatalogue::~RQtCatalogue()
{
    if (m_bInstalled)
        QCoreApplication::removeTranslator(&m_translator);
}

bool RQtCatalogue::use(UiLanguage language)
{
    const bool chinese = language != UiLanguage::English;
    QLocale::setDefault(chinese ? QLocale(QLocale::Chinese, QLocale::China) : QLocale(QLocale::English, QLocale::UnitedStates));
    if (m_bInstalled) {
        QCoreApplication::removeTranslator(&m_translator);
        m_bInstalled = false;
    }
    if (!chinese)
        return false;
    // qt_zh_CN names the per-module catalogues beside it (qtbase, qtmultimedia).
    if (!m_translator.load(QStringLiteral("qt_zh_CN"), m_strFolder)) {
        qWarning() << "RQtCatalogue::use: no Qt catalogue in" << m_strFolder << "; Qt's dialogs stay in English";
        return false;
    }
    m_bInstalled = QCoreApplication::installTranslator(&m_translator);
    return m_bInstalled;
}
