#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

// Ordered background writing, so encoding never stalls the live picture.
class RImageSaver : public QObject
{
    Q_OBJECT
public:
    // One queue for the program, living on the GUI thread.
    static RImageSaver *instance();

    explicit RImageSaver(QObject *parent = nullptr);
    // Writes every job still queued before it returns: no picture is lost at exit.
    ~RImageSaver() override;

    // Writes on one worker thread in request order, format from the suffix,
    // default quality, through a temporary file renamed into place. The folder
    // must exist. Returns the job id; `finished` comes on this object's thread
    // in request order.
    int saveImage(const QImage &image, const QString &path);
    // One-page A4 PDF through RPdfPage.
    int savePdf(const QImage &image, const QString &pdfPath);
    // Processes events until every job has reported; false on timeout.
    bool waitForIdle(int msecs = 30000);
    // Jobs requested whose `finished` has not been emitted yet.
    int pendingCount() const;

    // True while a job of any queue is still to write `path`, so the naming
    // rule does not hand out a name that is about to be taken.
    static bool isPending(const QString &path);

    // The synchronous writes the queue uses.
    static bool writeImage(const QImage &image, const QString &path, QString *error = nullptr);

signals:
    void finished(int id, const QString &path, bool ok);

private:
    enum class Kind { Image, Pdf };
    int enqueue(Kind kind, const QImage &image, const QString &path);

    struct Private;
    static void run(Private *p, QPointer<RImageSaver> self);
    Private *d;
};
