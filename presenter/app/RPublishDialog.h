#pragma once

#include "UiLanguage.h"
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The media server's address, a start/stop button and the publisher's state.
// Thin: the publishing control decides and reports.
class RPublishDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RPublishDialog(QWidget *parent = nullptr);

    void setLanguage(UiLanguage langue);
    void setAddress(const QString &url);
    QString address() const;

public slots:
    void setStatus(const QString &text, bool publishing);
    // A refused address or a start that failed, until the next attempt.
    void setProblem(const QString &text);

signals:
    void sStart(const QString &url);
    void sStop();

private:
    void toggle();
    void refreshTexts();

    QLineEdit *m_editAddress = nullptr;
    QPushButton *m_btnToggle = nullptr;
    QLabel *m_labelAddress = nullptr;
    QLabel *m_labelStatus = nullptr;
    QLabel *m_labelProblem = nullptr;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    bool m_bPublishing = false;
};
