#include "RScanEngine.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <tesseract/baseapi.h>

RScanEngine::RScanEngine() : m_api(std::make_unique<tesseract::TessBaseAPI>()) {}

RScanEngine::~RScanEngine()
{
    m_api->End();
}

QString RScanEngine::dataPath(const QByteArray &prefixVariable)
{
    const QString prefix = QFile::decodeName(prefixVariable);
    if (prefix.isEmpty() || !QFileInfo::exists(QDir(prefix).filePath(QStringLiteral("eng.traineddata"))))
        return QString();
    return prefix;
}

bool RScanEngine::init(QString *reason)
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    const QString path = dataPath(prefix);
    // Tesseract falls back to the variable itself when given no path, so a
    // variable that points elsewhere must go before it can mislead it.
    if (path.isEmpty() && !prefix.isEmpty()) {
        qInfo().noquote() << "RScanEngine::init: ignoring TESSDATA_PREFIX" << prefix;
        qunsetenv("TESSDATA_PREFIX");
    }
    const QByteArray pathBytes = QFile::encodeName(path);
    if (m_api->Init(path.isEmpty() ? nullptr : pathBytes.constData(), languages().toLatin1().constData(),
                    tesseract::OEM_LSTM_ONLY) != 0) {
        if (reason)
            *reason = QStringLiteral("recognition models %1 not found").arg(languages());
        return false;
    }
    m_api->SetPageSegMode(tesseract::PSM_AUTO);
    // Keeps Chinese runs together instead of spacing every character.
    m_api->SetVariable("preserve_interword_spaces", "1");
    m_bReady = true;
    return true;
}

bool RScanEngine::recognise(const QImage &picture, int dpi, QString *text, QString *reason, bool words)
{
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    if (!m_bReady || picture.isNull() || (!grey && picture.format() != QImage::Format_RGBA8888)) {
        if (reason)
            *reason = QStringLiteral("no picture to recognise");
        return false;
    }
    m_api->SetImage(picture.constBits(), picture.width(), picture.height(), grey ? 1 : 4, picture.bytesPerLine());
    m_api->SetSourceResolution(dpi);
    const std::unique_ptr<char[]> utf8(words ? m_api->GetTSVText(0) : m_api->GetUTF8Text());
    m_api->Clear();
    if (!utf8) {
        if (reason)
            *reason = QStringLiteral("recognition failed");
        return false;
    }
    if (text)
        *text = QString::fromUtf8(utf8.get());
    return true;
}
