#pragma once

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

    // In: the language in use; out (after Accepted): the chosen one. 0 Chinese, 1 English.
    int m_iLangue = 0;

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
