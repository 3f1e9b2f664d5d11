#include "RContrastWidget.h"

#include "GraphicsView.h"
#include "RContrastMath.h"
#include "RHandWriteWidget.h"
#include "RItemScene.h"
#include "RItemView.h"
#include "RNotice.h"
#include "RPictureLoader.h"
#include "RViewfinderCamera.h"

#include <QCamera>
#include <QCameraViewfinder>
#include <QDebug>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>
#include <QtConcurrent>

RContrastWidget::RContrastWidget(QWidget *parent)
    : QWidget(parent)
{
    m_camera = new RViewfinderCamera(this);
    m_sceneCamera = new QGraphicsScene(this);
    m_scene1 = new RItemScene(this);
    m_scene2 = new RItemScene(this);
    m_scene3 = new RItemScene(this);
    m_view0 = new RItemView;
    m_view1 = new RItemView;
    m_view2 = new RItemView;
    m_view3 = new RItemView;
    m_view0->graphicsView->setScene(m_sceneCamera);
    m_view1->graphicsView->setScene(m_scene1);
    m_view2->graphicsView->setScene(m_scene2);
    m_view3->graphicsView->setScene(m_scene3);

    m_splitterTop = new QSplitter(Qt::Horizontal);
    m_splitterTop->addWidget(m_view0);
    m_splitterTop->addWidget(m_view1);
    m_splitterBottom = new QSplitter(Qt::Horizontal);
    m_splitterBottom->addWidget(m_view2);
    m_splitterBottom->addWidget(m_view3);
    m_splitterMain = new QSplitter(Qt::Vertical);
    m_splitterMain->addWidget(m_splitterTop);
    m_splitterMain->addWidget(m_splitterBottom);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitterMain);

    m_notice = new RNotice(this);
    const std::array<RItemScene *, 3> scenes = {m_scene1, m_scene2, m_scene3};
    for (int i = 0; i < 3; ++i) {
        RItemView *view = pane(i + 1);
        connect(scenes[i], &RItemScene::sChangeName, view, &RItemView::setCurFileName);
        connect(scenes[i], &RItemScene::sChangeName, this, [this, i] { pictureReplaced(i + 1); });
        connect(scenes[i], &RItemScene::sPictureFailed, this, &RContrastWidget::pictureFailed);
    }
    connect(m_view0, &RItemView::sAddItem, this, &RContrastWidget::addHandWriteItem);
    connect(m_view0, &RItemView::sDragMode, this, &RContrastWidget::setDragMode);
    connect(m_view0, &RItemView::sResetLayout, this, &RContrastWidget::resetConLayout);
    connect(m_view1, &RItemView::sAddItem, this, &RContrastWidget::addHandWriteItem1);
    connect(m_view2, &RItemView::sAddItem, this, &RContrastWidget::addHandWriteItem2);
    connect(m_view3, &RItemView::sAddItem, this, &RContrastWidget::addHandWriteItem3);
    connect(m_view1, &RItemView::sDragMode, this, &RContrastWidget::setDragMode1);
    connect(m_view2, &RItemView::sDragMode, this, &RContrastWidget::setDragMode2);
    connect(m_view3, &RItemView::sDragMode, this, &RContrastWidget::setDragMode3);
    m_view0->setShowLayoutBtn(true);
    m_view1->setShowLayoutBtn(false);
    m_view2->setShowLayoutBtn(false);
    m_view3->setShowLayoutBtn(false);
    resetConLayout(ContrastLayout::FourPanes);
}

RContrastWidget::~RContrastWidget()
{
    stopCamera();
}

void RContrastWidget::setLangue(UiLanguage langue)
{
    m_iLangue = langue;
}

RItemView *RContrastWidget::pane(int idx) const
{
    RItemView *const views[] = {m_view0, m_view1, m_view2, m_view3};
    return idx >= 0 && idx < 4 ? views[idx] : nullptr;
}

QGraphicsScene *RContrastWidget::paneScene(int idx) const
{
    QGraphicsScene *const scenes[] = {m_sceneCamera, m_scene1, m_scene2, m_scene3};
    return idx >= 0 && idx < 4 ? scenes[idx] : nullptr;
}

RHandWriteWidget *RContrastWidget::handItem(int idx) const
{
    const QPointer<RHandWriteWidget> items[] = {m_handItem0, m_handItem1, m_handItem2, m_handItem3};
    return idx >= 0 && idx < 4 ? items[idx].data() : nullptr;
}

void RContrastWidget::initCamera(QString strCamera)
{
    if (m_camera->camera())
        stopCamera();
    m_widgetCamera = new QWidget;
    m_widgetCamera->resize(400, 300);
    m_viewfinder = new QCameraViewfinder(m_widgetCamera);
    m_viewfinder->resize(400, 300);
    m_sceneCamera->setSceneRect(0, 0, m_iCurResolutionX, m_iCurResolutionY);
    m_sceneCamera->addWidget(m_widgetCamera);
    const QString started = m_camera->start(strCamera, m_viewfinder);
    m_view0->setCaption(started);
    m_view0->setContentSize(m_iCurResolutionX, m_iCurResolutionY);
    m_view0->resetView();
    m_bPlaying = true;
}

QCamera *RContrastWidget::camera() const
{
    return m_camera->camera();
}

// Closing gives the camera back; the picture panes keep their pictures and
// ink for the next time the view opens.
void RContrastWidget::stopCamera()
{
    m_bPlaying = false;
    m_camera->stop();
    if (m_widgetCamera && m_sceneCamera) {
        const QList<QGraphicsItem *> items = m_sceneCamera->items();
        for (QGraphicsItem *item : items) {
            // Children go with their parents.
            if (item->parentItem())
                continue;
            m_sceneCamera->removeItem(item);
            if (QGraphicsObject *object = item->toGraphicsObject())
                object->deleteLater();
            else
                delete item;
        }
        m_widgetCamera = nullptr;
        m_viewfinder = nullptr;
        m_handItem0 = nullptr;
    }
}

void RContrastWidget::clearPanes()
{
    m_images.clear();
    for (RItemScene *scene : {m_scene1, m_scene2, m_scene3}) {
        scene->clear();
        scene->setSceneRect(QRectF());
    }
    for (RItemView *view : {m_view1, m_view2, m_view3})
        view->setCaption(QString());
    m_handItem1 = m_handItem2 = m_handItem3 = nullptr;
    m_iCurIndex = 0;
}

void RContrastWidget::showImage(QString dir, QString name)
{
    const QString path = dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
    const quint64 ticket = m_images.request(path);
    auto *watcher = new QFutureWatcher<RItemScene::Decoded>(this);
    connect(watcher, &QFutureWatcher<RItemScene::Decoded>::finished, this, [this, watcher, ticket] {
        const RItemScene::Decoded result = watcher->result();
        watcher->deleteLater();
        imageReady(ticket, result);
    });
    watcher->setFuture(QtConcurrent::run([path] { return RItemScene::decode(path); }));
}

// Pictures reach their panes in the order they were opened, however their
// decoding finished, so the fill order is the order of the double-clicks.
void RContrastWidget::imageReady(quint64 ticket, const RItemScene::Decoded &result)
{
    for (const auto &done : m_images.deliver(ticket, result)) {
        const QString &path = done.key;
        const QImage &image = done.result.image;
        if (image.width() <= 0 || image.height() <= 0) {
            pictureFailed(path, done.result.reason);
            continue;
        }
        const int idx = RContrastMath::choosePane(m_iCurIndex, !m_scene1->hasPicture(), !m_scene2->hasPicture());
        auto *scene = static_cast<RItemScene *>(paneScene(idx));
        scene->setPicture(image);
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        pane(idx)->setCurFileName(name, image.width(), image.height());
        qInfo().noquote() << "RContrastWidget::showImage:" << path << "pane" << idx;
        m_iCurIndex = RContrastMath::nextIndex(idx);
        pictureReplaced(idx);
        emit sImageShown(idx);
    }
}

void RContrastWidget::pictureFailed(const QString &path, const QString &reason)
{
    const QString name = QFileInfo(path).fileName();
    m_notice->showMessage(m_iLangue == UiLanguage::English ? QStringLiteral("Picture not shown: %1 (%2)").arg(name, reason)
                                         : QStringLiteral("图片无法显示：%1（%2）").arg(name, reason));
}

// The new picture took the pane's ink with it; a pane left in pen mode
// gets a fresh sheet so the pen keeps writing.
void RContrastWidget::pictureReplaced(int idx)
{
    if (pane(idx)->isAnnotating())
        addHandItem(idx);
}

QString RContrastWidget::noticeText() const
{
    return m_notice->messageText();
}

void RContrastWidget::addHandItem(int idx)
{
    QGraphicsScene *scene = paneScene(idx);
    if (scene->items().isEmpty())
        return;
    auto *item = new RHandWriteWidget;
    item->setDrawing(true);
    item->setGeometry(scene->sceneRect());
    scene->addItem(item);
    QPointer<RHandWriteWidget> *stored[] = {&m_handItem0, &m_handItem1, &m_handItem2, &m_handItem3};
    *stored[idx] = item;
}

void RContrastWidget::endHandItem(int idx)
{
    if (RHandWriteWidget *item = handItem(idx))
        item->setDrawing(false);
}

void RContrastWidget::addHandWriteItem() { addHandItem(0); }
void RContrastWidget::addHandWriteItem1() { addHandItem(1); }
void RContrastWidget::addHandWriteItem2() { addHandItem(2); }
void RContrastWidget::addHandWriteItem3() { addHandItem(3); }
void RContrastWidget::setDragMode() { endHandItem(0); }
void RContrastWidget::setDragMode1() { endHandItem(1); }
void RContrastWidget::setDragMode2() { endHandItem(2); }
void RContrastWidget::setDragMode3() { endHandItem(3); }

void RContrastWidget::resetConLayout(ContrastLayout layout)
{
    const std::array<bool, 4> shown = RContrastMath::layoutPanes(layout);
    qInfo() << "RContrastWidget::resetConLayout:" << static_cast<int>(layout);
    for (int i = 0; i < 4; ++i)
        pane(i)->setVisible(shown[i]);
    m_splitterBottom->setVisible(shown[2] || shown[3]);
    for (QSplitter *splitter : {m_splitterTop, m_splitterBottom, m_splitterMain}) {
        splitter->setStretchFactor(0, 1);
        splitter->setStretchFactor(1, 1);
        // Equal halves, whatever the teacher dragged before.
        splitter->setSizes({1000, 1000});
    }
}
