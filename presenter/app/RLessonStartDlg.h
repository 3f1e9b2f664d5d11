#pragma once

#include "UiLanguage.h"
#include <QDialog>

class QComboBox;
class QLineEdit;

// Before a lesson recording: the microphone (or none) and the save folder,
// as the recorder asks for them; the microphone is remembered.
class RLessonStartDlg : public QDialog
{
    Q_OBJECT
public:
    RLessonStartDlg(UiLanguage language, QWidget *parent = nullptr);

    // The server's name of the chosen microphone; empty: no sound.
    QString device() const;
    QString folder() const;
    // Stores the choice for next time.
    void remember() const;

private:
    QComboBox *m_mic;
    QLineEdit *m_folder;
};
