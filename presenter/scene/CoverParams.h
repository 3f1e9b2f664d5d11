#pragma once

#include "UiLanguage.h"

#include <QColor>
#include <QString>

// The watermark settings the scene keeps and copies into and out of the
// watermark dialog and item; memory only, never stored.
struct CoverParams
{
    enum Type { None = 0, Text = 1, Time = 2, Picture = 3 };

    int m_iWidth = 250;
    int m_iHeight = 60;
    int m_iType = None;
    QColor m_color = QColor(255, 0, 0);
    int m_iAlpha = 255;
    int m_iRotateCover = 0;
    QString m_strText = defaultText(UiLanguage::Chinese);
    bool m_bBorder = true;
    int m_iFontSize = 32;
    QString m_strFontFamily = QStringLiteral("微软雅黑");
    QString m_strTimeFormat = QStringLiteral("yyyyMMdd HH:mm:ss");
    QString m_strPicturePath;
    int m_iBorderWidth = 6;
    bool m_bActualSize = false;

    // The default text in the interface language.
    static QString defaultText(UiLanguage language)
    {
        return language == UiLanguage::English ? QStringLiteral("Confidential") : QStringLiteral("机密文件");
    }
    // A default text follows the language; the teacher's own text stays.
    void followLanguage(UiLanguage language)
    {
        if (m_strText == defaultText(UiLanguage::Chinese) || m_strText == defaultText(UiLanguage::English))
            m_strText = defaultText(language);
    }
};
