// SPDX-License-Identifier: GPL-3.0-or-later
// The report file: its lines, its bytes, and what a save leaves on disk.

#include "report/reportfile.h"
#include "report/reportlines.h"
#include "tests/referencereport.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kvadrolab;
using kvadrolab::Reason;

Q_DECLARE_METATYPE(kvadrolab::Reason)
using namespace Qt::StringLiterals;
using testsupport::readAll;
using testsupport::writeFile;

namespace {

ReportContent referenceContent()
{
    return {QString::fromUtf8(kTrapezoidMethod), "0,1804789886", "-0,0000000339", "600"};
}

QByteArray referenceFile()
{
    return reference::trapezoidAtDefaults();
}

QList<QByteArray> referenceLines()
{
    return reference::lines(reference::trapezoidMethod, "0,1804789886", "-0,0000000339", "600");
}

// Passes writes on to the file until its budget of bytes is spent, then fails
// as a full disk or a pulled medium would, in the middle of a line.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(QIODevice &target, qint64 budget) : m_target(target), m_budget(budget)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const qint64 now = qMin(size, m_budget);
        if (now > 0 && m_target.write(data, now) != now)
            return -1;
        m_budget -= now;
        return now == size ? size : -1;
    }

private:
    QIODevice &m_target;
    qint64 m_budget;
};

ReportChannel failAfter(qint64 budget)
{
    return [budget](QIODevice &file) { return std::make_unique<FailingDevice>(file, budget); };
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

using testsupport::ReadOnlyFolder;

// What stood at the path before a save: a report, or another file longer or
// shorter than the new one, or an empty one.
QList<std::pair<const char *, QByteArray>> earlierFiles()
{
    ReportContent c = referenceContent();
    c.count = "10";
    QByteArray report;
    for (const QString &line : reportLines(c))
        report += encodeLine(line);
    return {{"an earlier report", report},
            {"a longer file", QByteArray(1000, 'x')},
            {"a shorter file", QByteArray("old")},
            {"an empty file", QByteArray()}};
}

// Where a write fails midway, from before the first byte to one byte short.
QList<std::pair<QByteArray, qint64>> budgets()
{
    QList<std::pair<QByteArray, qint64>> at = {
        {"before the first byte", 0},
        {"inside line 1", 17},
        {"between CR and LF of line 3", 40 + 2 + 51 + 2 + 40 + 1},
        {"inside line 7", 300},
        {"one byte short", 343}};
    // At the start of each line after the first: 40, 51, 40, 15, 59, 69 + CR LF.
    qint64 start = 0;
    const int lengths[] = {40, 51, 40, 15, 59, 69};
    for (int line = 0; line < 6; ++line) {
        start += lengths[line] + 2;
        at.append({"at the start of line " + QByteArray::number(line + 2), start});
    }
    return at;
}

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void linesHaveTheirLengths();
    void referenceReportByteForByte();
    void simpsonReportNamesItsMethod();
    void exactValueLineIgnoresTheLocale();
    void unencodableCharactersBecomeQuestionMarks_data();
    void unencodableCharactersBecomeQuestionMarks();
    void computationFillsTheNumberFields_data();
    void computationFillsTheNumberFields();

    void savesTheReport();
    void relativePathUsesTheCurrentFolder();
    void secondSaveReplacesTheFirst();
    void refusedPathsWriteNothing_data();
    void refusedPathsWriteNothing();
    void failureMidwayKeepsTheEarlierReport_data();
    void failureMidwayKeepsTheEarlierReport();
    void failureMidwayLeavesNoFileWhereThereWasNone();
    void readOnlyFolderStillTakesItsReportFile_data();
    void readOnlyFolderStillTakesItsReportFile();
    void readOnlyFolderFailureMidwayKeepsTheEarlierFile_data();
    void readOnlyFolderFailureMidwayKeepsTheEarlierFile();
    void readOnlyFolderWithoutAReportTakesNone();
    void readOnlyFileIsRefused_data();
    void readOnlyFileIsRefused();
    void failureToOpenTheChannelKeepsTheEarlierReport_data();
    void failureToOpenTheChannelKeepsTheEarlierReport();
    void fullDiskKeepsTheEarlierReport();
    void withoutTheCodePageNothingIsSaved_data();
    void withoutTheCodePageNothingIsSaved();
};

void ReportTest::linesHaveTheirLengths()
{
    const QStringList written = reportLines(referenceContent());
    QCOMPARE(written.size(), 7);
    const int lengths[] = {40, 51, 40, 15, 59, 69, 56};
    const QList<QByteArray> expected = referenceLines();
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(written[i].size(), lengths[i]);
        QCOMPARE(encodeLine(written[i]), expected[i] + "\r\n");
    }
}

void ReportTest::referenceReportByteForByte()
{
    QByteArray bytes;
    for (const QString &line : reportLines(referenceContent()))
        bytes += encodeLine(line);
    QCOMPARE(bytes.size(), 344);
    QCOMPARE(bytes, referenceFile());
}

void ReportTest::simpsonReportNamesItsMethod()
{
    ReportContent c = referenceContent();
    c.method = QString::fromUtf8(kSimpsonMethod);
    c.deviation = "0,0000000001";
    const QStringList written = reportLines(c);
    QCOMPARE(encodeLine(written[0]),
             reference::cp1251(u"\"  Используемый метод: Метод Симпсона  \"\r\n"_s));
    QCOMPARE(written[5],
             u"\"  Погрешность                                    = \",\"0,0000000001\""_s);
}

void ReportTest::exactValueLineIgnoresTheLocale()
{
    // The numbers of lines 5 and 6 arrive formatted by the window; line 4 is
    // fixed text and keeps its comma whatever they carry.
    ReportContent c = referenceContent();
    c.integral = "0.1804789886";
    c.deviation = "-0.0000000339";
    const QStringList written = reportLines(c);
    QCOMPARE(written[3], u"\"0,1804790225 \""_s);
    QVERIFY(written[4].endsWith(u"=\",\"0.1804789886\""_s));
    QVERIFY(written[5].endsWith(u"= \",\"-0.0000000339\""_s));
}

void ReportTest::unencodableCharactersBecomeQuestionMarks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Greek letter") << u"n=Ω"_s << QByteArray("n=?\r\n");
    QTest::newRow("CJK") << u"六百"_s << QByteArray("??\r\n");
    QTest::newRow("emoji is one character") << u"6😀0"_s << QByteArray("6?0\r\n");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?\r\n");
    QTest::newRow("code page's own signs") << u"№ ё Ё €"_s << QByteArray("\xB9 \xB8 \xA8 \x88\r\n");
    QTest::newRow("question mark stays") << u"?"_s << QByteArray("?\r\n");
    QTest::newRow("line break pasted into n") << u"6\r\n00"_s << QByteArray("6??00\r\n");
    QTest::newRow("tab and NUL") << u"\t6"_s + QChar(0) << QByteArray("?6?\r\n");
}

void ReportTest::unencodableCharactersBecomeQuestionMarks()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeLine(text), bytes);
}

void ReportTest::computationFillsTheNumberFields_data()
{
    QTest::addColumn<QString>("countField");
    QTest::addColumn<QString>("count");
    QTest::newRow("a count") << u"600"_s << u"600"_s;
    QTest::newRow("surrounding spaces") << u" 100 "_s << u"100"_s;
    QTest::newRow("exponent") << u"6e2"_s << u"600"_s;
    QTest::newRow("half away from zero") << u"-2,5"_s << u"-3"_s;
    QTest::newRow("not a number, as typed") << u"много"_s << u"много"_s;
    QTest::newRow("empty") << QString() << QString();
}

void ReportTest::computationFillsTheNumberFields()
{
    QFETCH(QString, countField);
    QFETCH(QString, count);
    // The worked trapezoid result at n = 600, to more digits than are written.
    const ReportContent c = reportContent(QString::fromUtf8(kTrapezoidMethod), 0.18047898858977604,
                                          0.18047898858977604 - 0.1804790225, countField);
    const QString point = QLocale().decimalPoint();
    QCOMPARE(c.method, QString::fromUtf8(kTrapezoidMethod));
    QCOMPARE(c.integral, u"0"_s + point + u"1804789886"_s);
    QCOMPARE(c.deviation, u"-0"_s + point + u"0000000339"_s);
    QCOMPARE(c.count, count);
}

void ReportTest::savesTheReport()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
    // Nothing else is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"!t.txt"});
}

void ReportTest::relativePathUsesTheCurrentFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const bool saved = saveReport("report.txt", referenceContent()).ok();
    QDir::setCurrent(before);
    QVERIFY(saved);
    QCOMPARE(readAll(dir.filePath("report.txt")), referenceFile());
}

void ReportTest::secondSaveReplacesTheFirst()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(writeFile(path, QByteArray(1000, 'x'))); // a longer file was there before
    QVERIFY(saveReport(path, referenceContent()));
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
}

void ReportTest::refusedPathsWriteNothing_data()
{
    QTest::addColumn<QString>("relative"); // inside a fresh temporary folder; "" for none
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<Reason>("why");
    QTest::newRow("missing folder") << "missing/!t.txt" << false << Reason::MissingFolder;
    QTest::newRow("path of a folder") << "folder" << true << Reason::IsAFolder;
    QTest::newRow("empty path") << "" << false << Reason::MissingFolder;
}

void ReportTest::refusedPathsWriteNothing()
{
    QFETCH(QString, relative);
    QFETCH(bool, isFolder);
    QFETCH(Reason, why);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
    const auto saved = saveReport(path, referenceContent());
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), why);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"folder"});
    QVERIFY(QDir(dir.filePath("folder")).isEmpty());
    if (isFolder)
        QVERIFY(QFileInfo(path).isDir());
}

void ReportTest::failureMidwayKeepsTheEarlierReport_data()
{
    QTest::addColumn<qint64>("budget");
    for (const auto &[where, budget] : budgets())
        QTest::newRow(where.constData()) << budget;
}

void ReportTest::failureMidwayKeepsTheEarlierReport()
{
    QFETCH(qint64, budget);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    ReportContent earlier = referenceContent();
    earlier.count = "10";
    QVERIFY(saveReport(path, earlier));
    const QByteArray before = readAll(path);

    const auto saved = saveReport(path, referenceContent(), failAfter(budget));
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::WriteFailed);
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"!t.txt"});

    // The failed save let go of the file: the next one goes through.
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
}

void ReportTest::failureMidwayLeavesNoFileWhereThereWasNone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto saved = saveReport(dir.filePath("!t.txt"), referenceContent(), failAfter(100));
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::WriteFailed);
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void ReportTest::readOnlyFolderStillTakesItsReportFile_data()
{
    QTest::addColumn<QByteArray>("earlier");
    for (const auto &[file, bytes] : earlierFiles())
        QTest::newRow(file) << bytes;
}

void ReportTest::readOnlyFolderStillTakesItsReportFile()
{
    // No temporary file can be made beside the report, but the report file
    // itself may be written: it is written in place.
    SKIP_UNLESS_PERMISSIONS_BIND();
    QFETCH(QByteArray, earlier);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(writeFile(path, earlier));
    const QFile::Permissions permissions = QFile::permissions(path);
    ReadOnlyFolder folder(dir.path());
    QVERIFY(folder.ok());
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
    QCOMPARE(entriesOf(dir.path()), QStringList{"!t.txt"});
    QCOMPARE(QFile::permissions(path), permissions);
    // And again: the second report replaces the first.
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
}

void ReportTest::readOnlyFolderFailureMidwayKeepsTheEarlierFile_data()
{
    // Every earlier file with every point of failure.
    QTest::addColumn<QByteArray>("earlier");
    QTest::addColumn<qint64>("budget");
    for (const auto &[file, bytes] : earlierFiles())
        for (const auto &[where, budget] : budgets())
            QTest::addRow("%s, %s", file, where.constData()) << bytes << budget;
}

void ReportTest::readOnlyFolderFailureMidwayKeepsTheEarlierFile()
{
    // The report is written in place, and the write fails midway (a pulled
    // medium): the earlier bytes are put back, byte for byte.
    SKIP_UNLESS_PERMISSIONS_BIND();
    QFETCH(QByteArray, earlier);
    QFETCH(qint64, budget);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(writeFile(path, earlier));
    ReadOnlyFolder folder(dir.path());
    QVERIFY(folder.ok());

    QVERIFY(!saveReport(path, referenceContent(), failAfter(budget)));
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(entriesOf(dir.path()), QStringList{"!t.txt"});

    // The failed save let go of the file: the next one goes through.
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
}

void ReportTest::readOnlyFolderWithoutAReportTakesNone()
{
    SKIP_UNLESS_PERMISSIONS_BIND();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReadOnlyFolder folder(dir.path());
    QVERIFY(folder.ok());
    const auto saved = saveReport(dir.filePath("!t.txt"), referenceContent());
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::NoPermission);
    QVERIFY(entriesOf(dir.path()).isEmpty());
}

void ReportTest::readOnlyFileIsRefused_data()
{
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("in a writable folder") << false;
    QTest::newRow("in a read-only folder") << true;
}

void ReportTest::readOnlyFileIsRefused()
{
    // "A file that may not be written": refused, and left as it was.
    SKIP_UNLESS_PERMISSIONS_BIND();
    QFETCH(bool, folderReadOnly);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(writeFile(path, "old"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    std::unique_ptr<ReadOnlyFolder> folder;
    if (folderReadOnly) {
        folder = std::make_unique<ReadOnlyFolder>(dir.path());
        QVERIFY(folder->ok());
    }
    const auto saved = saveReport(path, referenceContent());
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::NoPermission);
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(entriesOf(dir.path()), QStringList{"!t.txt"});
    QVERIFY(!(QFile::permissions(path) & QFile::WriteOwner));
}

void ReportTest::failureToOpenTheChannelKeepsTheEarlierReport_data()
{
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("in a writable folder") << false;
    QTest::newRow("in a read-only folder") << true;
}

void ReportTest::failureToOpenTheChannelKeepsTheEarlierReport()
{
    QFETCH(bool, folderReadOnly);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    QVERIFY(saveReport(path, referenceContent()));
    std::unique_ptr<ReadOnlyFolder> folder;
    if (folderReadOnly) {
        SKIP_UNLESS_PERMISSIONS_BIND();
        folder = std::make_unique<ReadOnlyFolder>(dir.path());
        QVERIFY(folder->ok());
    }
    ReportContent other = referenceContent();
    other.count = "100";
    const auto saved =
        saveReport(path, other, [](QIODevice &) { return std::unique_ptr<QIODevice>(); });
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::WriteFailed);
    QCOMPARE(readAll(path), referenceFile());
    QCOMPARE(entriesOf(dir.path()), QStringList{"!t.txt"});
}

void ReportTest::fullDiskKeepsTheEarlierReport()
{
    // A real full disk: a tiny file system of the test's own, which
    // tests/smallfs.sh mounts in a private namespace.
    const QString fs = qEnvironmentVariable("KVADROLAB_SMALL_FS");
    if (fs.isEmpty())
        QSKIP("needs a small file system of its own (run through tests/smallfs.sh)");
    const QString path = fs + "/!t.txt";
    ReportContent earlier = referenceContent();
    earlier.count = "10";
    QVERIFY(saveReport(path, earlier));
    const QByteArray before = readAll(path);

    QVERIFY(testsupport::fillDisk(fs));

    // The new report cannot be written: the earlier one stays, nothing else appears.
    const auto saved = saveReport(path, referenceContent());
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::WriteFailed);
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(fs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({"!t.txt", "filler"}));

    // Room again: the next save goes through.
    QVERIFY(QFile::remove(fs + "/filler"));
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
}

void ReportTest::withoutTheCodePageNothingIsSaved_data()
{
    QTest::addColumn<QByteArray>("earlier");
    QTest::addColumn<bool>("hadFile");
    QTest::newRow("no earlier file") << QByteArray() << false;
    for (const auto &[what, bytes] : earlierFiles())
        QTest::newRow(what) << bytes << true;
}

void ReportTest::withoutTheCodePageNothingIsSaved()
{
#ifdef Q_OS_WIN
    QSKIP("Windows writes the code page through its own converter, which is always there");
#else
    QFETCH(QByteArray, earlier);
    QFETCH(bool, hadFile);
    // The platform's converter writes the report; one that cannot convert (as
    // a Qt without ICU has none by that name) must refuse, not write '?'s.
    QVERIFY(Cp1251().isValid());
    Cp1251 missing("no-such-code-page");
    QVERIFY(!missing.isValid());
    QCOMPARE(missing.byte(u"A"), std::nullopt);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("!t.txt");
    if (hadFile)
        QVERIFY(writeFile(path, earlier));
    const auto saved = saveReport(path, referenceContent(), {}, std::move(missing));
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::NoCodePage);
    QCOMPARE(QFile::exists(path), hadFile);
    if (hadFile)
        QCOMPARE(readAll(path), earlier);
    QCOMPARE(entriesOf(dir.path()), hadFile ? QStringList{"!t.txt"} : QStringList{});
    // The same save with the code page at hand goes through.
    QVERIFY(saveReport(path, referenceContent()));
    QCOMPARE(readAll(path), referenceFile());
#endif
}

QTEST_GUILESS_MAIN(ReportTest)
#include "reporttest.moc"
