#pragma once

#include "UiLanguage.h"

#include <QSize>
#include <QWidget>

class QLabel;
class QMovie;
class QPushButton;

// The QR scan overlay: an animated frame, a hint and an exit button; after a
// read that is not a link, the text itself with a copy button.
class RScanWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RScanWidget(QWidget *parent = nullptr);

    // Animation side and font size for an overlay of w x h.
    struct Metrics
    {
        int animationSide;
        int fontPx;
    };
    static Metrics metrics(int w, int h);
    // Longest part of a read text shown in the overlay (the copy takes all).
    static constexpr int kShownChars = 300;

    // Shows a read text instead of the animation, with a copy button.
    void showText(const QString &text);
    QString shownText() const { return m_strText; }
    QLabel *animationLabel() const { return m_labelMovie; }
    QLabel *hintLabel() const { return m_labelHint; }
    QPushButton *exitButton() const { return m_btnExit; }
    QPushButton *copyButton() const { return m_btnCopy; }
    int fontPx() const { return m_iFontPx; }

signals:
    void sExitScanning();

public slots:
    void slotExit();
    void setScanPixSize(int iwid, int ihei);
    void slotChangeLangue(UiLanguage ilangue);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_btnExit = nullptr;
    QMovie *m_movie = nullptr;
    QLabel *m_labelMovie = nullptr;
    QLabel *m_labelHint = nullptr;
    QLabel *m_labelText = nullptr;
    QPushButton *m_btnCopy = nullptr;
    QString m_strText;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    int m_iFontPx = 14;
};
