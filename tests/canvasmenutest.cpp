// SPDX-License-Identifier: GPL-3.0-or-later
// The context menu of every plot canvas of every window: it opens by a right
// click, the menu key and Shift+F10; "Копировать" puts the picture (and a
// result's printed text) on the clipboard; "Сохранить изображение…" writes
// the picture as PNG where the file dialog says, and a save that fails says
// so once and loses nothing.

#include "canvas/canvasmenu.h"
#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace kvadrolab;

Q_DECLARE_METATYPE(WindowId)

namespace {

// The areas that show a computed number rather than a chart.
bool isResultArea(WindowId id, const QString &canvas)
{
    switch (id) {
    case WindowId::Int_c_t:
    case WindowId::Int_c_s:
        return canvas == QLatin1String("Picture4") || canvas == QLatin1String("Picture5");
    default:
        return false;
    }
}

// The pixels alone: a PNG read back does not know the ratio it was made at.
QImage rgb(const QImage &img)
{
    QImage pixels = img.convertToFormat(QImage::Format_RGB32);
    pixels.setDevicePixelRatio(1);
    return pixels;
}

// What stands beside a designed chart's canvas as its own widgets: the axis
// lines, the scale and axis captions and, on the comparison, the legend. A
// group's name stands for all its members.
QStringList designedChartParts(WindowId id)
{
    switch (id) {
    case WindowId::Int_g:
        return {"Line1", "Line2", "Label8", "Label9", "Label10", "Label11", "Label12"};
    case WindowId::Pogr_t:
    case WindowId::Pogr_s:
        return {"Line1", "Line2", "Label7", "Label8", "Label9", "Label11", "Label12"};
    case WindowId::Pogr_compare:
        return {"Line2",   "Line3",   "Label3", "Label6",  "Label8", "Label9",
                "Label10", "Label11", "Line4",  "Label12", "Line6",  "Label13"};
    default:
        return {};
    }
}

// The caption above or beside the y axis, which the picture must carry.
QString yCaption(WindowId id)
{
    switch (id) {
    case WindowId::Int_g:
        return QStringLiteral("Label9");
    case WindowId::Pogr_t:
    case WindowId::Pogr_s:
        return QStringLiteral("Label7");
    default:
        return QStringLiteral("Label3");
    }
}

QRect inWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// The widgets that stand beside a designed chart's canvas.
QList<QWidget *> chartParts(WindowId id, const PlotCanvas *c)
{
    QList<QWidget *> parts;
    for (const QString &part : designedChartParts(id))
        for (QWidget *w : c->window()->findChildren<QWidget *>())
            if (w->objectName() == part || w->objectName().startsWith(part + QLatin1Char('_')))
                parts << w;
    return parts;
}

QRect scaled(const QRect &r, qreal dpr)
{
    return QRect((QPointF(r.topLeft()) * dpr).toPoint(), (QSizeF(r.size()) * dpr).toSize());
}

// Whether `exported` is what the menu must give for the canvas: the bare
// picture, or for a designed chart the window's rectangle round the canvas and
// the parts beside it. There the canvas shows its own picture, each part looks
// as it does by itself (the y axis's caption with its dark pixels), and the
// rest is the window's plain background: nothing else of the window that
// reaches into the rectangle (a header's labels, a frame's border).
void checkExported(const QImage &exported, WindowId id, PlotCanvas *c)
{
    if (designedChartParts(id).isEmpty()) {
        QCOMPARE(rgb(exported), rgb(c->image()));
        return;
    }
    QWidget *window = c->window();
    const QList<QWidget *> parts = chartParts(id, c) << c;
    QRect region;
    for (const QWidget *w : parts)
        region |= inWindow(w);
    const qreal dpr = c->image().devicePixelRatio();
    const QImage picture = rgb(exported);
    QCOMPARE(picture.size(), scaled(QRect(QPoint(), region.size()), dpr).size());
    auto at = [&](const QWidget *w) {
        return scaled(inWindow(w).translated(-region.topLeft()), dpr);
    };
    const QRect inside =
        scaled(QRect(inWindow(c).topLeft() + c->contentsRect().topLeft() - region.topLeft(),
                     c->contentsRect().size()),
               dpr);
    QCOMPARE(picture.copy(inside), rgb(c->image()));
    // Each part where no other part covers it: as the part looks by itself.
    const QRgb background = window->palette().color(QPalette::Window).rgb() | 0xff000000;
    QImage rest = picture;
    for (QWidget *w : parts) {
        const QRect r = at(w);
        const QImage alone = rgb(w->grab().toImage());
        QCOMPARE(alone.size(), r.size());
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x) {
                const QPoint p = r.topLeft() + QPoint(x, y);
                bool covered = false;
                for (const QWidget *other : parts)
                    covered = covered || (other != w && at(other).contains(p));
                if (!covered && picture.pixel(p) != alone.pixel(x, y))
                    QFAIL(qPrintable(
                        QStringLiteral("%1 differs at %2,%3").arg(w->objectName()).arg(x).arg(y)));
                rest.setPixel(p, background);
            }
    }
    QImage plain(rest.size(), rest.format());
    plain.fill(background);
    QVERIFY2(rest == plain, "something beside the chart's parts is in the picture");
    const QWidget *caption = window->findChild<QWidget *>(yCaption(id));
    QVERIFY(caption && parts.contains(caption));
    const QRect captionArea = at(caption);
    int dark = 0;
    for (int y = captionArea.top(); y <= captionArea.bottom(); ++y)
        for (int x = captionArea.left(); x <= captionArea.right(); ++x)
            dark += qGray(picture.pixel(x, y)) < 96;
    QVERIFY2(dark > 5, "the y axis's caption is not in the picture");
}

} // namespace

class CanvasMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void everyCanvasIsCovered();
    void menuOpensEveryWay_data();
    void menuOpensEveryWay();
    void copyPutsPictureAndResultText_data() { everyCanvas(); }
    void copyPutsPictureAndResultText();
    void saveWritesThePicture_data() { everyCanvas(); }
    void saveWritesThePicture();
    void failedSaveSaysSoOnce_data();
    void failedSaveSaysSoOnce();
    void fullDiskSaysTheWriteFailed();
    void cancelledSaveWritesNothing();
    void chartsOfOneWindowSuggestNamesOfTheirOwn();

private:
    void everyCanvas();
    // Opens the window, draws what its action button draws, and returns the canvas.
    PlotCanvas *prepare(WindowId id, const QString &canvas);
    QMenu *openByKeyboard(PlotCanvas *canvas);
    void trigger(PlotCanvas *canvas, const char *action);

    MainWindow *m_main = nullptr;
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};
    QStringList m_suggested;
    QString m_answer; // what the file dialog answers
};

void CanvasMenuTest::initTestCase()
{
    setSaveDialog([this](QWidget *, const QString &suggested) {
        m_suggested << suggested;
        return m_answer;
    });
    m_main = new MainWindow;
    m_main->show();
}

void CanvasMenuTest::cleanupTestCase()
{
    setSaveDialog({});
    delete m_main;
}

void CanvasMenuTest::init()
{
    m_messages.clear();
    m_suggested.clear();
    m_answer.clear();
}

void CanvasMenuTest::everyCanvas()
{
    QTest::addColumn<WindowId>("id");
    QTest::addColumn<QString>("canvas");
    for (WindowId id : kAllWindows) {
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        for (const PlotCanvas *c : w->findChildren<PlotCanvas *>())
            QTest::addRow("%s %s", qPrintable(w->objectName()), qPrintable(c->objectName()))
                << id << c->objectName();
    }
}

void CanvasMenuTest::everyCanvasIsCovered()
{
    // Two result areas on each computation window, one chart on each of the
    // four chart windows, none on About, three on the study window.
    int canvases = 0;
    for (WindowId id : kAllWindows) {
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        canvases += int(w->findChildren<PlotCanvas *>().size());
    }
    QCOMPARE(canvases, 11);
}

PlotCanvas *CanvasMenuTest::prepare(WindowId id, const QString &name)
{
    id == WindowId::About ? m_main->navigator()->openAbout() : m_main->navigator()->openWindow(id);
    SecondaryWindow *w = m_main->navigator()->existing(id);
    if (auto *action = w->findChild<QPushButton *>(QStringLiteral("Command1")))
        testsupport::pressAction(w, action);
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowActive(w))
        return nullptr;
    PlotCanvas *canvas = w->findChild<PlotCanvas *>(name);
    if (canvas)
        testsupport::bringForward(canvas);
    return canvas;
}

QMenu *CanvasMenuTest::openByKeyboard(PlotCanvas *canvas)
{
    QTest::mouseClick(canvas, Qt::LeftButton);
    QTest::keyClick(canvas, Qt::Key_Menu);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

void CanvasMenuTest::trigger(PlotCanvas *canvas, const char *action)
{
    QMenu *menu = openByKeyboard(canvas);
    QVERIFY(menu);
    QAction *a = menu->findChild<QAction *>(QLatin1String(action));
    QVERIFY(a);
    menu->close();
    a->trigger();
}

void CanvasMenuTest::menuOpensEveryWay_data()
{
    QTest::addColumn<WindowId>("id");
    QTest::addColumn<QString>("canvas");
    QTest::addColumn<int>("way");
    for (WindowId id : kAllWindows) {
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        for (const PlotCanvas *c : w->findChildren<PlotCanvas *>()) {
            const QByteArray row = w->objectName().toUtf8() + ' ' + c->objectName().toUtf8();
            QTest::addRow("%s right click", row.constData()) << id << c->objectName() << 0;
            QTest::addRow("%s menu key", row.constData()) << id << c->objectName() << 1;
            QTest::addRow("%s Shift+F10", row.constData()) << id << c->objectName() << 2;
        }
    }
}

void CanvasMenuTest::menuOpensEveryWay()
{
    QFETCH(WindowId, id);
    QFETCH(QString, canvas);
    QFETCH(int, way);
    PlotCanvas *c = prepare(id, canvas);
    QVERIFY(c);
    QVERIFY(!QApplication::activePopupWidget());
    QWidget *window = c->window();
    if (way == 0) {
        // Through the window system, as a real click arrives.
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          c->mapTo(window, c->rect().center()));
    } else {
        QTest::mouseClick(c, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), c);
        if (way == 1)
            QTest::keyClick(c, Qt::Key_Menu);
        else
            QTest::keyClick(c, Qt::Key_F10, Qt::ShiftModifier);
    }
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << a->text();
    QCOMPARE(texts, QStringList({QStringLiteral("Копировать"),
                                 QString::fromUtf8("Сохранить изображение\u2026")}));
    menu->close();
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(m_messages.isEmpty());
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(window));
}

void CanvasMenuTest::copyPutsPictureAndResultText()
{
    QFETCH(WindowId, id);
    QFETCH(QString, canvas);
    PlotCanvas *c = prepare(id, canvas);
    QVERIFY(c);
    QVERIFY2(!testsupport::isBlank(*c), "the action button drew nothing here");
    const QImage before = c->image();
    QApplication::clipboard()->clear();
    trigger(c, "copyPicture");
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasImage());
    checkExported(qvariant_cast<QImage>(data->imageData()), id, c);
    if (QTest::currentTestFailed())
        return;
    if (isResultArea(id, canvas)) {
        QVERIFY(!c->printedLines().isEmpty());
        QCOMPARE(data->text(), c->printedLines().join(QLatin1Char('\n')));
    } else {
        // A chart pastes as a picture, never as the text of its captions.
        QVERIFY(!data->hasText());
    }
    QCOMPARE(rgb(c->image()), rgb(before));
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(c->window()));
}

void CanvasMenuTest::saveWritesThePicture()
{
    QFETCH(WindowId, id);
    QFETCH(QString, canvas);
    PlotCanvas *c = prepare(id, canvas);
    QVERIFY(c);
    QTemporaryDir dir;
    m_answer = dir.filePath(QStringLiteral("chart.png"));
    // Whatever was there before is replaced by the whole picture.
    QVERIFY(testsupport::writeFile(m_answer, QByteArray("an older file")));
    trigger(c, "savePicture");
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    // The dialog starts in the home folder with the window's caption as the
    // name, and the chart's own name after it where it has one.
    const QString title = c->window()->windowTitle();
    const QString own = pictureName(*c);
    const bool named = !own.isEmpty() && !isResultArea(id, canvas);
    QCOMPARE(m_suggested,
             QStringList{QDir::home().filePath(
                 (named ? title + QStringLiteral(" — ") + own : title) + QStringLiteral(".png"))});
    QImage saved(m_answer, "PNG");
    QVERIFY(!saved.isNull());
    // At the screen's resolution: the window's own device pixels. The study
    // window's charts are drawn anew for a file, at least 1600 pixels wide.
    const QImage made = savedPicture(*c);
    if (id == WindowId::Conv) {
        QVERIFY(saved.width() >= 1600);
        QCOMPARE(rgb(saved), rgb(made));
    } else {
        checkExported(saved, id, c);
    }
    if (QTest::currentTestFailed())
        return;
    const double dpi = c->screen()->logicalDotsPerInch() * made.devicePixelRatio();
    QVERIFY(std::abs(saved.dotsPerMeterX() - dpi / 0.0254) < 1);
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(c->window()));
}

void CanvasMenuTest::failedSaveSaysSoOnce_data()
{
    QTest::addColumn<WindowId>("id");
    QTest::addColumn<QString>("canvas");
    QTest::addColumn<QString>("where");    // relative to a fresh temporary folder
    QTest::addColumn<QString>("readOnly"); // made read-only before the save
    QTest::addColumn<QString>("reason");
    const QString noFolder = QStringLiteral("Папка не существует.");
    const QString noRight = QStringLiteral("Нет прав на запись.");
    QTest::newRow("missing folder, a chart")
        << WindowId::Pogr_compare << "Picture1" << QStringLiteral("missing/chart.png") << QString()
        << noFolder;
    QTest::newRow("missing folder, a result")
        << WindowId::Int_c_t << "Picture4" << QStringLiteral("missing/result.png") << QString()
        << noFolder;
    QTest::newRow("a folder's path") << WindowId::Pogr_t << "Picture4" << QStringLiteral("folder")
                                     << QString() << QStringLiteral("Это папка, а не файл.");
    QTest::newRow("below a file") << WindowId::Int_g << "Picture2"
                                  << QStringLiteral("keep.txt/chart.png") << QString() << noFolder;
    QTest::newRow("read-only folder")
        << WindowId::Pogr_s << "Picture4" << QStringLiteral("folder/chart.png")
        << QStringLiteral("folder") << noRight;
    QTest::newRow("read-only file") << WindowId::Int_c_s << "Picture5" << QStringLiteral("keep.txt")
                                    << QStringLiteral("keep.txt") << noRight;
}

void CanvasMenuTest::failedSaveSaysSoOnce()
{
    QFETCH(WindowId, id);
    QFETCH(QString, canvas);
    QFETCH(QString, where);
    QFETCH(QString, readOnly);
    QFETCH(QString, reason);
    if (!readOnly.isEmpty())
        SKIP_UNLESS_PERMISSIONS_BIND();
    PlotCanvas *c = prepare(id, canvas);
    QVERIFY(c);
    const testsupport::SaveTargets dir(readOnly);
    QVERIFY(dir.ok());
    const QImage before = c->image();
    const QStringList printed = c->printedLines();
    m_answer = dir.filePath(where);
    trigger(c, "savePicture");
    QCOMPARE(m_messages.size(), 1);
    // The message names the file, and then why it could not be written.
    QCOMPARE(m_messages.first(), QStringLiteral("Не удалось сохранить изображение в файл «%1». %2")
                                     .arg(QDir::toNativeSeparators(m_answer), reason));
    // Nothing is lost: the picture, its text, and what lay on the disk.
    QCOMPARE(rgb(c->image()), rgb(before));
    QCOMPARE(c->printedLines(), printed);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    QVERIFY(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
    QFile keep(dir.filePath(QStringLiteral("keep.txt")));
    QVERIFY(keep.open(QIODevice::ReadOnly));
    QCOMPARE(keep.readAll(), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({QStringLiteral("folder"), QStringLiteral("keep.txt")}));
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(c->window()));
}

void CanvasMenuTest::fullDiskSaysTheWriteFailed()
{
    // A real full disk: a tiny file system of the test's own, which
    // tests/smallfs.sh mounts in a private namespace.
    const QString fs = qEnvironmentVariable("KVADROLAB_SMALL_FS");
    if (fs.isEmpty())
        QSKIP("needs a small file system of its own (run through tests/smallfs.sh)");
    // A result's picture: small enough that the 8 KiB hold it beside the
    // older file once there is room again (a designed chart with its
    // captions is not).
    PlotCanvas *c = prepare(WindowId::Int_c_t, QStringLiteral("Picture4"));
    QVERIFY(c);
    m_answer = fs + QStringLiteral("/chart.png");
    QVERIFY(testsupport::writeFile(m_answer, QByteArray("an older file")));
    QVERIFY(testsupport::fillDisk(fs));

    trigger(c, "savePicture");
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(
        m_messages.first(),
        QStringLiteral("Не удалось сохранить изображение в файл «%1». Не удалось записать файл.")
            .arg(QDir::toNativeSeparators(m_answer)));
    // The older file stays whole, and no half-written one is left beside it.
    QFile old(m_answer);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("an older file"));
    QCOMPARE(QDir(fs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("chart.png"), QStringLiteral("filler")}));

    // Room again: the same save goes through.
    QVERIFY(QFile::remove(fs + QStringLiteral("/filler")));
    m_messages.clear();
    trigger(c, "savePicture");
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QVERIFY(!QImage(m_answer, "PNG").isNull());
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(c->window()));
}

void CanvasMenuTest::cancelledSaveWritesNothing()
{
    PlotCanvas *c = prepare(WindowId::Pogr_compare, QStringLiteral("Picture1"));
    QVERIFY(c);
    const QString suggested = suggestedPath(*c);
    const bool existed = QFile::exists(suggested);
    m_answer.clear();
    trigger(c, "savePicture");
    QCOMPARE(m_suggested, QStringList{suggested});
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(QFile::exists(suggested), existed);
    m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(c->window()));
}

void CanvasMenuTest::chartsOfOneWindowSuggestNamesOfTheirOwn()
{
    // The study's charts print their titles and legends, and still each goes
    // under a name of its own.
    PlotCanvas *errors = prepare(WindowId::Conv, QStringLiteral("ErrorChart"));
    QVERIFY(errors);
    QVERIFY(!errors->printedLines().isEmpty());
    const QString caption = errors->window()->windowTitle();
    const std::pair<const char *, const char *> charts[] = {{"RulePicture", "правило на графике f"},
                                                            {"ErrorChart", "погрешности"},
                                                            {"DerivativeChart", "f и производные"}};
    // After f and [a; b] of the study, '/' a division slash in a file name.
    const QString study = QStringLiteral("(ln(x)∕x)^3 на [1; 6] — ");
    for (const auto &[name, file] : charts) {
        auto *c = errors->window()->findChild<PlotCanvas *>(QLatin1String(name));
        QVERIFY(c);
        QCOMPARE(suggestedPath(*c),
                 QDir::home().filePath(caption + QStringLiteral(" — ") + study +
                                       QString::fromUtf8(file) + QStringLiteral(".png")));
    }
    // A result area's name is its printed number: the caption alone.
    PlotCanvas *result = prepare(WindowId::Int_c_t, QStringLiteral("Picture4"));
    QVERIFY(!result->printedLines().isEmpty());
    QCOMPARE(suggestedPath(*result),
             QDir::home().filePath(result->window()->windowTitle() + QStringLiteral(".png")));
}

int main(int argc, char *argv[])
{
    return runAppTest<CanvasMenuTest>(argc, argv);
}

#include "canvasmenutest.moc"
