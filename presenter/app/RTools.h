#pragma once

#include "RToolsLayout.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QToolButton;

// The floating strip of large tool buttons along the bottom of the screen.
// It only keeps the on/off state of its toggles and reports every command as
// a signal; it never calls the scene or the camera itself.
class RTools : public QWidget
{
    Q_OBJECT
public:
    enum { ButtonCount = RToolsLayout::kButtonCount, SettingItemCount = RToolsLayout::kSettingItemCount,
           ShapeItemCount = RToolsLayout::kShapeItemCount, RotateItemCount = RToolsLayout::kRotateItemCount };

    // Reads the primary screen.
    explicit RTools(QWidget *parent = nullptr);
    // Explicit screen metrics, so sizes can be checked without a real screen.
    RTools(int screenWidth, int screenHeight, double dpiScale, QWidget *parent = nullptr);


    int buttonWidth() const { return m_iButtonWidth; }
    int buttonHeight() const { return m_iButtonHeight; }
    QSize iconSize() const { return m_szIcon; }

    // Language for the freeze texts and the dialogs; the main window sets it
    // and then calls slotChangeToolLanguage.
    void setLangue(int langue) { m_iLangue = langue; }
    int langue() const { return m_iLangue; }
    // The stored mirror and flip, ticked in the rotate menu without a signal.
    void setOrientation(bool mirror, bool flip);

signals:
    void sClose();
    void sMin();
    void sSetting();
    void sMoveCamera();
    void sRotate();
    void sWrite();
    void sRubber();
    void sClearAll();
    void sUndo();
    void sSnap();
    void sTracker();
    void sStopCamera(bool bstop);
    void sPDF();
    void sCamera11();
    void sCameraFull();
    void sCameraSet();
    void sWhiteboard(bool bwhiteboard);
    void sImageList(bool bshowed);
    void sScrCon();
    void sFile();
    void sRect();
    void sTriangle();
    void sEllipse();
    void sStar();
    void sDrawset();
    void sDetect();
    void sRecorder();
    void sCoverDlg();
    void sBarcode();
    void sZoom(int ival);
    void sNoConfirmClose();
    void sChangeLanguage(int ilanguage);
    // The rotate menu's mirror or flip item was ticked or unticked.
    void sOrientation(bool bmirror, bool bflip);

public slots:
    void slotShowOrHide(bool bshow);
    void shutcutSanp();
    void slotChangeToolLanguage(int ilanguage);
    void slotRecoverCanSnap();
    void closeApp();
    void minApp();
    void sysSetting();
    void setMove();
    void setRotate();
    void setWrite();
    void setWriteSet();
    void setSnap();
    void setRubber();
    void setClearAll();
    void setUndo();
    void setTracker();
    void setStop();
    // The main window resumed or froze the picture by itself (recorder,
    // detection, compare, whiteboard): the button follows without a signal.
    void setFreezeState(bool frozen);
    void setPDF();
    void setCamera11();
    void setCameraFull();
    void setCameraSet();
    void setWhiteboard();
    void setImageList();
    void setScrCon();
    void setFile();
    void setHand();
    void setRectange();
    void setTriangle();
    void setEllipse();
    void setStar();
    void setDrawset();
    void setLanguage();
    void setSnapSetting();
    void setRecorder();
    void setCoverSet();
    void setPDFTool();
    void setBarcode();
    void setOCR();
    void setDetect();
    void setAbout();
    void showToolWid();
    void showOrHideButton(QString btnName, bool bValue);
    void saveStatusLast();
    void setLastStatus();
    void setMirror();
    void setFlip();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum Button {
        BtnClose, BtnMin, BtnSetting, BtnMove, BtnRotate, BtnWrite, BtnRubber, BtnUndo, BtnSnap,
        BtnTracker, BtnStop, BtnPdf, BtnCamera11, BtnCameraFull, BtnCameraSet, BtnWhiteboard,
        BtnImageList, BtnScrCon, BtnFile
    };

    // Index of the snapshot settings in the setting menu's table.
    enum { ItemSnapSetting = 1 };

    void init();
    void createButtons();
    using Slot = void (RTools::*)();
    using Signal = void (RTools::*)();
    // Runs the command when the action triggers, unless the action is disabled.
    void bind(QAction *action, Slot command);
    // The commands compare mode and the whiteboard take away, as action groups.
    void createGroups();
    void applyToolStates();
    void drawShape(Signal shape);
    // A menu of text items from a layout table, each triggering its handler.
    QMenu *textMenu(const char *name, const RToolsLayout::Entry *items, int count, const Slot *handlers,
                    QAction **actions, bool checkable);
    void createSettingMenu();
    void createShapesMenu();
    void createRotateMenu();
    void setMode(int mode);
    void requestSnap(const char *from);
    QIcon icon(const QString &file) const;
    void setButtonIcon(Button button, const QString &file);
    void applyFreezeTexts();

    int m_iLangue = 0;
    bool m_bFreeze = false;
    bool m_bShowed = true;
    bool m_bWhiteboard = false;
    bool m_bScrCon = false;
    bool m_bTracker = false;
    bool m_bSnapping = false;
    bool m_bWriteSelected = false;
    int m_iButtonWidth = 0;
    int m_iButtonHeight = 0;
    QSize m_szIcon;
    QToolButton *m_btn[ButtonCount] = {};
    QAction *m_act[ButtonCount] = {};
    QAction *m_actSetting[SettingItemCount] = {};
    QAction *m_actShape[ShapeItemCount] = {};
    QAction *m_actRotate[RotateItemCount] = {};
    QMenu *m_menuSetting = nullptr;
    QMenu *m_menuWrite = nullptr;
    QMenu *m_menuRotate = nullptr;
    // Disabled in compare mode; the camera group also on the whiteboard.
    QActionGroup *m_groupLive = nullptr;
    QActionGroup *m_groupCamera = nullptr;
    QTimer *m_timerSnapLock = nullptr;
    int m_iScreenWidth = 0;
    int m_iScreenHeight = 0;
    double m_dDpiScale = 1.0;
    bool m_bVisibleLast[ButtonCount] = {};
};
