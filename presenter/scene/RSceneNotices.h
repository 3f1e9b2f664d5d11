#pragma once

#include "UiLanguage.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QGraphicsScene;
class RNotice;

// What the scene tells the teacher over the live picture: passing messages
// (a picture not placed, a document not saved) and the standing notice while
// the camera is reconnecting. The notice is made on first use, over the
// scene's first view.
class RSceneNotices : public QObject
{
    Q_OBJECT
public:
    explicit RSceneNotices(QGraphicsScene *scene);
    ~RSceneNotices() override;

    void setLanguage(UiLanguage langue) { m_iLangue = langue; }
    RNotice *notice();
    void show(const QString &text);
    // The reconnecting notice stands while `lost` holds.
    void setCameraLost(bool lost);
    void pictureFailed(const QString &path, const QString &reason);
    // A document capture that saved nothing; an empty reason is an empty picture.
    void documentNotSaved(const QString &reason);

private:
    QGraphicsScene *m_scene;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    QPointer<RNotice> m_notice;
};
