#pragma once

#include <QImage>
#include <QObject>
#include <QString>

// Ordered background writing, so encoding never stalls the live picture.
class RImageSaver : public QObject
{
    Q_OBJECT
public:
    // One queue for the program, living on the GUI thread.
    static RImageSaver *instance();

    explicit RImageSaver(QObject *parent = nullptr);
    ~RImageSaver() override;

    // Writes on one worker thread in request order, format from the suffix,
    // through a temporary file renamed into place. The folder must exist.
    // Returns the job id; `finished` comes on this object's thread in order.
    int saveImage(const QImage &image, const QString &path);
    // One-page A4 PDF through RPdfPage.
    int savePdf(const QImage &image, const QString &pdfPath);
    // Waits (processing events) until every job has reported; false on timeout.
    bool waitForIdle(int msecs = 30000);

signals:
    void finished(int id, const QString &path, bool ok);

private:
    struct Private;
    Private *d;
};
