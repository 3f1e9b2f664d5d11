#pragma once

#include "UiLanguage.h"

#include "CoverParams.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QSize>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

// Watermark settings: type, text or time format, font, colour, tilt,
// transparency, frame and picture, with a preview. The caller copies
// m_params in before exec() and out after Accepted.
class RCoverDlg : public QDialog
{
    Q_OBJECT
public:
    explicit RCoverDlg(QWidget *parent = nullptr);

    // Fills the controls from m_params; call after setting it.
    void initData();
    void setLanguage(UiLanguage ilangue);

    CoverParams m_params;
    QSize m_sizePicture;

    // For tests: the picture-load message and the preview.
    QString pictureMessage() const;
    QPixmap preview() const;
    // Decodes `path` on a worker as the watermark picture; sPictureOpened
    // tells the outcome. A picture that cannot be used leaves a message and
    // the previous picture.
    void openPicture(const QString &path);
    bool isLoadingPicture() const { return m_iLoading > 0; }

signals:
    void sPictureOpened(bool ok);

public slots:
    void slotOK();
    void slotCancel();
    void slotTypeNone();
    void slotTypeText();
    void slotTypeTime();
    void slotTypePicture();
    void slotFontChange(QFont font);
    void slotColor();
    void slotOpen();
    void slotSetRotate(int value);
    void slotSetAlpha(int value);
    void updateMyUIData();

private:
    void setType(int type);
    void paintColorButton();
    // Decodes on a worker; `done` runs on the GUI thread unless a later
    // request came meanwhile.
    void decodePicture(const QString &path, std::function<void(const QImage &, const QString &)> done);

    UiLanguage m_iLangue = UiLanguage::Chinese;
    int m_iLoading = 0;
    quint64 m_uRequest = 0;
    QPixmap m_pixPicture;
    QRadioButton *m_btnNone = nullptr;
    QRadioButton *m_btnText = nullptr;
    QRadioButton *m_btnTime = nullptr;
    QRadioButton *m_btnPicture = nullptr;
    QButtonGroup *m_typeGroup = nullptr;
    QLineEdit *m_editText = nullptr;
    QLineEdit *m_editTime = nullptr;
    QFontComboBox *m_comboFont = nullptr;
    QSpinBox *m_spinFontSize = nullptr;
    QPushButton *m_btnColor = nullptr;
    QLabel *m_labelRotate = nullptr;
    QSlider *m_sliderRotate = nullptr;
    QLabel *m_labelRotateValue = nullptr;
    QLabel *m_labelAlpha = nullptr;
    QSlider *m_sliderAlpha = nullptr;
    QLabel *m_labelAlphaValue = nullptr;
    QCheckBox *m_checkBorder = nullptr;
    QSpinBox *m_spinBorderWidth = nullptr;
    QPushButton *m_btnOpen = nullptr;
    QCheckBox *m_checkActualSize = nullptr;
    QPushButton *m_btnRefresh = nullptr;
    QLabel *m_labelPreviewTitle = nullptr;
    QLabel *m_labelPreview = nullptr;
    QLabel *m_labelHint = nullptr;
    QLabel *m_labelMessage = nullptr;
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
