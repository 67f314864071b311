// SPDX-License-Identifier: GPL-3.0-or-later
// A table leaves the program with its headers: copied as tab-separated text and
// as an HTML table, and saved as CSV that a Russian spreadsheet opens as
// columns of numbers under any locale of the program; a save that fails says
// why once and leaves what lay on the disk.

#include "studywindow/tableexport.h"
#include "forms/notifier.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::Reason)

namespace {

const QString kMinus = QString(QChar(0x2212));
const QString kNbsp = QString(QChar(0x00a0));

// Restores the locale a row changed.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QString &name) { QLocale::setDefault(QLocale(name)); }
    ~DefaultLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
};

QStandardItem *number(double value, const QString &shown)
{
    auto *item = new QStandardItem(shown);
    item->setData(value, kExportNumberRole);
    return item;
}

// Three columns: a count shown as text, a number the cell carries exactly, and
// a text. Headers with ε and − (neither is in Windows-1251), one with ';'.
std::unique_ptr<QStandardItemModel> smallModel(const QString &shownNumber)
{
    auto model = std::make_unique<QStandardItemModel>(0, 3);
    model->setHorizontalHeaderLabels({QStringLiteral("n"),
                                      QStringLiteral("I(n) ") + kMinus + QStringLiteral(" I"),
                                      QStringLiteral("ε; примечание")});
    model->appendRow({new QStandardItem(QStringLiteral("10")), number(0.1 + 0.2, "0,3"),
                      new QStandardItem(QStringLiteral("он сказал \"да\""))});
    model->appendRow({new QStandardItem(shownNumber), number(-1e-7, kMinus + "1,0·10^-7"),
                      new QStandardItem(QStringLiteral("две\nстроки"))});
    return model;
}

} // namespace

class TableExportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void csvBytesUnderAnyLocale_data();
    void csvBytesUnderAnyLocale();
    void shownNumbersBecomeSpreadsheetNumbers_data();
    void shownNumbersBecomeSpreadsheetNumbers();
    void carriedNumbersReadBackExactly_data();
    void carriedNumbersReadBackExactly();
    void tableAsShown();
    void copyPutsTextAndHtml();
    void menuCopiesAndSaves();
    void saveReplacesTheWholeFile();
    void failedSaveSaysWhy_data();
    void failedSaveSaysWhy();
    void suggestedNameIsSafe();
    void formulaLikeTextStaysText_data();
    void formulaLikeTextStaysText();
    void headingBeforeTheTable();
    void headingNamesTheFile();
    void fullDiskSaysTheWriteFailed();

private:
    QStringList m_messages;
    QStringList m_suggested;
    QString m_answer;
};

void TableExportTest::init()
{
    m_messages.clear();
    m_suggested.clear();
    m_answer.clear();
    setSaveDialog([this](QWidget *, const QString &suggested) {
        m_suggested << suggested;
        return m_answer;
    });
}

void TableExportTest::cleanupTestCase()
{
    setSaveDialog({});
}

void TableExportTest::csvBytesUnderAnyLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown"); // 1234.5 as numbers/ prints it there
    QTest::newRow("ru_RU") << "ru_RU" << QStringLiteral("1") + kNbsp + QStringLiteral("234,5");
    QTest::newRow("en_US") << "en_US" << QStringLiteral("1,234.5");
    QTest::newRow("C") << "C" << QStringLiteral("1234.5");
}

void TableExportTest::csvBytesUnderAnyLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, shown);
    const DefaultLocale in(locale);
    const auto model = smallModel(shown);
    QTableView view;
    view.setModel(model.get());
    view.verticalHeader()->hide();
    // Written out by hand: the byte-order mark, the headers as they are in
    // UTF-8 (ε is CE B5, − is E2 88 92), the quoted fields, CRLF line ends.
    const QByteArray want = "\xEF\xBB\xBF"
                            "n;I(n) \xE2\x88\x92 I;\"\xCE\xB5; \xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0"
                            "\xB5\xD1\x87\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5\"\r\n"
                            "10;0,30000000000000004;\"\xD0\xBE\xD0\xBD \xD1\x81\xD0\xBA\xD0\xB0"
                            "\xD0\xB7\xD0\xB0\xD0\xBB \"\"\xD0\xB4\xD0\xB0\"\"\"\r\n"
                            "1234,5;-1e-07;\"\xD0\xB4\xD0\xB2\xD0\xB5\n\xD1\x81\xD1\x82\xD1\x80"
                            "\xD0\xBE\xD0\xBA\xD0\xB8\"\r\n";
    QCOMPARE(tableCsv(view), want);
}

void TableExportTest::shownNumbersBecomeSpreadsheetNumbers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("written");
    const QString same; // stays as shown
    auto row = [](const char *name, const char *locale, const QString &shown,
                  const QString &written) {
        QTest::newRow(name) << locale << shown << (written.isNull() ? shown : written);
    };
    row("ru decimal comma", "ru_RU", "0,1804789886", "0,1804789886");
    row("ru grouped by a no-break space", "ru_RU", "10" + kNbsp + "000" + kNbsp + "000",
        "10000000");
    row("ru grouped by a plain space", "ru_RU", "1 234,5", "1234,5");
    row("ru Unicode minus", "ru_RU", kMinus + "0,5", "-0,5");
    row("ru exponent", "ru_RU", "1,23457e-05", "1,23457e-05");
    row("ru capital exponent with minus", "ru_RU", "-3,9E" + kMinus + "08", "-3,9e-08");
    row("ru point is no separator there", "ru_RU", "1.5", same);
    row("ru a group of two", "ru_RU", "1" + kNbsp + "23", same);
    row("ru power caption", "ru_RU", "1,0·10^-7", same);
    row("ru word", "ru_RU", "нет", same);
    row("ru empty", "ru_RU", "", same);
    row("en decimal point", "en_US", "0.1804789886", "0,1804789886");
    row("en comma groups thousands", "en_US", "1,234", "1234");
    row("en grouped with decimals", "en_US", "-1,234,567.25", "-1234567,25");
    row("en comma not grouping three", "en_US", "1,5", same);
    row("en first group too long", "en_US", "1234,567", same);
    row("en exponent", "en_US", "6.02e+23", "6,02e23");
    row("en sentence", "en_US", "n = 10", same);
    row("en separator without digits", "en_US", "5.", same);
    row("C decimal point", "C", "-0.25", "-0,25");
    row("C whole", "C", "640", "640");
}

void TableExportTest::shownNumbersBecomeSpreadsheetNumbers()
{
    QFETCH(QString, locale);
    QFETCH(QString, shown);
    QFETCH(QString, written);
    const DefaultLocale in(locale);
    QCOMPARE(spreadsheetText(shown), written);
}

void TableExportTest::carriedNumbersReadBackExactly_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("written"); // by hand, where the shortest form is sure
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0,30000000000000004";
    QTest::newRow("two thirds") << 2.0 / 3 << "0,6666666666666666";
    QTest::newRow("minus tiny") << -1e-7 << "-1e-07";
    QTest::newRow("whole") << 640.0 << "640";
    QTest::newRow("large") << 1e21 << "1e+21";
    QTest::newRow("largest") << std::numeric_limits<double>::max() << "1,7976931348623157e+308";
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << "5e-324";
    QTest::newRow("many digits") << 0.18047898863215847 << "0,18047898863215847";
    QTest::newRow("minus 17 digits") << -123456.78901234567 << "-123456,78901234567";
}

void TableExportTest::carriedNumbersReadBackExactly()
{
    QFETCH(double, value);
    QFETCH(QString, written);
    // The same digits under every locale.
    for (const char *locale : {"ru_RU", "en_US", "C"}) {
        const DefaultLocale in(QString::fromLatin1(locale));
        QCOMPARE(spreadsheetNumber(value), written);
    }
    // Read back as a spreadsheet does, a comma for the point: the same double,
    // bit for bit (QCOMPARE would forgive the last digits).
    QByteArray c = spreadsheetNumber(value).toLatin1();
    c.replace(',', '.');
    double read = 0;
    const auto [end, error] = std::from_chars(c.constData(), c.constData() + c.size(), read);
    QVERIFY(error == std::errc() && end == c.constData() + c.size());
    QVERIFY2(std::memcmp(&read, &value, sizeof read) == 0, c.constData());
}

void TableExportTest::tableAsShown()
{
    // What the view shows, in its order: a moved column, a hidden column and
    // row, the row header as the first column under an empty corner.
    QTableWidget table;
    table.setColumnCount(3);
    table.setRowCount(3);
    table.setHorizontalHeaderLabels({"x", "hidden", "f(x)"});
    table.setVerticalHeaderLabels({"по оценке", "скрыта", "по Рунге"});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            table.setItem(r, c,
                          new QTableWidgetItem(QStringLiteral("%1%2").arg(QChar('a' + r)).arg(c)));
    table.setColumnHidden(1, true);
    table.setRowHidden(1, true);
    table.horizontalHeader()->moveSection(2, 0);
    QCOMPARE(tableText(table), QStringLiteral("\tf(x)\tx\n"
                                              "по оценке\ta2\ta0\n"
                                              "по Рунге\tc2\tc0\n"));
    table.verticalHeader()->hide();
    table.setItem(2, 2, new QTableWidgetItem(QStringLiteral("две\tчасти\nи строки")));
    QCOMPARE(tableText(table), QStringLiteral("f(x)\tx\n"
                                              "a2\ta0\n"
                                              "две части и строки\tc0\n"));
    QCOMPARE(tableCsv(table),
             "\xEF\xBB\xBF" +
                 QStringLiteral("f(x);x\r\na2;a0\r\n\"две\tчасти\nи строки\";c0\r\n").toUtf8());
}

void TableExportTest::copyPutsTextAndHtml()
{
    const auto model = smallModel(QStringLiteral("7"));
    QTableView view;
    view.setModel(model.get());
    view.verticalHeader()->hide();
    QApplication::clipboard()->clear();
    copyTable(view);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasText() && data->hasHtml());
    // The shown texts, headers first.
    QCOMPARE(data->text(), QStringLiteral("n\tI(n) ") + kMinus +
                               QStringLiteral(" I\tε; примечание\n10\t0,3\tон сказал \"да\"\n7\t") +
                               kMinus + QStringLiteral("1,0·10^-7\tдве строки\n"));
    const QString html = data->html();
    QVERIFY2(html.contains(QStringLiteral("<tr><th>n</th><th>I(n) ") + kMinus +
                           QStringLiteral(" I</th><th>ε; примечание</th></tr>")),
             qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral(
                 "<tr><td>10</td><td>0,3</td><td>он сказал &quot;да&quot;</td></tr>")),
             qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<td>две<br>строки</td>")), qPrintable(html));
    QCOMPARE(html.count(QStringLiteral("<tr>")), 3);
}

void TableExportTest::menuCopiesAndSaves()
{
    const testsupport::MessageCatcher catcher(&m_messages);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Исследование сходимости"));
    auto *table = new QTableWidget(&window);
    table->setAccessibleName(QStringLiteral("Узлы: i, x_i, f(x_i)"));
    table->setColumnCount(2);
    table->setRowCount(2);
    table->setHorizontalHeaderLabels({"i", "x_i"});
    table->verticalHeader()->hide();
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("0")));
    table->setItem(0, 1, new QTableWidgetItem(QStringLiteral("1,5")));
    table->setItem(1, 0, new QTableWidgetItem(QStringLiteral("1")));
    table->setItem(1, 1, new QTableWidgetItem(QStringLiteral("2,5")));
    table->resize(300, 200);
    attachTableMenu(table, [](QWidget *parent, const QString &text) { notify(parent, text); });
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Ctrl+C copies the whole table with its header, not the one cell selected.
    table->setFocus();
    table->setCurrentCell(1, 1);
    QApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QString whole = QStringLiteral("i\tx_i\n0\t1,5\n1\t2,5\n");
    QCOMPARE(QApplication::clipboard()->text(), whole);

    // The menu, by the menu key and by Shift+F10.
    for (const auto &[key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        QTest::keyClick(table, key, modifiers);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QStringList texts;
        for (const QAction *a : menu->actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({QStringLiteral("Копировать"),
                                     QString::fromUtf8("Сохранить CSV\u2026")}));
        QCOMPARE(menu->actions().first()->shortcut(), QKeySequence(QKeySequence::Copy));
        menu->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
    auto trigger = [table](const char *name) {
        QTest::keyClick(table, Qt::Key_Menu);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *action = menu ? menu->findChild<QAction *>(QLatin1String(name)) : nullptr;
        if (menu)
            menu->close();
        if (action)
            action->trigger();
        return action != nullptr;
    };
    QApplication::clipboard()->clear();
    QVERIFY(trigger("copyTable"));
    QCOMPARE(QApplication::clipboard()->text(), whole);

    // Saved where the dialog says; it suggested the window's caption and the
    // table's name, ':' made safe.
    QTemporaryDir dir;
    m_answer = dir.filePath(QStringLiteral("узлы.csv"));
    QVERIFY(trigger("saveCsv"));
    QCOMPARE(m_suggested, QStringList{QDir::home().filePath(QStringLiteral(
                              "Исследование сходимости — Узлы_ i, x_i, f(x_i).csv"))});
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QCOMPARE(testsupport::readAll(m_answer), QByteArray("\xEF\xBB\xBFi;x_i\r\n0;1,5\r\n1;2,5\r\n"));

    // A failed save says so once, naming the file and why.
    m_answer = dir.filePath(QStringLiteral("нет/узлы.csv"));
    QVERIFY(trigger("saveCsv"));
    QCOMPARE(m_messages, QStringList{QStringLiteral("Не удалось сохранить таблицу в файл «%1». "
                                                    "Папка не существует.")
                                         .arg(QDir::toNativeSeparators(m_answer))});
    // A cancelled dialog writes nothing and says nothing.
    m_messages.clear();
    m_answer.clear();
    QVERIFY(trigger("saveCsv"));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("узлы.csv")});
}

void TableExportTest::saveReplacesTheWholeFile()
{
    const auto model = smallModel(QStringLiteral("1"));
    QTableView view;
    view.setModel(model.get());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.csv"));
    QVERIFY(testsupport::writeFile(path, QByteArray(4096, 'x')));
    const Result<void> saved = saveTableCsv(view, path);
    QVERIFY(saved.ok());
    QCOMPARE(testsupport::readAll(path), tableCsv(view));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("table.csv")});
}

void TableExportTest::failedSaveSaysWhy_data()
{
    QTest::addColumn<QString>("where");    // relative to a fresh temporary folder
    QTest::addColumn<QString>("readOnly"); // made read-only before the save
    QTest::addColumn<Reason>("reason");
    QTest::newRow("missing folder") << "missing/t.csv" << QString() << Reason::MissingFolder;
    QTest::newRow("below a file") << "keep.txt/t.csv" << QString() << Reason::MissingFolder;
    QTest::newRow("a folder's path") << "folder" << QString() << Reason::IsAFolder;
    QTest::newRow("empty path") << "" << QString() << Reason::MissingFolder;
    QTest::newRow("read-only folder") << "folder/t.csv"
                                      << "folder" << Reason::NoPermission;
    QTest::newRow("read-only file") << "keep.txt"
                                    << "keep.txt" << Reason::NoPermission;
}

void TableExportTest::failedSaveSaysWhy()
{
    QFETCH(QString, where);
    QFETCH(QString, readOnly);
    QFETCH(Reason, reason);
    if (!readOnly.isEmpty())
        SKIP_UNLESS_PERMISSIONS_BIND();
    const auto model = smallModel(QStringLiteral("1"));
    QTableView view;
    view.setModel(model.get());
    const testsupport::SaveTargets dir(readOnly);
    QVERIFY(dir.ok());
    const Result<void> saved = saveTableCsv(view, where.isEmpty() ? where : dir.filePath(where));
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), reason);
    QCOMPARE(saved.refusal().input, std::optional<Input>(Input::Path));
    // Nothing on the disk changed.
    QVERIFY(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
    QCOMPARE(testsupport::readAll(dir.filePath(QStringLiteral("keep.txt"))), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList({QStringLiteral("folder"), QStringLiteral("keep.txt")}));
}

void TableExportTest::suggestedNameIsSafe()
{
    QWidget window;
    auto *table = new QTableView(&window);
    // No caption and no name.
    QCOMPARE(suggestedCsvPath(*table), QDir::home().filePath(QStringLiteral("таблица.csv")));
    window.setWindowTitle(QStringLiteral("Окно"));
    QCOMPARE(suggestedCsvPath(*table), QDir::home().filePath(QStringLiteral("Окно.csv")));
    table->setAccessibleName(QStringLiteral("a/b\\c:d*e?f\"g<h>i|j\tk..."));
    QCOMPARE(suggestedCsvPath(*table),
             QDir::home().filePath(QStringLiteral("Окно — a_b_c_d_e_f_g_h_i_j_k.csv")));
    // A long name is cut to what a file system takes, never inside a character.
    table->setAccessibleName(QString(300, QChar(0x0436)));
    const QString name = QFileInfo(suggestedCsvPath(*table)).completeBaseName();
    QVERIFY(name.toUtf8().size() <= 200);
    QCOMPARE(name, QStringLiteral("Окно — ") + QString((200 - 13) / 2, QChar(0x0436)));
}

// What a spreadsheet would run as a formula, by its first character (=, +,
// -, @, and the tab and carriage return that smuggle one): an apostrophe
// before it, and quotes around the field. Numbers stay numbers.
void TableExportTest::formulaLikeTextStaysText_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("equals") << "=1+1" << QByteArray("\"'=1+1\"");
    QTest::newRow("plus") << "+x" << QByteArray("\"'+x\"");
    QTest::newRow("hyphen") << "-x^2" << QByteArray("\"'-x^2\"");
    QTest::newRow("Unicode minus word") << kMinus + "pi" << QByteArray("\"'\xE2\x88\x92pi\"");
    QTest::newRow("at") << "@SUM(A1)" << QByteArray("\"'@SUM(A1)\"");
    QTest::newRow("tab") << "\t=1" << QByteArray("\"'\t=1\"");
    QTest::newRow("quote inside") << "=\"a\"" << QByteArray("\"'=\"\"a\"\"\"");
    QTest::newRow("negative number") << "-0,5" << QByteArray("-0,5");
    QTest::newRow("Unicode minus number") << kMinus + "2,5e-3" << QByteArray("-2,5e-3");
    QTest::newRow("minus inside") << "x-1" << QByteArray("x-1");
}

void TableExportTest::formulaLikeTextStaysText()
{
    QFETCH(QString, shown);
    QFETCH(QByteArray, field);
    QStandardItemModel model(1, 1);
    model.setHorizontalHeaderLabels({QStringLiteral("h")});
    model.setItem(0, 0, new QStandardItem(shown));
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->hide();
    QCOMPARE(tableCsv(view), QByteArray("\xEF\xBB\xBFh\r\n") + field + "\r\n");
}

// The lines that say what a table is of come first, each field as written
// (no number read in it, a formula-like one kept text), then an empty line;
// f whole at 10 000 characters, with its ';' and '"'.
void TableExportTest::headingBeforeTheTable()
{
    const auto model = smallModel(QStringLiteral("7"));
    QTableView view;
    view.setModel(model.get());
    view.verticalHeader()->hide();
    const QString f = QStringLiteral("x;\"y\"").repeated(1000); // 5 characters, 1000 times
    const QString longer = f + QStringLiteral("+sin(x)").repeated(714) + QStringLiteral("+x");
    QCOMPARE(longer.size(), 10000);
    TableHeading heading;
    heading.lines << QStringList{QStringLiteral("f(x)"), longer}
                  << QStringList{QStringLiteral("a"), QStringLiteral("-pi"),
                                 QStringLiteral("-3,141592653589793")}
                  << QStringList{QStringLiteral("ε"), QStringLiteral("0,001")};
    QByteArray want = "\xEF\xBB\xBF"
                      "f(x);\"";
    want += QByteArray("x;\"\"y\"\"").repeated(1000) + QByteArray("+sin(x)").repeated(714) +
            "+x\"\r\n"
            "a;\"'-pi\";-3,141592653589793\r\n"
            "\xCE\xB5;0,001\r\n"
            "\r\n";
    const QByteArray csv = tableCsv(view, heading);
    QVERIFY(csv.startsWith(want));
    // Then the table, as without a heading.
    QCOMPARE(csv.mid(want.size()), tableCsv(view).mid(3));
}

void TableExportTest::headingNamesTheFile()
{
    const testsupport::MessageCatcher catcher(&m_messages);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Исследование сходимости"));
    auto *table = new QTableWidget(1, 1, &window);
    table->setAccessibleName(QStringLiteral("Узлы"));
    table->setHorizontalHeaderLabels({QStringLiteral("i")});
    table->verticalHeader()->hide();
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("0")));
    attachTableMenu(table, [](QWidget *parent, const QString &text) { notify(parent, text); });
    int asked = 0;
    setTableHeading(table, [&asked] {
        ++asked;
        return TableHeading{{{QStringLiteral("n"), QStringLiteral("4")}},
                            QStringLiteral("x·sin(x) на [0; pi] — узлы")};
    });
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTemporaryDir dir;
    m_answer = dir.filePath(QStringLiteral("t.csv"));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Menu);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *save = menu->findChild<QAction *>(QStringLiteral("saveCsv"));
    menu->close();
    QVERIFY(save);
    save->trigger();
    QCOMPARE(asked, 1);
    QCOMPARE(m_suggested,
             QStringList{QDir::home().filePath(QStringLiteral("x·sin(x) на [0; pi] — узлы.csv"))});
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QCOMPARE(testsupport::readAll(m_answer), QByteArray("\xEF\xBB\xBFn;4\r\n\r\ni\r\n0\r\n"));
}

void TableExportTest::fullDiskSaysTheWriteFailed()
{
    // A real full disk: a tiny file system of the test's own, which
    // tests/smallfs.sh mounts in a private namespace.
    const QString fs = qEnvironmentVariable("KVADROLAB_SMALL_FS");
    if (fs.isEmpty())
        QSKIP("needs a small file system of its own (run through tests/smallfs.sh)");
    const auto model = smallModel(QStringLiteral("1"));
    QTableView view;
    view.setModel(model.get());
    const QString path = fs + QStringLiteral("/table.csv");
    QVERIFY(testsupport::writeFile(path, QByteArray("an older file")));
    QVERIFY(testsupport::fillDisk(fs));

    const Result<void> full = saveTableCsv(view, path);
    QVERIFY(!full.ok());
    QCOMPARE(full.reason(), Reason::WriteFailed);
    // The older file stays whole, and no half-written one is left beside it.
    QCOMPARE(testsupport::readAll(path), QByteArray("an older file"));
    QCOMPARE(QDir(fs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("filler"), QStringLiteral("table.csv")}));

    // Room again: the same save goes through.
    QVERIFY(QFile::remove(fs + QStringLiteral("/filler")));
    QVERIFY(saveTableCsv(view, path).ok());
    QCOMPARE(testsupport::readAll(path), tableCsv(view));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Every row sets its own locale; the rest run under the Russian one.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TableExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tableexporttest.moc"
