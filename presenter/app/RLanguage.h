#pragma once

#include "UiLanguage.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// Chooses the interface language. The caller stores and broadcasts the choice.
class RLanguage : public QDialog
{
    Q_OBJECT
public:
    explicit RLanguage(QWidget *parent = nullptr);

    // In: the language in use; out (after Accepted): the chosen one.
    UiLanguage m_iLangue = UiLanguage::Chinese;

    // Texts and combo selection from m_iLangue; also run on every show.
    void initData();

public slots:
    void slotOK();
    void slotCancel();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *m_comboLangue = nullptr;
    QLabel *m_labelPrompt = nullptr;
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
