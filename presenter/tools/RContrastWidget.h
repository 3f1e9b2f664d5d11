#pragma once

#include "ContrastLayout.h"
#include "UiLanguage.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include "RItemScene.h"
#include "ROrderedResults.h"

class QCamera;
class QCameraViewfinder;
class QGraphicsScene;
class QSplitter;
class RHandWriteWidget;
class RItemView;
class RNotice;
class RViewfinderCamera;

// The compare view: the live camera (top left) beside up to three pictures,
// each pane with its own zoom, rotation and hand-writing.
class RContrastWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RContrastWidget(QWidget *parent = nullptr);
    ~RContrastWidget() override;

    void initCamera(QString strCamera);
    void stopCamera();
    bool cameraIsPlaying() const { return m_bPlaying; }
    // Opens a picture in the next pane; decoded off the GUI thread.
    void showImage(QString dir, QString name);
    void setLangue(UiLanguage langue);
    // The notice shown over the view, empty when none is up.
    QString noticeText() const;
    // Empties the picture panes and starts filling at pane 1 again.
    void clearPanes();

    // Pane 0 is the camera pane, 1 to 3 the picture panes.
    RItemView *pane(int idx) const;
    QGraphicsScene *paneScene(int idx) const;
    RHandWriteWidget *handItem(int idx) const;
    int curIndex() const { return m_iCurIndex; }
    // Opened pictures still being decoded.
    int pendingImages() const { return m_images.pending(); }
    QCamera *camera() const;

signals:
    // A picture opened with showImage reached a pane.
    void sImageShown(int pane);

public slots:
    void addHandWriteItem();
    void addHandWriteItem1();
    void addHandWriteItem2();
    void addHandWriteItem3();
    void setDragMode();
    void setDragMode1();
    void setDragMode2();
    void setDragMode3();
    void resetConLayout(ContrastLayout layout);

private:
    void addHandItem(int idx);
    void endHandItem(int idx);
    void imageReady(quint64 ticket, const RItemScene::Decoded &result);
    void pictureFailed(const QString &path, const QString &reason);
    void pictureReplaced(int idx);

    int m_iCurIndex = 0;
    QGraphicsScene *m_sceneCamera = nullptr;
    RItemScene *m_scene1 = nullptr;
    RItemScene *m_scene2 = nullptr;
    RItemScene *m_scene3 = nullptr;
    RItemView *m_view0 = nullptr;
    RItemView *m_view1 = nullptr;
    RItemView *m_view2 = nullptr;
    RItemView *m_view3 = nullptr;
    RViewfinderCamera *m_camera = nullptr;
    RNotice *m_notice = nullptr;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    QWidget *m_widgetCamera = nullptr;
    QCameraViewfinder *m_viewfinder = nullptr;
    bool m_bPlaying = false;
    int m_iCurResolutionX = 400;
    int m_iCurResolutionY = 300;
    // Cleared by the scene when a new picture replaces the pane's content.
    QPointer<RHandWriteWidget> m_handItem0;
    QPointer<RHandWriteWidget> m_handItem1;
    QPointer<RHandWriteWidget> m_handItem2;
    QPointer<RHandWriteWidget> m_handItem3;
    QSplitter *m_splitterTop = nullptr;
    QSplitter *m_splitterBottom = nullptr;
    QSplitter *m_splitterMain = nullptr;

    // Opened pictures, keyed by path, in the order of the double-clicks.
    ROrderedResults<RItemScene::Decoded> m_images;
};
