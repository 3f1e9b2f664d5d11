#include "FileCheck.h"
#include "VisoraTest.h"

#include "ROCRRules.h"
#include "ROCRTool.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>

class TestOcrTool : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // A stand-in recognition program for answers the real one never gives.
    QString script(const QString &name, const QString &body) { return executable(m_dir.filePath(name), body); }
    static QString executable(const QString &path, const QString &body)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write("#!/bin/sh\n" + body.toUtf8() + "\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        return file.fileName();
    }

private slots:
    void locateProgram()
    {
        QTemporaryDir app, work;
        QFile(app.filePath("scanner")).open(QIODevice::WriteOnly); // not executable: passed over
        const QString inWork = executable(work.filePath("scanner"), "true");
        QCOMPARE(ROCRRules::locateProgram(app.path(), work.path()), inWork);
        const QString inApp = executable(app.filePath("scanner"), "true");
        QCOMPARE(ROCRRules::locateProgram(app.path(), work.path()), inApp);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_dir.filePath("nowhere").toLocal8Bit());
        QCOMPARE(ROCRRules::locateProgram(m_dir.filePath("nowhere"), QString()), QString());
        qputenv("PATH", path);
    }

    // What the dialog makes of each kind of answer.
    void outcomes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<UiLanguage>("langue");
        const UiLanguage zh = UiLanguage::Chinese, en = UiLanguage::English;
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text shown unchanged, line breaks included")
            << script("lines.sh", "printf 'first line\\n  second 行\\n'") << zh << true << "first line\n  second 行\n";
        QTest::newRow("started with one thread for OpenMP")
            << script("omp.sh", "printf %s \"$OMP_THREAD_LIMIT\"") << zh << true << "1";
        QTest::newRow("access arguments in order")
            << script("args.sh", "printf '%s|%s|%s' \"$1\" \"$2\" \"$(basename \"$3\")\"") << zh << true
            << "zx7391046|Hw4kR9tPz2LmQx7VbN3cJd8F|page.png";
        QTest::newRow("error marker") << script("marker.sh", "echo '解析出错，出错原因：busy'") << zh << false << "文字识别失败.1次";
        QTest::newRow("non-zero exit with text") << script("exit.sh", "echo partial; exit 3") << zh << false << "文字识别失败.1次";
        QTest::newRow("crash") << script("crash.sh", "echo partial; kill -SEGV $$") << en << false << "Recognition failed (attempt 1).";
        QTest::newRow("no program found") << QString() << en << false << "Recognition failed (attempt 1).";
    }

    void outcomes()
    {
        QFETCH(QString, program);
        QFETCH(UiLanguage, langue);
        ROCRTool dialog;
        dialog.slotSetLangue(langue);
        dialog.m_strProgram = program;
        dialog.setPicture(m_dir.filePath("page.png"));
        QSignalSpy done(&dialog, &ROCRTool::sOcrFinished);
        dialog.m_btnOcr->click();
        QVERIFY(!done.isEmpty() || done.wait(120000));
        QTEST(done.first().first().toBool(), "ok");
        QTEST(dialog.m_textResult->toPlainText(), "shown");
    }

    // Cancel and closing both end the running program at once.
    void cancelAndClose()
    {
        const QString pidFile = m_dir.filePath("stays.pid");
        ROCRTool dialog;
        dialog.slotSetLangue(UiLanguage::English);
        dialog.m_strProgram = script("slow.sh", "echo $$ > '" + pidFile + "'; exec sleep 60");
        dialog.m_editFile->setText(m_dir.filePath("slow.png"));
        QSignalSpy done(&dialog, &ROCRTool::sOcrFinished);
        dialog.m_btnOcr->click();
        QVERIFY(dialog.isRunning());
        QTRY_VERIFY(QFileInfo(pidFile).size() > 0); // the event loop runs while the program works
        dialog.m_btnCancel->click();
        QVERIFY(done.wait(5000));
        QCOMPARE(done.first().first().toBool(), false);
        QCOMPARE(dialog.m_textResult->toPlainText(), QString("Recognition cancelled."));
        QVERIFY(dialog.m_mapFailCount.isEmpty());
        QVERIFY(dialog.m_btnOcr->isVisibleTo(&dialog));
        QFile::remove(pidFile);
        dialog.m_btnOcr->click();
        QTRY_VERIFY(QFileInfo(pidFile).size() > 0);
        const QString proc = "/proc/" + QString::fromLatin1(VisoraTest::bytes(pidFile).trimmed());
        QVERIFY(QFileInfo::exists(proc));
        dialog.reject();
        QVERIFY(!dialog.isRunning());
        QVERIFY(!QFileInfo::exists(proc));
    }

};

VISORA_TEST_MAIN(TestOcrTool)
#include "tst_ocrtool.moc"
