#pragma once

#include "UiLanguage.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPersistentModelIndex>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QVector>
#include <QWidget>

#include <atomic>

#include "ROrderedResults.h"

class QHBoxLayout;
class QLabel;
class QListWidgetItem;
class QTimer;
class RContrastWidget;
class RListWidget;

// The strip of picture thumbnails at the right edge of the screen: lists the
// pictures of the current folder, newest snapshots first, and hands a picture
// to the scene by double-click or drag.
//
// Thumbnails are decoded on a thread pool; items appear at once in name order
// with empty icons that fill in as the pictures arrive, visible rows first.
class RImageList : public QWidget
{
    Q_OBJECT
public:
    explicit RImageList(QWidget *parent = nullptr);
    // For a given screen size instead of the primary screen's.
    explicit RImageList(const QSize &screenSize, QWidget *parent = nullptr);
    ~RImageList() override;

    // Opens or closes the compare view.
    void showScreenContrast(QString strCamera);
    bool cameraIsPlaying() const;
    RContrastWidget *contrastWidget() const { return m_widgetCon; }

    RListWidget *listWidget() const { return m_listWidget; }
    QString currentDir() const { return m_strCurDir; }
    int iconWidth() const { return m_iIconWid; }
    int bottomSpace() const { return m_iBottomSpace; }
    // Side of an item's square; thumbnails fit thumbnailBox().
    int itemSide() const { return m_iItemSide; }
    QSize thumbnailBox() const;
    QRect stripGeometry() const;
    // The mark shown instead of a thumbnail for a file that cannot be shown.
    static QIcon brokenPictureIcon();
    // Thumbnails of the current folder and snapshots still being decoded
    // for the first time.
    int pendingThumbnailCount() const;

    // Bytes of decoded thumbnails kept at most: beyond it the thumbnails the
    // teacher does not see are dropped (oldest first) and decoded again when
    // their rows scroll into view, so memory does not grow with the folder.
    static constexpr qint64 kThumbnailBudgetBytes = 64LL * 1024 * 1024;
    void setThumbnailBudget(qint64 bytes);
    qint64 thumbnailBytes() const { return m_iThumbBytes; }

    void setLangue(UiLanguage langue);
    // What the strip says about pictures it cannot list; empty when none.
    QString leftOutText() const;

signals:
    void imageChanged(QString dir, QString name);
    void sNoConfirmClose();
    void sInsertOneItem(QListWidgetItem *item);

public slots:
    void openImageFile(QListWidgetItem *item);
    void closeTheWidget();
    void slotAddSnap(QString sdir, QString sname);
    void hideShowList();
    void changeDir(QString strDir);
    void slotInserOneItem(QListWidgetItem *item);
    void detectFileStatus();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void removeVanished(const QStringList &gone);
    // Picture files of the folder whose names cannot be opened through Qt.
    static int countUnreadableNames(const QString &strDir);
    void updateLeftOut();

    enum class JobState { Pending, Running, Done };
    struct ThumbJob {
        QString path;
        QPersistentModelIndex index;
        JobState state = JobState::Pending;
        qint64 bytes = 0;    // of its thumbnail while kept
        bool reload = false; // decoded before, dropped for the budget
    };

    void init(const QSize &screenSize);
    void applyStripLayout();
    QListWidgetItem *makeItem(const QString &path) const;
    void scheduleThumbnails();
    int nextThumbJob();
    void startThumbJob(int job);
    void thumbnailReady(quint64 generation, int job, const QImage &image);
    void setThumbnail(int job, const QImage &image);
    void trimThumbnails();
    bool rowOnScreen(const QListWidgetItem *item) const;
    void snapshotReady(quint64 ticket, const QImage &image);
    static QImage makeThumbnail(const QString &path, const QSize &box);

    RListWidget *m_listWidget = nullptr;
    QString m_strCurDir;
    RContrastWidget *m_widgetCon = nullptr;
    QHBoxLayout *m_layoutMain = nullptr;
    int m_iScreenWidth = 0;
    int m_iScreenHeight = 0;
    int m_iIconWid = 0;
    int m_iItemSide = 0;
    bool m_bClosing = false;
    QTimer *m_timerDetect = nullptr;
    bool m_bWatchRunning = false;
    int m_iBottomSpace = 0;

    // Background thumbnails. The generation changes with every folder load so
    // that a late result never lands in the list of another folder.
    QThreadPool m_poolThumbs;
    std::atomic<quint64> m_uGeneration{0};
    QVector<ThumbJob> m_vecJobs;
    int m_iNextJob = 0;
    int m_iJobsLeft = 0;
    int m_iRunning = 0;
    int m_iMaxRunning = 1;
    // Snapshot thumbnails, keyed by path, in the order the snapshots were taken.
    ROrderedResults<QImage> m_snaps;

    qint64 m_iThumbBudget = kThumbnailBudgetBytes;
    qint64 m_iThumbBytes = 0;
    // Jobs whose thumbnails are kept, oldest first.
    QList<int> m_listHeld;
    int m_iReloadsLeft = 0;

    UiLanguage m_iLangue = UiLanguage::Chinese;
    int m_iLeftOut = 0;
    QLabel *m_labelLeftOut = nullptr;
};
