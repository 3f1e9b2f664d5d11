#pragma once

#include "CoverParams.h"

#include <QFont>
#include <QGraphicsWidget>
#include <QImage>
#include <QPixmap>
#include <QTimer>

// The watermark over the live picture: text, current time or a picture.
// Left drag moves it, right drag resizes it.
class RCoverItem : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit RCoverItem(QGraphicsItem *parent = nullptr);

    void setParams(const CoverParams &params);
    CoverParams params() const;
    void setType(int type);
    int coverType() const { return m_iType; }
    // Decodes `path` on a worker and shows it when it arrives; the previous
    // picture stays until then, and for good when the file gives none.
    void requestPicture(const QString &path);
    bool isLoadingPicture() const { return m_iLoading > 0; }
    // Largest watermark picture kept; bigger files are decoded scaled down.
    static constexpr int kMaxPictureSide = 4096;
    // The watermark picture as it is kept, null with `reason` when the file
    // cannot be used. Any thread.
    static QImage decodePicture(const QString &path, QString *reason = nullptr);
    bool hasPicture() const { return !m_pixmap.isNull(); }
    // Changes whenever another picture is shown.
    qint64 pictureKey() const { return m_pixmap.cacheKey(); }

    // Takes the dialog's settings: hidden for type 0, otherwise resized (when
    // w and h are positive), filled, tilted against the picture's turn and shown.
    void apply(const CoverParams &params, int type, int w, int h, int pictureAngle);
    // The watermark as the camera's capture needs it: turned as the scene
    // shows it, opacity left to the capture, centred in picture pixels.
    // `pictureTopLeft` is the camera picture's scene position.
    struct CapturePlacement
    {
        QImage image;
        QPointF offset;
        QPointF centre;
    };
    CapturePlacement capturePlacement(const QPointF &pictureTopLeft) const;

    // The item painted into a transparent picture of its size. With
    // fullOpacity the alpha setting is left out (the caller applies it).
    QImage renderToImage(bool fullOpacity = false) const;
    QPixmap renderToPixmap() const;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

signals:
    // A picture asked for with requestPicture was decoded (or refused).
    void sPictureLoaded(bool ok);

public slots:
    void sizeChanged();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void paintCover(QPainter *painter, int alpha) const;
    void updateClock();

    int m_iType = 0;
    QString m_strTimeFormat = QStringLiteral("yyyyMMdd HH:mm:ss");
    int m_iRotate = 0;
    QString m_strText = QStringLiteral("机密文件");
    bool m_bBorder = true;
    int m_iFontSize = 36;
    QString m_strFontFamily = QStringLiteral("微软雅黑");
    int m_iAlpha = 255;
    int m_iWidth = 0;
    int m_iHeight = 0;
    QColor m_color = QColor(255, 0, 0);
    QString m_strPicturePath;
    int m_iBorderWidth = 6;
    bool m_bActualSize = false;
    QFont m_font;
    QPixmap m_pixmap;
    QString m_strLoadedPath;
    QString m_strRequestedPath;
    int m_iLoading = 0;
    bool m_bResizing = false;
    int m_iLastX = 0;
    int m_iLastY = 0;
    // A time watermark follows the clock while it is shown.
    QTimer m_clock;
};
