#include "RNotice.h"

#include <QEvent>
#include <QFont>

RNotice::RNotice(QWidget *parent)
    : QLabel(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("QLabel{color:white;background-color:rgba(40,40,40,200);border-radius:10px;"
                                 "padding:14px 28px;}"));
    QFont f(QStringLiteral("微软雅黑"));
    f.setPixelSize(22);
    setFont(f);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RNotice::refresh);
    if (parent)
        parent->installEventFilter(this);
    hide();
}

void RNotice::showMessage(const QString &text, int msecs)
{
    m_message = text;
    m_timer.start(msecs);
    refresh();
}

void RNotice::setStanding(const QString &text)
{
    if (text == m_standing)
        return;
    m_standing = text;
    refresh();
}

void RNotice::refresh()
{
    const QString shown = m_timer.isActive() ? m_message : m_standing;
    setText(shown);
    // Without a parent there is nowhere over the picture to show it.
    if (shown.isEmpty() || !parentWidget()) {
        hide();
        return;
    }
    place();
    show();
    raise();
}

void RNotice::place()
{
    const QWidget *area = parentWidget();
    // One line when it fits, wrapped within two thirds of the area otherwise.
    const QMargins m = contentsMargins();
    const int want = fontMetrics().horizontalAdvance(text()) + m.left() + m.right() + 2 * margin() + 60;
    const int w = qMin(want, qMax(200, area->width() * 2 / 3));
    resize(w, heightForWidth(w) > 0 ? heightForWidth(w) : sizeHint().height());
    move((area->width() - width()) / 2, (area->height() - height()) / 2);
}

bool RNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}
