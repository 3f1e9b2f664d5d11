#pragma once

#include "UiLanguage.h"

#include "RPdfMaker.h"

#include <QDialog>
#include <QFuture>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

// Collects picture files into an ordered list and writes them into one PDF,
// one picture per page. The PDF is written on a worker thread while a
// progress bar runs; the dialog stays usable.
class RPDFTool : public QDialog
{
    Q_OBJECT
public:
    explicit RPDFTool(QWidget *parent = nullptr);
    ~RPDFTool() override;

    QString m_strCurDir;
    // The recognition program for searchable pages; empty when not found.
    QString m_strProgram;

    // Appends pictures at the end of the list, as the add buttons do.
    void addPictures(const QStringList &paths);
    QStringList pictures() const;
    bool isWorking() const { return m_bWorking; }
    // Text of the last completion or failure message.
    QString lastMessage() const { return m_strLastMessage; }

    QListWidget *listWidget() const { return m_listFiles; }
    QLineEdit *pathEdit() const { return m_editPath; }
    QCheckBox *openCheck() const { return m_chkOpen; }
    QCheckBox *searchableCheck() const { return m_chkSearchable; }
    QLabel *sizeLabel() const { return m_labelSize; }

    // The completion text for a result in a language; empty when there is
    // nothing to say beyond opening the file.
    // The document a typed name stands for: ".pdf" added when missing, a bare
    // name in `startDir`; empty for a name too short to be meant.
    static QString targetPath(const QString &typed, const QString &startDir);
    static QString resultMessage(const RPdfMaker::Result &result, const QString &pdfPath, UiLanguage langue,
                                 bool willOpen);

signals:
    // The PDF work ended (written, failed or cancelled).
    void sPdfFinished(bool written);

public slots:
    void addImageFiles();
    void addImageDir();
    void setPath();
    void makePDFFile();
    void removeItem();
    void clearItems();
    void openImage();
    void slotSetLangue(UiLanguage ilangue);
    // Closing stops the PDF work after its current picture.
    void reject() override;

private:
    void setWorking(bool working);
    void startMaking(const QString &pdfPath);
    void workDone(const RPdfMaker::Result &result, const QString &pdfPath);
    void showMessage(const QString &text);

    QListWidget *m_listFiles = nullptr;
    QLineEdit *m_editPath = nullptr;
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnCreate = nullptr;
    QPushButton *m_btnAddFile = nullptr;
    QPushButton *m_btnAddDir = nullptr;
    QPushButton *m_btnRemove = nullptr;
    QPushButton *m_btnClear = nullptr;
    QLabel *m_labelPreview = nullptr;
    QLabel *m_labelSize = nullptr;
    QLabel *m_labelName = nullptr;
    QCheckBox *m_chkOpen = nullptr;
    // Recognised text as an invisible layer on every page; off at first.
    QCheckBox *m_chkSearchable = nullptr;
    QProgressBar *m_progress = nullptr;
    UiLanguage m_iLangue = UiLanguage::Chinese;

    bool m_bWorking = false;
    // Shared with the worker, which may outlive a closing dialog by one picture.
    std::shared_ptr<std::atomic_bool> m_cancel;
    QFuture<void> m_future;
    quint64 m_uPreviewSeq = 0;
    QString m_strLastMessage;
    // The target the teacher agreed to replace (in the Save dialog or asked here).
    QString m_strConfirmedPath;
};
