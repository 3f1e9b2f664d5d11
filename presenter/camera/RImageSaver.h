#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

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

    // Work on the picture done on the worker before it is written (cut, turn),
    // in request order. A null result writes nothing and leaves the target as
    // it was: `finished` then reports false with an empty reason, which no
    // failed write gives.
    using Prepare = std::function<QImage(const QImage &)>;

    // Writes on one worker thread in request order, format from the suffix,
    // default quality, through a temporary file renamed into place. The folder
    // must exist. Returns the job id; `finished` comes on this object's thread
    // in request order.
    int saveImage(const QImage &image, const QString &path, Prepare prepare = Prepare());
    // One-page A4 PDF through RPdfPage.
    int savePdf(const QImage &image, const QString &pdfPath, Prepare prepare = Prepare());
    // A further page of a running document through RPdfPage::append. When
    // another program replaced the document, the page and the later pages
    // for it go to a new document beside it, named by `finished`.
    int appendPdf(const QImage &image, const QString &pdfPath, Prepare prepare = Prepare());
    // Processes events until every job has reported; false on timeout.
    bool waitForIdle(int msecs = 30000);
    // Jobs requested whose `finished` has not been emitted yet.
    int pendingCount() const;

    // True while a job of any queue is still to write `path`, so the naming
    // rule does not hand out a name that is about to be taken.
    static bool isPending(const QString &path);

    // The synchronous writes the queue uses. `error` gets the system's reason.
    static bool writeImage(const QImage &image, const QString &path, QString *error = nullptr);
    // The picture as a format without transparency stores it: partly
    // transparent pixels laid on white, so cut corners do not turn black.
    static QImage flattenForFormat(const QImage &image, const QByteArray &format);
    // The system's reason why `folder` cannot take a new file, empty when it can.
    static QString folderProblem(const QString &folder);

signals:
    // `error` is the system's reason when `ok` is false.
    void finished(int id, const QString &path, bool ok, const QString &error);

private:
    enum class Kind { Image, Pdf, PdfAppend };
    int enqueue(Kind kind, const QImage &image, const QString &path, Prepare prepare);

    struct Private;
    static void run(Private *p, QPointer<RImageSaver> self);
    Private *d;
};
