#pragma once
// The share's card over the live picture: a large QR code, the short
// address, how many students watch, and the button that ends the share.
// It shows for half a minute when sharing starts and again on demand.

#include "UiLanguage.h"
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;
class RShareSession;

class RSharePanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShowMs = 30000;

    RSharePanel(RShareSession *session, QWidget *parent);

    void setLanguage(UiLanguage language);
    // Refreshes from the session and shows for showMs, centred on the parent.
    void showFor(int showMs = kShowMs);
    // Starts a share unless one runs, then shows the card; the failure's text otherwise.
    QString offer(UiLanguage language);

private:
    void refresh();
    void setViewers(int count);

    RShareSession *m_session;
    UiLanguage m_language = UiLanguage::Chinese;
    QLabel *m_title;
    QLabel *m_code;
    QLabel *m_address;
    QLabel *m_viewers;
    QPushButton *m_hide;
    QPushButton *m_stop;
    QTimer *m_hideTimer;
};
