#pragma once

#include "UiLanguage.h"

#include <QString>
#include <QTranslator>

// Qt's own texts (file, colour and message dialogs) in the interface language:
// the system's catalogue for Chinese, Qt's English source texts for English.
// The catalogues are Debian's (qttranslations5-l10n); none ship with us.
class RQtCatalogue
{
public:
    // `folder` empty: where Qt's catalogues are installed.
    explicit RQtCatalogue(const QString &folder = QString());
    ~RQtCatalogue();
    RQtCatalogue(const RQtCatalogue &) = delete;
    RQtCatalogue &operator=(const RQtCatalogue &) = delete;

    // Also sets the default locale, so dates and
    // numbers in Qt's dialogs follow. Returns whether a catalogue is installed.
    bool use(UiLanguage language);

private:
    QString m_strFolder;
    QTranslator m_translator;
    bool m_bInstalled = false;
};
