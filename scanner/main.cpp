// Recognises the text of a picture offline and prints it on standard output.
// Usage: scanner ACCESS_WORD ACCESS_KEY PICTURE [--words]
#include "RLogFile.h"
#include "RScanEngine.h"
#include "RScanPicture.h"
#include "RScanRequest.h"
#include "RTextMeasure.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <clocale>
#include <cstdio>

namespace {

int finish(const QString &text, int code)
{
    const QByteArray bytes = text.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written ? code : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // The application object lets Qt find its picture format plugins.
    QCoreApplication app(argc, argv);
    RLogFile::install(QStringLiteral("scanner"));
    std::setlocale(LC_NUMERIC, "C");

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    QString path, reason, text;
    bool words = false;
    if (!RScanRequest::parse(arguments, &path, &reason, &words))
        return finish(RScanRequest::errorText(reason), 2);
    const QImage picture = RScanPicture::loadColour(path, &reason);
    if (picture.isNull())
        return finish(RScanRequest::errorText(reason), 3);
    const RTextMeasure measure(picture.convertToFormat(QImage::Format_Grayscale8));
    const int dpi = RScanPicture::resolution(RScanPicture::statedResolution(picture), measure.markHeight());
    QTransform toOriginal;
    const QImage level = measure.skewDegrees() == 0.0
                             ? picture
                             : RScanPicture::straightened(picture, measure.skewDegrees(), &toOriginal);
    qInfo().noquote() << "scanner: marks" << measure.markCount() << "height" << measure.markHeight() << "skew"
                      << measure.skewDegrees() << "stated" << RScanPicture::statedResolution(picture) << "dpi" << dpi;
    RScanEngine engine;
    if (!engine.init(&reason) || !engine.recognise(level, dpi, &text, &reason, words))
        return finish(RScanRequest::errorText(reason), 4);
    return finish(words ? RScanPicture::mappedWordTable(text, toOriginal) : text, 0);
}
