#include "RCapturePipeline.h"

#include "RFileNaming.h"
#include "RImageSaver.h"
#include "RKeystone.h"
#include "RPictureOrientation.h"
#include "RSettingsStore.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTransform>

#include <opencv2/core.hpp>

#include <climits>
#include <exception>

namespace {


QImage transparentCanvas(const QSize &size)
{
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    if (!out.isNull())
        out.fill(Qt::transparent);
    return out;
}

// The watermark is laid on the camera picture where the shown picture has it,
// mirrored as the picture is, so the final turn shows it the right way round.
QImage composeCover(const QImage &picture, const RCaptureParams &p)
{
    QImage out = transparentCanvas(picture.size());
    if (out.isNull())
        return out;
    QPainter painter(&out);
    painter.drawImage(0, 0, picture);
    painter.setOpacity(p.m_iAlphaCover / 255.0);
    qInfo().noquote() << "RCapturePipeline::process: 222iangle:" << p.m_iCoverAngle
                      << "222m_iRotateAngle:" << p.m_iRotateAngle;
    const bool oriented = p.m_bMirror || p.m_bFlip;
    const QImage cover = oriented ? p.m_imageCover.mirrored(p.m_bMirror, p.m_bFlip) : p.m_imageCover;
    const QPointF centre =
        RPictureOrientation::flipTransform(picture.size(), p.m_bMirror, p.m_bFlip).map(p.m_ptCoverCenter);
    const int cw = cover.width();
    const int ch = cover.height();
    const int x = int(centre.x() - cw / 2);
    const int y = int(centre.y() - ch / 2);
    // The scene hands the watermark over already turned as it lies on the
    // raw picture, so its centre is its place for every rotation; the turn
    // of step 4 then carries it along with the picture.
    const QPoint at(x, y);
    painter.drawImage(at, cover);
    painter.end();
    return out;
}

QImage mergeCards(const QImage &first, const QImage &second)
{
    QImage out = transparentCanvas(QSize(first.width(), first.height() + second.height()));
    if (out.isNull())
        return out;
    QPainter painter(&out);
    painter.drawImage(0, 0, first);
    // No scaling: a wider second side is clipped at the first side's width.
    painter.drawImage(0, first.height(), second);
    painter.end();
    return out;
}

QImage runSteps(const QImage &captured, const RCaptureParams &p, const RRotatedRect &rotRect, RCardState &card,
                const QList<QPointF> &quad)
{
    QImage image = captured;
    const QSize cameraSize = captured.size();

    if (p.m_bCoverItem) {
        qInfo().noquote() << "RCapturePipeline::process: m_bCoverItem:" << p.m_bCoverItem
                          << "Cover x:" << p.m_ptCoverOffset.x() << "Cover y:" << p.m_ptCoverOffset.y()
                          << "m_iAlphaCover:" << p.m_iAlphaCover;
        if (image.width() > 0)
            image = composeCover(image, p);
        if (image.width() <= 0)
            return QImage();
    }

    if (p.m_bCutRect) {
        const int left = qMin(p.m_ptCut1.x(), p.m_ptCut2.x());
        const int top = qMin(p.m_ptCut1.y(), p.m_ptCut2.y());
        const int width = qAbs(p.m_ptCut1.x() - p.m_ptCut2.x());
        const int height = qAbs(p.m_ptCut1.y() - p.m_ptCut2.y());
        qInfo().noquote() << "RCapturePipeline::process: cut:"
                          << QStringLiteral("%1,%2,%3,%4").arg(left).arg(top).arg(width).arg(height);
        // An empty rectangle would copy the whole picture: an empty spotlight saves nothing.
        if (width < 1 || height < 1)
            return QImage();
        image = image.copy(RPictureOrientation::mapRect(QRect(left, top, width, height), cameraSize, p.m_bMirror,
                                                        p.m_bFlip));
    }

    // No document detected yet: the whole picture, as the scene snapshot does.
    if (p.m_bAutoCut && rotRect.isValid()) {
        const QImage flat = p.m_bAutoPerspective ? RKeystone::warp(image, quad) : QImage();
        if (p.m_bAutoPerspective)
            qInfo().noquote() << "RCapturePipeline::process: keystone:" << quad << flat.size();
        image = flat.isNull() ? RImageProc::cutRotatedRect(image, rotRect) : flat;
    }

    // The page was found on the camera picture: mirror, flip and rotation
    // together turn the result into what the teacher sees.
    const int turn = p.m_iRotateAngle % 360;
    if (turn != 0)
        qInfo().noquote() << "RCapturePipeline::process: m_iRotateAngle:" << p.m_iRotateAngle;
    image = RPictureOrientation::apply(image, turn, p.m_bMirror, p.m_bFlip);

    if (p.m_iSaveColorType == ColourMode::Grey)
        image = RImageProc::toGray(image);
    else if (p.m_iSaveColorType == ColourMode::BlackWhite)
        image = RImageProc::toThreadhold(image, 0);

    // An empty page is not a card side: the alternation stays where it was.
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        qInfo() << "RCapturePipeline::process: empty picture, nothing to save";
        return QImage();
    }

    if (p.m_bCardMix) {
        qInfo().noquote() << "RCapturePipeline::process: if(m_bCardMix)" << card.m_iCardCount;
        if (card.m_iCardCount == 0) {
            card.m_imageCardFirst = image;
            card.m_iCardCount = 1;
        } else {
            card.m_iCardCount = 0;
            if (!card.m_imageCardFirst.isNull())
                image = mergeCards(card.m_imageCardFirst, image);
        }
    }
    return image;
}

} // namespace

QImage RCapturePipeline::process(const QImage &captured, const RCaptureParams &p, const RRotatedRect &rotRect,
                                 RCardState &card, const QList<QPointF> &quad)
{
    try {
        return runSteps(captured, p, rotRect, card, quad);
    } catch (const cv::Exception &e) {
        qInfo().noquote() << "RCapturePipeline::process: catch" << e.what();
    } catch (const std::exception &e) {
        qInfo().noquote() << "RCapturePipeline::process: catch" << e.what();
    } catch (...) {
        qInfo().noquote() << "RCapturePipeline::process: catch";
    }
    return QImage();
}

RImageSaver::Prepare RCapturePipeline::preparer(const RCaptureParams &p, const RRotatedRect &rotRect,
                                                const QList<QPointF> &quad, const QSize &shown,
                                                const std::shared_ptr<RCardState> &card)
{
    return [p, rotRect, quad, shown, card](const QImage &captured) {
        QImage image = captured;
        if (!image.isNull() && shown.isValid() && !shown.isEmpty() && image.size() != shown)
            image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return process(image, p, rotRect, *card, quad);
    };
}

QString RCapturePipeline::documentExt(const RCaptureParams &p)
{
    const QString ext = p.m_strFileExt.trimmed().toLower();
    if (ext.startsWith(QLatin1Char('.')))
        return ext.mid(1).isEmpty() ? QStringLiteral("png") : ext.mid(1);
    return ext.isEmpty() ? QStringLiteral("png") : ext;
}

namespace {

QString nextPath(RCaptureParams &p, const QDateTime &now, const QString &ext)
{
    const QString base =
        RFileNaming::baseName(p.m_iNameType, p.m_strNamePrefix, p.m_iNameCurNum, p.m_iNameNumLength, now);
    if (p.m_iNameType == NameMode::Number && p.m_iNameCurNum < INT_MAX)
        ++p.m_iNameCurNum;
    return RFileNaming::uniqueFileName(p.m_strCurImageDir, base, ext);
}

} // namespace

int RCapturePipeline::saveDocument(const QImage &page, RCaptureParams &p, const QDateTime &now, QString *path,
                                   RImageSaver::Prepare prepare)
{
    qInfo().noquote() << "RCapturePipeline::saveDocument: m_strFileExt:" << p.m_strFileExt;
    if (page.isNull())
        return -1;
    const QString ext = documentExt(p);
    RImageSaver *saver = RImageSaver::instance();
    const bool append = ext == QLatin1String("pdf") && p.m_bPdfAppend;
    // A new folder starts a new document; in the same folder the lesson keeps
    // its document, even when a page failed before it was made.
    const bool running = !p.m_strRunningPdf.isEmpty()
        && QFileInfo(p.m_strRunningPdf).absolutePath() == QDir(p.m_strCurImageDir).absolutePath();
    if (append && running) {
        if (path)
            *path = p.m_strRunningPdf;
        return saver->appendPdf(page, p.m_strRunningPdf, std::move(prepare));
    }
    const QString target = nextPath(p, now, ext);
    if (path)
        *path = target;
    // Stored before the outcome is known: numbers are consumed even by a failed save.
    if (p.m_iNameType == NameMode::Number)
        RSettingsStore::write(RSettingsKeys::FileNameCurNum, p.m_iNameCurNum);
    if (append) {
        p.m_strRunningPdf = target;
        return saver->appendPdf(page, target, std::move(prepare));
    }
    return ext == QLatin1String("pdf") ? saver->savePdf(page, target, std::move(prepare))
                                       : saver->saveImage(page, target, std::move(prepare));
}

QString RCapturePipeline::nextFileName(RCaptureParams &p, const QString &ext, const QDateTime &now)
{
    const QString path = nextPath(p, now, ext);
    if (p.m_iNameType == NameMode::Number)
        RSettingsStore::write(RSettingsKeys::FileNameCurNum, p.m_iNameCurNum);
    return QFileInfo(path).fileName();
}
