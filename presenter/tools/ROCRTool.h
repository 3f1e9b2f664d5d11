#pragma once

#include "UiLanguage.h"

#include <QDialog>
#include <QMap>
#include <QProcess>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// Recognises the text of a picture file with the recognition program. The
// program runs beside the event loop, so the dialog and the live picture
// behind it stay responsive and the teacher can cancel.
class ROCRTool : public QDialog
{
    Q_OBJECT
public:
    explicit ROCRTool(QWidget *parent = nullptr);
    ~ROCRTool() override;

    // Shows a picture file in the path field and the preview.
    void setPicture(const QString &path);
    bool isRunning() const;

    QLineEdit *m_editFile = nullptr;
    QPushButton *m_btnOpen = nullptr;
    QLabel *m_labelPicture = nullptr;
    QPushButton *m_btnOcr = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QTextEdit *m_textResult = nullptr;
    QMap<QString, int> m_mapFailCount;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    // The recognition program; found beside the presenter when constructed.
    QString m_strProgram;

signals:
    // One recognition request has ended; ok is false for a failure or a cancel.
    void sOcrFinished(bool ok);

public slots:
    void openFile();
    void ocrFile();
    void cancelOcr();
    void slotSetLangue(UiLanguage ilangue);
    void reject() override;

private:
    void slotProcessError(QProcess::ProcessError error);
    void slotProcessFinished(int exitCode, QProcess::ExitStatus status);
    void endRun(bool failed, const QString &output);
    void showButtons(bool running);
    void stopProcess();

    QProcess *m_process = nullptr;
    QString m_strRunPath;
    bool m_bCancelled = false;
    int m_iPreviewRequest = 0;
};
