#pragma once

#include "UiLanguage.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QUrl>

class RCamera;
class RDragScene;
#include "RScanWidget.h"

// One QR scan: the overlay over the live picture and the reads of its middle
// half. Decoding runs on a worker thread, one read at a time, so the live
// picture never waits for it.
class RQrScanner : public QObject
{
    Q_OBJECT
public:
    // Widest picture handed to the reader (the middle half of a 1920 picture).
    static constexpr int kMaxReadWidth = 960;

    explicit RQrScanner(QObject *parent = nullptr);
    ~RQrScanner() override;

    // Puts a new overlay over the scene's picture, turned by `angle`.
    void start(RDragScene *scene, UiLanguage language, int angle);
    // Reads the middle of the live picture unless a read is still running.
    void tick(RCamera *camera);
    // Forgets a read still running; its result is dropped.
    void cancel();
    void setLanguage(UiLanguage language);
    RScanWidget *overlay() const { return m_overlay; }
    bool reading() const { return m_watcher.isRunning(); }

signals:
    // An http or https link was read.
    void sLinkRead(QUrl url);
    // Any other text was read; the overlay shows it.
    void sTextRead(QString text);

private:
    void onRead();

    QFutureWatcher<QString> m_watcher;
    QPointer<RScanWidget> m_overlay;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    // Bumped by cancel(), so a late result of an earlier scan is ignored.
    int m_iGeneration = 0;
    int m_iReadGeneration = 0;
};
