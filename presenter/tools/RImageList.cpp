#include "RImageList.h"

#include "RContrastWidget.h"
#include "RListWidget.h"
#include "RPictureLoader.h"
#include "RPlatform.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtConcurrent>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

// Internal: index of an item's background job in the current folder load.
constexpr int JobRole = Qt::UserRole + 2;
// A box below this makes no visible thumbnail (screens under about 600 px).
constexpr int kMinItemSide = 16;

QSize primaryScreenSize()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->size();
    return QSize(1920, 1080);
}

QString joinPath(const QString &dir, const QString &name)
{
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).path();
}

} // namespace

RImageList::RImageList(QWidget *parent)
    : QWidget(parent)
{
    init(primaryScreenSize());
}

RImageList::RImageList(const QSize &screenSize, QWidget *parent)
    : QWidget(parent)
{
    init(screenSize);
}

void RImageList::init(const QSize &screenSize)
{
    m_iScreenWidth = qMax(0, screenSize.width());
    m_iScreenHeight = qMax(0, screenSize.height());
    m_iIconWid = m_iScreenWidth / 24;
    m_iBottomSpace = qRound(qMax(m_iIconWid, 68) * 1.25);
    m_iItemSide = qMax(3 * m_iIconWid - 60, kMinItemSide);
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);

    m_listWidget = new RListWidget(this);
    m_listWidget->setViewMode(QListView::IconMode);
    m_listWidget->setIconSize(QSize(m_iItemSide, m_iItemSide));
    m_listWidget->setSpacing(10);
    m_listWidget->setResizeMode(QListView::Adjust);
    m_listWidget->setMovement(QListView::Static);
    m_listWidget->setStyleSheet(QStringLiteral("QListWidget{font-size:%1px;} QScrollBar{width:%2px;}")
                                    .arg(12 * (m_iScreenWidth / 1920))
                                    .arg(20));

    m_widgetCon = new RContrastWidget;
    m_widgetCon->hide();
    m_layoutMain = new QHBoxLayout(this);
    m_layoutMain->setContentsMargins(10, 10, 10, 10);
    m_layoutMain->addWidget(m_widgetCon, 1);
    m_labelLeftOut = new QLabel;
    m_labelLeftOut->setWordWrap(true);
    m_labelLeftOut->hide();
    auto *column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_listWidget, 1);
    column->addWidget(m_labelLeftOut);
    m_layoutMain->addLayout(column);

    connect(m_listWidget, &QListWidget::itemDoubleClicked, this, &RImageList::openImageFile);
    connect(this, &RImageList::sInsertOneItem, this, &RImageList::slotInserOneItem);
    // Rows whose thumbnails were dropped for the budget fill in as they show.
    connect(m_listWidget->verticalScrollBar(), &QScrollBar::valueChanged, this, &RImageList::scheduleThumbnails);

    setGeometry(stripGeometry());

    const int cores = qMax(1, QThread::idealThreadCount());
    m_poolThumbs.setMaxThreadCount(cores);
    m_iMaxRunning = cores;

    m_timerDetect = new QTimer;
    m_timerDetect->setInterval(1000);
    connect(m_timerDetect, &QTimer::timeout, this, &RImageList::detectFileStatus);
    m_timerDetect->start();

    qInfo().noquote() << "RImageList::RImageList: screen" << m_iScreenWidth << "x" << m_iScreenHeight
                      << "icon" << m_iIconWid << "item" << m_iItemSide << "threads" << cores;
}

RImageList::~RImageList()
{
    m_bClosing = true;
    ++m_uGeneration;
    m_timerDetect->stop();
    delete m_timerDetect;
    m_timerDetect = nullptr;
    // Workers post back to this object; none may outlive it.
    m_poolThumbs.clear();
    m_poolThumbs.waitForDone();
}

QSize RImageList::thumbnailBox() const
{
    return QSize(m_iItemSide, 3 * m_iItemSide / 4);
}

QRect RImageList::stripGeometry() const
{
    return QRect(m_iScreenWidth - 3 * m_iIconWid - 20, 0, 3 * m_iIconWid,
                 m_iScreenHeight - m_iBottomSpace);
}

int RImageList::pendingThumbnailCount() const
{
    return m_iJobsLeft + m_snaps.pending();
}

bool RImageList::cameraIsPlaying() const
{
    return m_widgetCon->cameraIsPlaying();
}

void RImageList::applyStripLayout()
{
    m_listWidget->show();
    setGeometry(stripGeometry());
    m_listWidget->setFixedWidth(qMax(0, 3 * m_iIconWid - 20));
    m_labelLeftOut->setFixedWidth(m_listWidget->width());
    resize(3 * m_iIconWid, m_iScreenHeight - m_iBottomSpace);
}

void RImageList::showScreenContrast(QString strCamera)
{
    qInfo().noquote() << "RImageList::showScreenContrast:" << strCamera << "open" << !cameraIsPlaying();
    if (cameraIsPlaying()) {
        m_widgetCon->stopCamera();
        m_widgetCon->hide();
        applyStripLayout();
        return;
    }
    m_widgetCon->initCamera(strCamera);
    m_widgetCon->show();
    m_listWidget->show();
    setGeometry(0, 0, m_iScreenWidth - 20, m_iScreenHeight - m_iBottomSpace);
    m_listWidget->setFixedWidth(qMax(0, 3 * m_iIconWid - 20));
    m_labelLeftOut->setFixedWidth(m_listWidget->width());
}

QListWidgetItem *RImageList::makeItem(const QString &path) const
{
    auto *item = new QListWidgetItem;
    item->setText(QFileInfo(path).fileName());
    item->setData(RListWidget::PathRole, path);
    item->setData(Qt::SizeHintRole, QSize(m_iItemSide, m_iItemSide));
    item->setIcon(QIcon());
    return item;
}

void RImageList::changeDir(QString strDir)
{
    qInfo().noquote() << "RImageList::changeDir:" << strDir;
    m_widgetCon->hide();
    ++m_uGeneration;
    m_vecJobs.clear();
    m_iNextJob = 0;
    m_iJobsLeft = 0;
    m_snaps.clear();
    m_listWidget->clear();
    m_listWidget->setDir(strDir);
    m_listHeld.clear();
    m_iThumbBytes = 0;
    m_iReloadsLeft = 0;
    m_iLeftOut = 0;
    updateLeftOut();

    // An empty path would mean the working directory to QDir.
    const QDir dir(strDir);
    if (strDir.isEmpty() || !dir.exists()) {
        qInfo().noquote() << "RImageList::changeDir: no such folder" << strDir;
        return;
    }
    m_strCurDir = strDir;

    static const QStringList filters = {QStringLiteral("*.png"), QStringLiteral("*.jpg"),
                                        QStringLiteral("*.jpeg"), QStringLiteral("*.bmp"),
                                        QStringLiteral("*.tif")};
    const QStringList names = dir.entryList(filters, QDir::Files | QDir::Readable, QDir::Name);
    m_iLeftOut = countUnreadableNames(strDir);
    updateLeftOut();

    m_vecJobs.resize(names.size());
    for (int i = 0; i < names.size(); ++i) {
        const QString path = joinPath(strDir, names.at(i));
        QListWidgetItem *item = makeItem(path);
        item->setData(JobRole, i);
        m_listWidget->addItem(item);
        m_vecJobs[i].path = path;
    }
    // Persistent indexes follow the rows when snapshots are inserted on top
    // or vanished files are taken out while thumbnails are still decoding.
    QAbstractItemModel *model = m_listWidget->model();
    for (int i = 0; i < names.size(); ++i)
        m_vecJobs[i].index = QPersistentModelIndex(model->index(i, 0));
    m_iJobsLeft = names.size();
    qInfo().noquote() << "RImageList::changeDir: listed" << names.size() << "pictures";
    scheduleThumbnails();
}

// A name Qt cannot decode (not valid in the system's encoding, such as a
// GBK name from a Windows stick) cannot be opened through it, and QDir leaves
// it out without a word: count them so the strip can say so.
int RImageList::countUnreadableNames(const QString &strDir)
{
    static const QList<QByteArray> exts = {".png", ".jpg", ".jpeg", ".bmp", ".tif"};
    int count = 0;
    for (const QByteArray &raw : RPlatform::undecodableNames(strDir)) {
        const QByteArray lower = raw.toLower();
        if (std::any_of(exts.cbegin(), exts.cend(), [&](const QByteArray &e) { return lower.endsWith(e); })) {
            ++count;
            qInfo().noquote() << "RImageList::changeDir: not listed, the name is not valid in the system's encoding:"
                              << QFile::decodeName(raw) << "bytes" << raw.toPercentEncoding();
        }
    }
    return count;
}

void RImageList::setLangue(UiLanguage langue)
{
    m_iLangue = langue;
    m_widgetCon->setLangue(langue);
    updateLeftOut();
}

QString RImageList::leftOutText() const
{
    return m_labelLeftOut->text();
}

void RImageList::updateLeftOut()
{
    if (m_iLeftOut <= 0) {
        m_labelLeftOut->clear();
        m_labelLeftOut->hide();
        return;
    }
    m_labelLeftOut->setText(m_iLangue == UiLanguage::English
        ? QStringLiteral("%1 picture(s) not shown: the file name is not valid text here. Rename on the computer that wrote it.")
              .arg(m_iLeftOut)
        : QStringLiteral("%1 张图片未显示：文件名编码无法识别，请在原电脑上重命名。").arg(m_iLeftOut));
    m_labelLeftOut->show();
}

void RImageList::scheduleThumbnails()
{
    while (!m_bClosing && m_iRunning < m_iMaxRunning) {
        const int job = nextThumbJob();
        if (job < 0)
            break;
        startThumbJob(job);
    }
}

int RImageList::nextThumbJob()
{
    if (m_iJobsLeft <= 0 && m_iReloadsLeft <= 0)
        return -1;

    // Rows on screen first, so a scrolled strip fills where the teacher looks.
    const int count = m_listWidget->count();
    if (isVisible() && m_listWidget->isVisible() && count > 0) {
        const QRect view = m_listWidget->viewport()->rect();
        int lo = 0;
        int hi = count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (m_listWidget->visualItemRect(m_listWidget->item(mid)).bottom() < view.top())
                lo = mid + 1;
            else
                hi = mid;
        }
        for (int r = lo; r < count; ++r) {
            QListWidgetItem *item = m_listWidget->item(r);
            if (m_listWidget->visualItemRect(item).top() > view.bottom())
                break;
            const QVariant v = item->data(JobRole);
            if (!v.isValid())
                continue;
            const int j = v.toInt();
            if (j >= 0 && j < m_vecJobs.size() && m_vecJobs[j].state == JobState::Pending
                && m_vecJobs[j].index.row() == r)
                return j;
        }
    }

    while (m_iNextJob < m_vecJobs.size()) {
        ThumbJob &job = m_vecJobs[m_iNextJob];
        // Dropped thumbnails come back only when their rows show.
        if (job.state == JobState::Pending && !job.reload) {
            if (job.index.isValid())
                return m_iNextJob;
            // Its item was taken out before the picture was decoded.
            job.state = JobState::Done;
            --m_iJobsLeft;
        }
        ++m_iNextJob;
    }
    return -1;
}

void RImageList::startThumbJob(int job)
{
    ThumbJob &entry = m_vecJobs[job];
    entry.state = JobState::Running;
    ++m_iRunning;
    const quint64 generation = m_uGeneration.load();
    const QString path = entry.path;
    const QSize box = thumbnailBox();
    m_poolThumbs.start([this, generation, job, path, box] {
        RPlatform::lowerThreadPriority();
        QImage image;
        // Queued work of a folder that is no longer listed is skipped.
        if (m_uGeneration.load() == generation)
            image = makeThumbnail(path, box);
        QMetaObject::invokeMethod(
            this, [this, generation, job, image] { thumbnailReady(generation, job, image); },
            Qt::QueuedConnection);
    });
}

void RImageList::thumbnailReady(quint64 generation, int job, const QImage &image)
{
    --m_iRunning;
    if (m_bClosing)
        return;
    if (generation == m_uGeneration.load() && job >= 0 && job < m_vecJobs.size()) {
        ThumbJob &entry = m_vecJobs[job];
        entry.state = JobState::Done;
        if (entry.reload) {
            --m_iReloadsLeft;
            entry.reload = false;
        } else {
            --m_iJobsLeft;
        }
        setThumbnail(job, image);
        if (m_iJobsLeft == 0)
            qInfo().noquote() << "RImageList::changeDir: thumbnails done" << m_strCurDir;
    }
    scheduleThumbnails();
}

void RImageList::setThumbnail(int job, const QImage &image)
{
    ThumbJob &entry = m_vecJobs[job];
    QListWidgetItem *item = entry.index.isValid() ? m_listWidget->item(entry.index.row()) : nullptr;
    if (!item)
        return;
    // A file that cannot be shown gets a mark, not a blank tile that looks
    // like a picture still loading. The mark is shared and costs nothing.
    if (image.isNull()) {
        item->setIcon(brokenPictureIcon());
        return;
    }
    item->setIcon(QIcon(QPixmap::fromImage(image)));
    entry.bytes = image.sizeInBytes();
    m_iThumbBytes += entry.bytes;
    m_listHeld.append(job);
    trimThumbnails();
}

bool RImageList::rowOnScreen(const QListWidgetItem *item) const
{
    return isVisible() && m_listWidget->isVisible()
        && m_listWidget->visualItemRect(item).intersects(m_listWidget->viewport()->rect());
}

void RImageList::trimThumbnails()
{
    for (int tries = m_listHeld.size(); m_iThumbBytes > m_iThumbBudget && tries > 0; --tries) {
        const int job = m_listHeld.takeFirst();
        ThumbJob &entry = m_vecJobs[job];
        QListWidgetItem *item = entry.index.isValid() ? m_listWidget->item(entry.index.row()) : nullptr;
        if (item && rowOnScreen(item)) {
            m_listHeld.append(job);
            continue;
        }
        m_iThumbBytes -= entry.bytes;
        entry.bytes = 0;
        if (!item)
            continue;
        item->setIcon(QIcon());
        entry.state = JobState::Pending;
        entry.reload = true;
        ++m_iReloadsLeft;
    }
}

void RImageList::setThumbnailBudget(qint64 bytes)
{
    m_iThumbBudget = qMax<qint64>(0, bytes);
    trimThumbnails();
}

QIcon RImageList::brokenPictureIcon()
{
    return QIcon(QStringLiteral(":/Kelu/images/badpicture.png"));
}

QImage RImageList::makeThumbnail(const QString &path, const QSize &box)
{
    try {
        QImage image = RPictureLoader::loadScaled(path, box);
        if (image.isNull())
            return image;
        // Small pictures are enlarged too, so every thumbnail fills its box.
        if (image.size().scaled(box, Qt::KeepAspectRatio) != image.size())
            image = image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
        return image;
    } catch (const std::exception &e) {
        qWarning().noquote() << "RImageList::makeThumbnail:" << path << e.what();
    } catch (...) {
        qWarning().noquote() << "RImageList::makeThumbnail:" << path << "unknown exception";
    }
    return QImage();
}

void RImageList::slotAddSnap(QString sdir, QString sname)
{
    try {
        const QString path = sdir + QLatin1Char('/') + sname;
        qInfo().noquote() << "RImageList::slotAddSnap:" << path;
        if (!QFileInfo(path).isFile())
            return;
        const quint64 ticket = m_snaps.request(path);
        const QSize box = thumbnailBox();
        // Ahead of folder thumbnails still waiting in the pool.
        m_poolThumbs.start(
            [this, ticket, path, box] {
                RPlatform::lowerThreadPriority();
                const QImage image = makeThumbnail(path, box);
                QMetaObject::invokeMethod(
                    this, [this, ticket, image] { snapshotReady(ticket, image); }, Qt::QueuedConnection);
            },
            1);
    } catch (const std::exception &e) {
        qWarning().noquote() << "RImageList::slotAddSnap ex" << e.what();
    } catch (...) {
        qWarning().noquote() << "RImageList::slotAddSnap ex";
    }
}

// Snapshots go on top in the order they were taken, however their decoding
// finished, so the newest is always the first row. A folder change drops the
// ones still decoding.
void RImageList::snapshotReady(quint64 ticket, const QImage &image)
{
    if (m_bClosing)
        return;
    for (const auto &done : m_snaps.deliver(ticket, image)) {
        const QString &path = done.key;
        if (done.result.width() <= 0 || done.result.height() <= 0) {
            qInfo().noquote() << "RImageList::slotAddSnap size is 0" << path;
            continue;
        }
        // A snapshot that overwrote a listed file replaces its stale thumbnail.
        for (int r = m_listWidget->count() - 1; r >= 0; --r) {
            if (m_listWidget->item(r)->data(RListWidget::PathRole).toString() == path)
                delete m_listWidget->takeItem(r);
        }
        QListWidgetItem *item = makeItem(path);
        ThumbJob job;
        job.path = path;
        job.state = JobState::Done;
        const int j = m_vecJobs.size();
        item->setData(JobRole, j);
        m_vecJobs.append(job);
        emit sInsertOneItem(item);
        const int row = m_listWidget->row(item);
        if (row >= 0) {
            m_vecJobs[j].index = QPersistentModelIndex(m_listWidget->model()->index(row, 0));
            setThumbnail(j, done.result);
        }
    }
}

void RImageList::slotInserOneItem(QListWidgetItem *item)
{
    if (!item || !m_listWidget)
        return;
    // Scrolled down, the teacher is looking at (or about to double-click)
    // older pictures: a new one on top must not move them.
    QScrollBar *bar = m_listWidget->verticalScrollBar();
    QListWidgetItem *anchor = nullptr;
    int anchorTop = 0;
    if (bar->value() > bar->minimum()) {
        const QRect view = m_listWidget->viewport()->rect();
        anchor = m_listWidget->itemAt(view.center());
        for (int y = view.top(); !anchor && y < view.bottom(); y += 8)
            anchor = m_listWidget->itemAt(QPoint(view.center().x(), y));
        if (anchor)
            anchorTop = m_listWidget->visualItemRect(anchor).top();
    }
    m_listWidget->insertItem(0, item);
    if (anchor) {
        m_listWidget->doItemsLayout();
        bar->setValue(bar->value() + m_listWidget->visualItemRect(anchor).top() - anchorTop);
    }
}

void RImageList::detectFileStatus()
{
    // The checks run on a worker: on a slow share or USB stick a second of
    // file lookups must not hitch the live picture. One check at a time.
    if (m_bWatchRunning || m_bClosing)
        return;
    QStringList paths;
    paths.reserve(m_listWidget->count());
    for (int r = 0; r < m_listWidget->count(); ++r)
        paths << m_listWidget->item(r)->data(RListWidget::PathRole).toString();
    if (paths.isEmpty())
        return;
    m_bWatchRunning = true;
    auto *watcher = new QFutureWatcher<QStringList>(this);
    connect(watcher, &QFutureWatcher<QStringList>::finished, this, [this, watcher] {
        const QStringList gone = watcher->result();
        watcher->deleteLater();
        m_bWatchRunning = false;
        removeVanished(gone);
    });
    watcher->setFuture(QtConcurrent::run([paths] {
        QStringList gone;
        for (const QString &path : paths)
            if (!path.isEmpty() && !QFileInfo(path).isFile())
                gone << path;
        return gone;
    }));
}

void RImageList::removeVanished(const QStringList &gone)
{
    if (gone.isEmpty())
        return;
    const QSet<QString> goneSet(gone.cbegin(), gone.cend());
    for (int r = m_listWidget->count() - 1; r >= 0; --r) {
        const QString path = m_listWidget->item(r)->data(RListWidget::PathRole).toString();
        // Checked again here: a snapshot may have written the name meanwhile.
        if (goneSet.contains(path) && !QFileInfo(path).isFile()) {
            qInfo().noquote() << "RImageList::detectFileStatus: RemoveItem:" << path;
            delete m_listWidget->takeItem(r);
        }
    }
}

void RImageList::openImageFile(QListWidgetItem *item)
{
    if (!item)
        return;
    // The item's own folder: a snapshot may come from another one.
    const QString path = m_listWidget->pathOf(item);
    qInfo().noquote() << "RImageList::openImageFile:" << path;
    if (m_widgetCon->isVisible())
        m_widgetCon->showImage(folderOf(path), item->text());
    else
        emit imageChanged(folderOf(path), item->text());
}

void RImageList::closeTheWidget()
{
    close();
}

void RImageList::hideShowList()
{
    if (m_widgetCon->isVisible())
        return;
    m_listWidget->setVisible(m_listWidget->isHidden());
}

void RImageList::keyPressEvent(QKeyEvent *event)
{
    qDebug() << "RImageList::keyPressEvent:" << event->key() << event->modifiers();
    const Qt::KeyboardModifiers quitMods = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
    if (event->key() == Qt::Key_P && event->modifiers() == quitMods)
        emit sNoConfirmClose();
    // Keys stop here on purpose.
    event->accept();
}
