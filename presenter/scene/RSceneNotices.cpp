#include "RSceneNotices.h"

#include "RNotice.h"
#include "RSaveNotice.h"

#include <QDebug>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>

RSceneNotices::RSceneNotices(QGraphicsScene *scene)
    : QObject(scene)
    , m_scene(scene)
{
}

RSceneNotices::~RSceneNotices()
{
    // A notice made before any view existed has no parent to take it.
    if (m_notice && !m_notice->parent())
        delete m_notice;
}

RNotice *RSceneNotices::notice()
{
    if (!m_notice) {
        const QList<QGraphicsView *> all = m_scene->views();
        m_notice = new RNotice(all.isEmpty() ? nullptr : all.first()->viewport());
    }
    return m_notice;
}

void RSceneNotices::show(const QString &text)
{
    qInfo().noquote() << "RSceneNotices::show:" << text;
    notice()->showMessage(text);
}

void RSceneNotices::setCameraLost(bool lost)
{
    if (lost || m_notice)
        notice()->setStanding(lost ? RSaveNotice::reconnecting(m_iLangue) : QString());
}

void RSceneNotices::pictureFailed(const QString &path, const QString &reason)
{
    // A picture the teacher asked for and does not get is said, not only logged.
    const QString name = QFileInfo(path).fileName();
    show(m_iLangue == UiLanguage::English ? QStringLiteral("Picture not shown: %1 (%2)").arg(name, reason)
                        : QStringLiteral("图片无法显示：%1（%2）").arg(name, reason));
}

void RSceneNotices::documentNotSaved(const QString &reason)
{
    show(RSaveNotice::notSaved(m_iLangue, RSaveNotice::Document,
                               reason.isEmpty() ? RSaveNotice::emptyPicture(m_iLangue) : reason));
}
