#pragma once

#include <QImage>
#include <QString>
#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Offline recognition of Chinese and English with Tesseract's LSTM models.
class RScanEngine
{
public:
    static QString languages() { return QStringLiteral("chi_sim+eng"); }

    RScanEngine();
    ~RScanEngine();

    // Loads the models; false with a reason when they are missing.
    bool init(QString *reason);

    // Text of a Grayscale8 or RGBA8888 picture, or with `words` Tesseract's
    // table of blocks, lines and words with their boxes in picture pixels;
    // false with a reason when recognition failed. A colour picture lets
    // Tesseract threshold the channel that shows the text best. `dpi` 0
    // leaves the estimate to Tesseract.
    bool recognise(const QImage &picture, int dpi, QString *text, QString *reason, bool words = false);

    // The models folder to hand to Tesseract: TESSDATA_PREFIX only when it
    // holds the models itself, otherwise empty for Tesseract's built-in default.
    static QString dataPath(const QByteArray &prefixVariable);

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    bool m_bReady = false;
};
