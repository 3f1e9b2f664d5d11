// Ink timings: the live stroke per mouse move on a full-HD overlay, and the
// repaint of a finished long stroke.

#include "RDrawTempWidget.h"
#include "RWidgetItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextStream>
#include <QtMath>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMoves = 2000;

// A handwriting-like path across the screen: a wandering loop with steps of a
// few pixels, as a pen delivers them.
QVector<QPoint> strokePoints()
{
    QVector<QPoint> pts;
    pts.reserve(kMoves + 1);
    for (int i = 0; i <= kMoves; ++i) {
        const double t = i / double(kMoves);
        const double x = 160 + 1600 * t + 60 * std::sin(t * 90);
        const double y = 540 + 300 * std::sin(t * 7) + 60 * std::cos(t * 90);
        pts.append(QPoint(qRound(x), qRound(y)));
    }
    return pts;
}

double meanMs(const QVector<qint64> &ns, int from, int to)
{
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += ns.at(i);
    return sum / (to - from) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    // The overlay over an opaque widget, as in the main window, so each move's
    // repaint includes what lies under the overlay.
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    host.setPalette(pal);
    host.resize(1920, 1080);
    auto *overlay = new RDrawTempWidget(&host);
    overlay->setGeometry(host.rect());
    overlay->setPen(5, QColor(255, 0, 0));
    host.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    const QVector<QPoint> pts = strokePoints();
    QVector<qint64> ns;
    ns.reserve(kMoves);
    QElapsedTimer timer;

    QMouseEvent press(QEvent::MouseButtonPress, pts.first(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &press);
    QCoreApplication::processEvents();
    for (int i = 1; i <= kMoves; ++i) {
        timer.start();
        QMouseEvent move(QEvent::MouseMove, pts.at(i), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(overlay, &move);
        // Paint and flush the repainted region before the next move.
        QCoreApplication::processEvents();
        ns.append(timer.nsecsElapsed());
    }
    QVector<QPoint> emitted;
    QObject::connect(overlay, &RDrawTempWidget::sTempPathPoints, overlay,
                     [&emitted](QVector<QPoint> p, QPointF, QPointF, CurStatus) { emitted = p; });
    timer.start();
    QMouseEvent release(QEvent::MouseButtonRelease, pts.last(), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &release);
    QCoreApplication::processEvents();
    const double releaseMs = timer.nsecsElapsed() / 1e6;

    const qint64 maxNs = *std::max_element(ns.cbegin(), ns.cend());
    QVector<qint64> sorted = ns;
    std::sort(sorted.begin(), sorted.end());
    out << "live stroke, 1920x1080 overlay, " << kMoves << " moves, pen 5 px (" << QGuiApplication::platformName()
        << ")\n";
    out << QString("  mean per move, moves 1-200:     %1 ms\n").arg(meanMs(ns, 0, 200), 0, 'f', 3);
    out << QString("  mean per move, moves 1800-2000: %1 ms\n").arg(meanMs(ns, 1800, 2000), 0, 'f', 3);
    out << QString("  mean per move, all:             %1 ms\n").arg(meanMs(ns, 0, kMoves), 0, 'f', 3);
    out << QString("  median / 99th percentile:       %1 / %2 ms\n")
               .arg(sorted.at(kMoves / 2) / 1e6, 0, 'f', 3)
               .arg(sorted.at(kMoves * 99 / 100) / 1e6, 0, 'f', 3);
    out << QString("  max per move:                   %1 ms\n").arg(maxNs / 1e6, 0, 'f', 3);
    out << QString("  release (wipe + hand-over):     %1 ms, %2 points\n").arg(releaseMs, 0, 'f', 3).arg(emitted.size());

    // The finished item: points relative to the stroke's min corner.
    QVector<QPointF> scenePts;
    for (const QPoint &p : pts)
        scenePts.append(QPointF(p));
    const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(scenePts);
    RWidgetItem item(CurPen);
    item.setPen(5, QColor(255, 0, 0));
    item.setPoints(g.points);
    item.resize(g.size);
    QImage target(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QStyleOptionGraphicsItem option;
    option.exposedRect = item.boundingRect();
    constexpr int kRepeats = 30;
    QVector<qint64> paintNs;
    for (int r = 0; r < kRepeats; ++r) {
        target.fill(Qt::transparent);
        QPainter painter(&target);
        painter.translate(g.topLeft);
        timer.start();
        item.paint(&painter, &option, nullptr);
        paintNs.append(timer.nsecsElapsed());
    }
    out << "finished item, " << g.points.size() << " points, pen 5 px, " << kRepeats << " paints\n";
    out << QString("  mean paint: %1 ms, max %2 ms\n")
               .arg(meanMs(paintNs, 0, kRepeats), 0, 'f', 3)
               .arg(*std::max_element(paintNs.cbegin(), paintNs.cend()) / 1e6, 0, 'f', 3);
    return 0;
}
