#pragma once

#include "RCaptureSettings.h"
#include "UiLanguage.h"

#include <QDialog>
#include <QList>
#include <QSize>
#include <QString>

#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QFontMetrics;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Capture settings. The caller fills the public values, calls initData(),
// runs the dialog and reads the values back after Accepted; the dialog itself
// never touches the settings store.
class RSetting : public QDialog
{
    Q_OBJECT
public:
    explicit RSetting(QWidget *parent = nullptr);

    UiLanguage m_iLangue = UiLanguage::Chinese;
    RCaptureSettings m_capture;
    QList<QSize> m_listResolution;
    int m_iCurResolutionIndex = 0;

    // Texts by language and controls from the values above.
    void initData();

    // File-type combo index for an extension, by substring in the order png, jpg, bmp, tif.
    static int fileTypeIndex(const QString &ext);
    static QString fileTypeExt(int index);
    // Width of a line edit that shows `text` whole, within [least, most].
    static int widthForText(const QFontMetrics &metrics, const QString &text, int frame, int least, int most);

public slots:
    void slotOK();
    void slotCancel();
    void setPath();

private:
    static void fitToText(QLineEdit *edit, int least, int most);
    // Each control beside the value it edits.
    void showChoices();
    void takeChoices();
    std::vector<std::pair<QSpinBox *, int RCaptureSettings::*>> numbers() const;
    std::vector<std::pair<QCheckBox *, bool RCaptureSettings::*>> switches() const;

    QComboBox *m_comboVideoType = nullptr;
    QComboBox *m_comboResolution = nullptr;
    QComboBox *m_comboNameType = nullptr;
    QComboBox *m_comboFileType = nullptr;
    QComboBox *m_comboColorType = nullptr;
    QComboBox *m_comboSnapType = nullptr;
    QCheckBox *m_checkCardMix = nullptr;
    QCheckBox *m_checkAutoCut = nullptr;
    QCheckBox *m_checkAutoRotate = nullptr;
    QCheckBox *m_checkPdfAppend = nullptr;
    QCheckBox *m_checkAutoPerspective = nullptr;
    QLineEdit *m_editPrefix = nullptr;
    QLineEdit *m_editCurNum = nullptr;
    QLineEdit *m_editPath = nullptr;
    QSpinBox *m_spinNumLength = nullptr;
    QSpinBox *m_spinInterval = nullptr;
    QPushButton *m_btnBrowse = nullptr;
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QLabel *m_labelVideoType = nullptr;
    QLabel *m_labelResolution = nullptr;
    QLabel *m_labelNameType = nullptr;
    QLabel *m_labelFileType = nullptr;
    QLabel *m_labelColorType = nullptr;
    QLabel *m_labelSnapType = nullptr;
    QLabel *m_labelPrefix = nullptr;
    QLabel *m_labelNumLength = nullptr;
    QLabel *m_labelCurNum = nullptr;
    QLabel *m_labelPath = nullptr;
    QLabel *m_labelInterval = nullptr;
};
