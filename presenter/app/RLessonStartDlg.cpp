#include "RLessonStartDlg.h"

#include "RAudioSources.h"
#include "RRecorderRules.h"
#include "RSettingsStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kMicrophoneKey = QStringLiteral("Lesson/Microphone");
}

RLessonStartDlg::RLessonStartDlg(UiLanguage language, QWidget *parent)
    : QDialog(parent)
    , m_mic(new QComboBox(this))
    , m_folder(new QLineEdit(this))
{
    const auto tr2 = [language](const char *cn, const char *en) { return RRecorderRules::text(language, cn, en); };
    setWindowTitle(tr2("录制课堂画面", "Record lesson view"));
    m_mic->addItem(tr2("不录声音", "No sound"), QString());
    const RAudioSources::Listing listing = RAudioSources::list();
    for (const RAudioSources::Source &source : listing.sources)
        m_mic->addItem(source.description, source.name);
    const QString stored = RSettingsStore::readString(kMicrophoneKey);
    const int storedIndex = m_mic->findData(stored);
    if (storedIndex > 0)
        m_mic->setCurrentIndex(storedIndex);
    else if (listing.preferred >= 0)
        m_mic->setCurrentIndex(listing.preferred + 1);
    m_folder->setText(RRecorderRules::saveFolder());
    auto *browse = new QPushButton(QStringLiteral("…"), this);
    connect(browse, &QPushButton::clicked, this, [this, tr2] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr2("保存到", "Save to"), m_folder->text());
        if (!dir.isEmpty())
            m_folder->setText(dir);
    });
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr2("开始录制", "Start"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr2("取消", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr2("麦克风", "Microphone"), m_mic);
    if (!listing.error.isEmpty())
        form->addRow(new QLabel(tr2("没有找到声音服务，只录画面。", "No sound server found: picture only."), this));
    form->addRow(tr2("保存到", "Save to"), folderRow);
    form->addRow(buttons);
    setMinimumWidth(520);
}

QString RLessonStartDlg::device() const
{
    return m_mic->currentData().toString();
}

QString RLessonStartDlg::folder() const
{
    return m_folder->text().trimmed();
}

void RLessonStartDlg::remember() const
{
    RSettingsStore::write(kMicrophoneKey, device());
}
