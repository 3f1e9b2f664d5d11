#include "RPictureLoader.h"

#include <QDebug>
#include <QFileInfo>
#include <QImageReader>

namespace {

bool checkReader(QImageReader &reader, const QString &path, QString *reason)
{
    auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        qInfo().noquote() << "RPictureLoader::load:" << path << why;
        return false;
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return fail(QStringLiteral("no such file"));
    if (info.size() == 0)
        return fail(QStringLiteral("empty file"));
    if (!reader.canRead())
        return fail(QStringLiteral("not a picture: ") + reader.errorString());
    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.width() < 1 || size.height() < 1)
            return fail(QStringLiteral("empty picture"));
        if (qint64(size.width()) * size.height() > RPictureLoader::kMaxPixels)
            return fail(QStringLiteral("picture too large: %1 x %2").arg(size.width()).arg(size.height()));
    } else if (info.size() > RPictureLoader::kMaxUnknownSizeBytes) {
        return fail(QStringLiteral("picture size unknown and file too large"));
    }
    return true;
}

} // namespace

QSize RPictureLoader::pictureSize(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.size();
}

bool RPictureLoader::isAcceptable(const QString &path, QString *reason)
{
    QImageReader reader(path);
    return checkReader(reader, path, reason);
}

QImage RPictureLoader::load(const QString &path, QString *reason)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!checkReader(reader, path, reason))
        return QImage();
    QImage image = reader.read();
    if (image.isNull()) {
        if (reason)
            *reason = reader.errorString();
        qInfo().noquote() << "RPictureLoader::load:" << path << reader.errorString();
    }
    return image;
}

QImage RPictureLoader::loadScaled(const QString &path, const QSize &box, QString *reason)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!checkReader(reader, path, reason))
        return QImage();
    const QSize size = reader.size();
    if (size.isValid() && box.isValid() && !box.isEmpty()
        && (size.width() > box.width() || size.height() > box.height())) {
        QSize target = size.scaled(box, Qt::KeepAspectRatio);
        target = target.expandedTo(QSize(1, 1));
        reader.setScaledSize(target);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (reason)
            *reason = reader.errorString();
        qInfo().noquote() << "RPictureLoader::loadScaled:" << path << reader.errorString();
        return image;
    }
    // Formats without scaled decoding come back full size.
    if (box.isValid() && !box.isEmpty() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
    return image;
}
