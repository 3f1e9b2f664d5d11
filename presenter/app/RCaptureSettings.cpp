#include "RCaptureSettings.h"

#include "RDragScene.h"
#include "RSetting.h"
#include "RSettingsStore.h"

#include <QImageWriter>

RCaptureSettings RCaptureSettings::read()
{
    RCaptureSettings c;
    c.m_iSaveColorType = RSettingsStore::readEnum<ColourMode>(RSettingsKeys::FileSaveColorType);
    c.m_iASnapInterval = RSettingsStore::readInt(RSettingsKeys::FileASnapInterval);
    c.m_iNameType = RSettingsStore::readEnum<NameMode>(RSettingsKeys::FileNameType);
    c.m_strNamePrefix = RSettingsStore::readString(RSettingsKeys::FileNamePrefix);
    c.m_iNameNumLength = RSettingsStore::readInt(RSettingsKeys::FileNameNumLength);
    c.m_iNameCurNum = RSettingsStore::readInt(RSettingsKeys::FileNameCurNum);
    c.m_bCardMix = RSettingsStore::readFlag(RSettingsKeys::FileCardMix);
    c.m_bPdfAppend = RSettingsStore::readFlag(RSettingsKeys::FilePdfAppend);
    c.m_bAutoPerspective = RSettingsStore::readFlag(RSettingsKeys::FileAutoPerspective);
    c.m_strFileExt = RSettingsStore::readString(RSettingsKeys::FileExt);
    // A type this system cannot write would lose every snapshot.
    if (!QImageWriter::supportedImageFormats().contains(c.m_strFileExt.toLower().toLatin1()))
        c.m_strFileExt = QStringLiteral("jpg");
    c.m_strCurImageDir = RSettingsStore::readString(RSettingsKeys::FileDir);
    if (c.m_strCurImageDir.isEmpty())
        c.m_strCurImageDir = RSettingsStore::defaultPictureFolder();
    return c;
}

void RCaptureSettings::write() const
{
    RSettingsStore::write(RSettingsKeys::FileDir, m_strCurImageDir);
    RSettingsStore::write(RSettingsKeys::FileExt, m_strFileExt);
    RSettingsStore::write(RSettingsKeys::FileSaveColorType, enumToStored(m_iSaveColorType));
    RSettingsStore::write(RSettingsKeys::FileASnapInterval, m_iASnapInterval);
    RSettingsStore::write(RSettingsKeys::FileNameType, enumToStored(m_iNameType));
    RSettingsStore::write(RSettingsKeys::FileNamePrefix, m_strNamePrefix);
    RSettingsStore::write(RSettingsKeys::FileNameNumLength, m_iNameNumLength);
    RSettingsStore::write(RSettingsKeys::FileNameCurNum, m_iNameCurNum);
    RSettingsStore::write(RSettingsKeys::FileCardMix, int(m_bCardMix));
    RSettingsStore::write(RSettingsKeys::FileAutoCut, int(m_bAutoCut));
    RSettingsStore::write(RSettingsKeys::FileAutoRotate, int(m_bAutoRotate));
    RSettingsStore::write(RSettingsKeys::FilePdfAppend, int(m_bPdfAppend));
    RSettingsStore::write(RSettingsKeys::FileAutoPerspective, int(m_bAutoPerspective));
    RSettingsStore::write(RSettingsKeys::VideoType, enumToStored(m_iVideoType));
}

void RCaptureSettings::fillDialog(RSetting &dlg) const
{
    dlg.m_strPath = m_strCurImageDir;
    dlg.m_iVideoType = m_iVideoType;
    dlg.m_iSnapType = m_iSnapType;
    dlg.m_iNameCurNum = m_iNameCurNum;
    dlg.m_iSaveColorType = m_iSaveColorType;
    dlg.m_iNameType = m_iNameType;
    dlg.m_strNamePrefix = m_strNamePrefix;
    dlg.m_iNameNumLength = m_iNameNumLength;
    dlg.m_bCardMix = m_bCardMix;
    dlg.m_bAutoCut = m_bAutoCut;
    dlg.m_bAutoRotate = m_bAutoRotate;
    dlg.m_bPdfAppend = m_bPdfAppend;
    dlg.m_bAutoPerspective = m_bAutoPerspective;
    dlg.m_strFileExt = m_strFileExt;
    dlg.m_iASnapInterval = RSetting::clampInterval(m_iASnapInterval);
}

void RCaptureSettings::takeDialog(const RSetting &dlg)
{
    m_iSnapType = dlg.m_iSnapType;
    m_iSaveColorType = dlg.m_iSaveColorType;
    m_iNameType = dlg.m_iNameType;
    m_strNamePrefix = dlg.m_strNamePrefix;
    m_iNameNumLength = dlg.m_iNameNumLength;
    m_bCardMix = dlg.m_bCardMix;
    m_bAutoCut = dlg.m_bAutoCut;
    m_bAutoRotate = dlg.m_bAutoRotate;
    m_bPdfAppend = dlg.m_bPdfAppend;
    m_bAutoPerspective = dlg.m_bAutoPerspective;
    m_strFileExt = dlg.m_strFileExt;
    m_iASnapInterval = RSetting::clampInterval(dlg.m_iASnapInterval);
}

void RCaptureSettings::applyTo(RDragScene *scene) const
{
    scene->setCameraParam(m_iSnapType, m_iSaveColorType, m_iNameType, m_strNamePrefix, m_iNameNumLength, m_bCardMix,
                          m_bAutoCut, m_bAutoRotate, m_bAutoPerspective);
    scene->setCameraPdfAppend(m_bPdfAppend);
}
