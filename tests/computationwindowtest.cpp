// The two computation windows, worked as a user works them: typing into the
// fields, pressing the buttons, reading what the result areas and the report
// show.

#include "screens/computationwindow.h"
#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "tests/apptest.h"
#include "tests/referencereport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace kvadrolab;

using namespace Qt::StringLiterals;

namespace {

const char kSaved[] = "Сохранено!";
const char kSaveFailed[] = "Неправильно указан носитель или он отсутствует!";

const ComputationWindow::Config &configFor(const QString &window)
{
    return window == "Int_c_t" ? ComputationWindow::trapezoid() : ComputationWindow::simpson();
}

// The texts below are written with a decimal comma, as the design shows them.
QString localised(QString text)
{
    return text.replace(u',', QLocale().decimalPoint());
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isBlank(const PlotCanvas *canvas)
{
    const QImage image = canvas->image();
    const QRgb back = PlotCanvas::toQColor(canvas->backColor()).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != back)
                return false;
    return true;
}

} // namespace

class ComputationWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsSitWhereDesigned_data();
    void controlsSitWhereDesigned();
    void captionsAndFontsDiffer_data();
    void captionsAndFontsDiffer();
    void tabVisitsInDesignedOrder_data();
    void tabVisitsInDesignedOrder();
    void fieldsSayWhatTheyHold();
    void resultAreasPaintEveryPixel_data();
    void resultAreasPaintEveryPixel();

    void computesWorkedValues_data();
    void computesWorkedValues();
    void simpsonDeviationHasNoSign();
    void secondPressLeavesOneLine();
    void editingAfterComputingChangesNothingShown();
    void refusalsLeaveAreasEmptyAndResultKept_data();
    void refusalsLeaveAreasEmptyAndResultKept();
    void windowKeepsItsStateWhileHidden();

    void startingReportPath();
    void reportByteForByte();
    void reportLine4KeepsItsCommaUnderPeriodLocale();
    void reportTakesCountAsTypedAtSaving_data();
    void reportTakesCountAsTypedAtSaving();
    void noReportBeforeTheFirstComputation();
    void failedSavesSayOnlySo_data();
    void failedSavesSayOnlySo();
    void windowsReportTheirOwnComputations();

private:
    void open(const ComputationWindow::Config &config);
    QLineEdit *field(const char *name) const;
    PlotCanvas *canvas(const char *name) const;
    void type(const char *name, const QString &text);
    void press(const char *name);

    std::unique_ptr<ComputationWindow> m_window;
    QStringList m_messages;
    QTemporaryDir m_dir;
};

void ComputationWindowTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    kvadrolab::forms::setMessageSink(
        [this](QWidget *, const QString &text) { m_messages << text; });
}

void ComputationWindowTest::init()
{
    m_messages.clear();
}

void ComputationWindowTest::cleanup()
{
    m_window.reset();
    QLocale::setDefault(QLocale::system());
}

void ComputationWindowTest::open(const ComputationWindow::Config &config)
{
    m_window = std::make_unique<ComputationWindow>(config);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QLineEdit *ComputationWindowTest::field(const char *name) const
{
    return m_window->findChild<QLineEdit *>(QString::fromUtf8(name));
}

PlotCanvas *ComputationWindowTest::canvas(const char *name) const
{
    return m_window->findChild<PlotCanvas *>(QString::fromUtf8(name));
}

void ComputationWindowTest::type(const char *name, const QString &text)
{
    QLineEdit *f = field(name);
    QVERIFY(f);
    f->setFocus();
    f->selectAll();
    QTest::keyClick(f, Qt::Key_Delete);
    for (qsizetype i = 0; i < text.size(); ++i) {
        // QTest::keyClicks knows only ASCII keys; other characters arrive as
        // the text of a key event, as an input method delivers them.
        if (text[i].unicode() < 0x80) {
            QTest::keyClick(f, text[i].toLatin1());
        } else {
            const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, text.mid(i, length),
                                Qt::NoModifier);
            i += length - 1;
        }
    }
    QCOMPARE(f->text(), text);
}

void ComputationWindowTest::press(const char *name)
{
    auto *button = m_window->findChild<QPushButton *>(QString::fromUtf8(name));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void ComputationWindowTest::controlsSitWhereDesigned_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<double>("points");
    struct Row
    {
        const char *name, *container;
        int left, top, width, height;
        double points;
    };
    const Row rows[] = {
        {"Frame1", "", 120, 120, 7695, 5175, 8.25},
        {"Label1", "Frame1", 120, 360, 3375, 375, 8.25},
        {"Picture1", "Frame1", 3480, 240, 855, 855, 8.25},
        {"Label2", "Frame1", 4440, 360, 855, 375, 8.25},
        {"Picture2", "Frame1", 120, 1200, 6375, 1695, 8.25},
        {"Label3", "Frame1", 120, 3120, 3375, 255, 8.25},
        {"Label8", "Frame1", 4200, 3120, 3135, 255, 8.25},
        {"Label4", "Frame1", 120, 3360, 2535, 255, 8.25},
        {"Label5", "Frame1", 2760, 3360, 255, 495, 18},
        {"Text1", "Frame1", 2880, 3360, 495, 495, 18},
        {"Label6", "Frame1", 3480, 3360, 135, 375, 18},
        {"Text2", "Frame1", 3720, 3360, 495, 495, 18},
        {"Label7", "Frame1", 4200, 3360, 135, 615, 18},
        {"Text3", "Frame1", 6360, 3360, 855, 495, 18},
        {"Frame2", "Frame1", 120, 4080, 2295, 855, 8.25},
        {"Picture3", "Frame2", 120, 240, 2055, 495, 8.25},
        {"Frame3", "Frame1", 2520, 4080, 2295, 855, 8.25},
        {"Picture4", "Frame3", 120, 240, 2055, 495, 13.5},
        {"Frame4", "Frame1", 4920, 4080, 2295, 855, 8.25},
        {"Picture5", "Frame4", 120, 240, 2055, 495, 13.5},
        {"Frame5", "", 240, 5400, 2655, 735, 8.25},
        {"Text4", "Frame5", 120, 240, 2415, 375, 8.25},
        {"Command2", "", 3120, 5520, 1455, 495, 8.25},
        {"Command1", "", 4800, 5520, 1455, 495, 8.25},
        {"toMain", "", 6480, 5520, 1335, 495, 8.25},
    };
    for (const char *window : {"Int_c_t", "Int_c_s"})
        for (const Row &r : rows)
            QTest::addRow("%s %s", window, r.name)
                << QString(window) << QString(r.name) << QString(r.container)
                << QRect(r.left, r.top, r.width, r.height) << r.points;
}

void ComputationWindowTest::controlsSitWhereDesigned()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, twips);
    QFETCH(double, points);
    open(configFor(window));
    const QWidget *w = m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), container.isEmpty() ? window : container);
    // 15 twips to the pixel; every designed value is a whole number of pixels.
    const QRect designed(twips.left() / 15, twips.top() / 15, twips.width() / 15,
                         twips.height() / 15);
    if (name == "Label8") {
        // The substitute font sets the prompt a little wider than the design's
        // font did; it may grow to the right, inside its frame, and nowhere else.
        QCOMPARE(w->pos(), designed.topLeft());
        QCOMPARE(w->height(), designed.height());
        QVERIFY(w->width() >= designed.width());
        QVERIFY(w->width() <= designed.width() + 4);
    } else {
        QCOMPARE(w->geometry(), designed);
    }
    QCOMPARE(w->font().pointSizeF(), points);
    QVERIFY(w->isVisible());
}

void ComputationWindowTest::captionsAndFontsDiffer_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QString>("frame1");
    QTest::addColumn<QString>("frame3");
    QTest::newRow("trapezoid") << "Int_c_t"
                               << "Решение методом трапеций" << QSize(530, 416)
                               << "Численное решение методом трапеций"
                               << "По формуле трапеций";
    QTest::newRow("Simpson") << "Int_c_s"
                             << "Решение методом Симпсона" << QSize(534, 417)
                             << "Численное решение методом Симпсона"
                             << "По формуле Симпсона";
}

void ComputationWindowTest::captionsAndFontsDiffer()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QString, frame1);
    QFETCH(QString, frame3);
    open(configFor(window));
    QCOMPARE(m_window->objectName(), window);
    QCOMPARE(m_window->windowTitle(), caption);
    QCOMPARE(m_window->size(), client);
    QCOMPARE(m_window->findChild<QGroupBox *>("Frame1")->title(), frame1);
    QCOMPARE(m_window->findChild<QGroupBox *>("Frame3")->title(), frame3);
    // What both share, as designed.
    const auto label = [this](const char *name) {
        return m_window->findChild<QLabel *>(name)->text();
    };
    QCOMPARE(label("Label1"), u"По формуле Ньютона-Лейбница интеграл"_s);
    QCOMPARE(label("Label2"), u"считается:"_s);
    QCOMPARE(label("Label8"), u"Задать количество разбиений (10-1000) : "_s);
    QCOMPARE(label("Label4"), u"Задать область интегрирования"_s);
    QCOMPARE(label("Label5") + label("Label6") + label("Label7"), u"[;]"_s);
    QCOMPARE(field("Text1")->text() + field("Text2")->text() + field("Text3")->text(), u"16600"_s);
    QCOMPARE(m_window->findChild<QGroupBox *>("Frame5")->title(), u"Укажите путь:"_s);
    QCOMPARE(m_window->findChild<QPushButton *>("Command1")->text(), u"Вычислить"_s);
    QCOMPARE(m_window->findChild<QPushButton *>("Command2")->text(), u"Сохранить как"_s);
    QCOMPARE(m_window->findChild<QPushButton *>("toMain")->text(), u"На главную"_s);
    QVERIFY(canvas("Picture4")->printedLines().isEmpty());
    QVERIFY(canvas("Picture5")->printedLines().isEmpty());
    QVERIFY(!m_window->result());
}

void ComputationWindowTest::tabVisitsInDesignedOrder_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("trapezoid") << "Int_c_t" << QStringList{"Text3", "Text2",    "Text1",   "toMain",
                                                           "Text4", "Command2", "Command1"};
    QTest::newRow("Simpson") << "Int_c_s" << QStringList{"Text1", "Text2",    "Text3",   "toMain",
                                                         "Text4", "Command2", "Command1"};
}

void ComputationWindowTest::tabVisitsInDesignedOrder()
{
    QFETCH(QString, window);
    QFETCH(QStringList, order);
    open(configFor(window));
    // The window opens with the keyboard in the first field of the order.
    QCOMPARE(QApplication::focusWidget()->objectName(), order.first());
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order + QStringList{order.first()});
}

void ComputationWindowTest::fieldsSayWhatTheyHold()
{
    open(ComputationWindow::trapezoid());
    QStringList names;
    for (const QLineEdit *f : m_window->findChildren<QLineEdit *>()) {
        QVERIFY2(!f->accessibleName().isEmpty(), qPrintable(f->objectName()));
        names << f->accessibleName();
    }
    QCOMPARE(names.size(), 4);
    names.removeDuplicates();
    QCOMPARE(names.size(), 4);
    QVERIFY(field("Text1")->accessibleName().endsWith(u" a"_s));
    QVERIFY(field("Text2")->accessibleName().endsWith(u" b"_s));
    QVERIFY(field("Text3")->accessibleName().endsWith(u" n"_s));
    QVERIFY(field("Text4")->accessibleName().contains(u"отчёт"_s));
}

void ComputationWindowTest::resultAreasPaintEveryPixel_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("100 %") << qreal(1);
    QTest::newRow("150 %") << qreal(1.5);
    QTest::newRow("200 %") << qreal(2);
}

void ComputationWindowTest::resultAreasPaintEveryPixel()
{
    // A result area paints itself without its parent beneath it, so no pixel
    // of its border may be left to whatever the screen held before.
    QFETCH(qreal, scale);
    open(ComputationWindow::trapezoid());
    press("Command1");
    for (const char *area : {"Picture4", "Picture5"}) {
        PlotCanvas *c = canvas(area);
        QImage image((QSizeF(c->size()) * scale).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::magenta);
        c->render(&image);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixel(x, y) != QColor(Qt::magenta).rgb(),
                         qPrintable(u"%1 at %2,%3"_s.arg(area).arg(x).arg(y)));
    }
}

void ComputationWindowTest::computesWorkedValues_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("n");
    QTest::addColumn<QString>("I");
    QTest::addColumn<QString>("E");
    QTest::newRow("trapezoid defaults") << "Int_c_t"
                                        << "1"
                                        << "6"
                                        << "600"
                                        << "0,1804789886"
                                        << "-0,0000000339";
    QTest::newRow("trapezoid n=10") << "Int_c_t"
                                    << "1"
                                    << "6"
                                    << "10"
                                    << "0,1804968885"
                                    << "0,0000178660";
    QTest::newRow("trapezoid n=100") << "Int_c_t"
                                     << "1"
                                     << "6"
                                     << "100"
                                     << "0,1804778481"
                                     << "-0,0000011744";
    QTest::newRow("trapezoid n=1000") << "Int_c_t"
                                      << "1"
                                      << "6"
                                      << "1000"
                                      << "0,1804790103"
                                      << "-0,0000000122";
    QTest::newRow("trapezoid, period typed") << "Int_c_t"
                                             << "1.0"
                                             << "6.0"
                                             << "1e3"
                                             << "0,1804790103"
                                             << "-0,0000000122";
    // From 6 to 1 the same nodes give the integral with its sign turned; the
    // deviation is still taken against 0,1804790225.
    QTest::newRow("trapezoid b<a") << "Int_c_t"
                                   << "6"
                                   << "1"
                                   << "600"
                                   << "-0,1804789886"
                                   << "-0,3609580111";
    // One subinterval: h (f(1) + f(6)) / 2 = 2,5 (ln 6 / 6)^3 = 0,066577178; the
    // advice "(10-1000)" is not a limit.
    QTest::newRow("trapezoid n=1") << "Int_c_t"
                                   << "1"
                                   << "6"
                                   << "1"
                                   << "0,0665771780"
                                   << "-0,1139018445";
    QTest::newRow("Simpson defaults") << "Int_c_s"
                                      << "1"
                                      << "6"
                                      << "600"
                                      << "0,1804790224"
                                      << "0,0000000001";
}

void ComputationWindowTest::computesWorkedValues()
{
    QFETCH(QString, window);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, n);
    QFETCH(QString, I);
    QFETCH(QString, E);
    open(configFor(window));
    type("Text1", a);
    type("Text2", b);
    type("Text3", n);
    press("Command1");
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{localised(I)});
    QCOMPARE(canvas("Picture5")->printedLines(), QStringList{localised(E)});
    // The printed numbers are what a screen reader reads out, and are on screen.
    QCOMPARE(canvas("Picture4")->accessibleName(), localised(I));
    QCOMPARE(canvas("Picture5")->accessibleName(), localised(E));
    QVERIFY(!isBlank(canvas("Picture4")));
    QVERIFY(!isBlank(canvas("Picture5")));
    QVERIFY(m_window->result());
}

void ComputationWindowTest::simpsonDeviationHasNoSign()
{
    // Over [1;5] both rules land below 0,1804790225: the trapezoid window
    // shows a negative deviation, the Simpson window the same size unsigned.
    double deviations[2];
    int i = 0;
    for (const auto *config : {&ComputationWindow::trapezoid(), &ComputationWindow::simpson()}) {
        open(*config);
        type("Text2", "5");
        press("Command1");
        QVERIFY(m_window->result());
        deviations[i++] = m_window->result()->deviation;
    }
    QVERIFY(deviations[0] < -1e-4);
    QVERIFY(deviations[1] > 1e-4);
    QVERIFY(std::fabs(deviations[0] + deviations[1]) < 1e-6);
    QVERIFY(!canvas("Picture5")->printedLines().first().startsWith(u'-'));
}

void ComputationWindowTest::secondPressLeavesOneLine()
{
    open(ComputationWindow::simpson());
    press("Command1");
    type("Text3", "10");
    press("Command1");
    QCOMPARE(canvas("Picture4")->printedLines().size(), 1);
    QCOMPARE(canvas("Picture5")->printedLines().size(), 1);
    // n = 10 is far coarser than 600: the second result replaced the first.
    QVERIFY(canvas("Picture5")->printedLines().first() != localised("0,0000000001"));
}

void ComputationWindowTest::editingAfterComputingChangesNothingShown()
{
    open(ComputationWindow::trapezoid());
    press("Command1");
    const auto kept = m_window->result();
    const QImage shown = canvas("Picture4")->image();
    type("Text1", "2");
    type("Text3", "10");
    QCOMPARE(canvas("Picture4")->image(), shown);
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{localised("0,1804789886")});
    QCOMPARE(m_window->result()->integral, kept->integral);
}

void ComputationWindowTest::refusalsLeaveAreasEmptyAndResultKept_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("atFault");
    QTest::addColumn<QString>("says"); // a piece of the message that names the rule
    const QString range = u"от 1 до 1000"_s;
    const QString positive = u"ln x определён только при x > 0"_s;
    const QString number = u"должно быть число"_s;
    for (const char *window : {"Int_c_t", "Int_c_s"}) {
        const auto row = [window](const char *name) {
            return &(QTest::addRow("%s %s", window, name) << QString(window));
        };
        *row("n=0") << "Text3"
                    << "0"
                    << "Text3" << range;
        *row("n=1001") << "Text3"
                       << "1001"
                       << "Text3" << range;
        *row("n=600,5") << "Text3"
                        << "600,5"
                        << "Text3" << range;
        *row("n=-600") << "Text3"
                       << "-600"
                       << "Text3" << range;
        *row("n=1e300") << "Text3"
                        << "1e300"
                        << "Text3" << range;
        *row("n letters") << "Text3"
                          << "сто"
                          << "Text3" << range;
        *row("n empty") << "Text3"
                        << ""
                        << "Text3" << range;
        *row("n grouped") << "Text3"
                          << "1 000"
                          << "Text3" << range;
        *row("a=0") << "Text1"
                    << "0"
                    << "Text1" << positive;
        *row("a=-1") << "Text1"
                     << "-1"
                     << "Text1" << positive;
        *row("b=0, b<a") << "Text2"
                         << "0"
                         << "Text2" << positive;
        *row("a letters") << "Text1"
                          << "abc"
                          << "Text1" << number;
        *row("a inf") << "Text1"
                      << "inf"
                      << "Text1" << number;
        *row("a beyond the double range") << "Text1"
                                          << "1e999"
                                          << "Text1" << number;
        *row("b empty") << "Text2"
                        << ""
                        << "Text2" << number;
        *row("b nan") << "Text2"
                      << "nan"
                      << "Text2" << number;
        // f grows past every double this near to 0.
        *row("a=1e-300") << "Text1"
                         << "1e-300"
                         << "Text1" << u"дальше от 0"_s;
    }
    QTest::newRow("Int_c_s odd n") << "Int_c_s"
                                   << "Text3"
                                   << "601"
                                   << "Text3" << u"чётным"_s;
}

void ComputationWindowTest::refusalsLeaveAreasEmptyAndResultKept()
{
    QFETCH(QString, window);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, atFault);
    QFETCH(QString, says);
    open(configFor(window));
    press("Command1");
    const auto before = m_window->result();
    QVERIFY(before);

    type(field.toUtf8().constData(), text);
    press("Command1");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(says), qPrintable(m_messages.first()));
    for (const char *area : {"Picture4", "Picture5"}) {
        QVERIFY(canvas(area)->printedLines().isEmpty());
        QVERIFY(canvas(area)->accessibleName().isEmpty());
        QVERIFY(isBlank(canvas(area)));
    }
    QVERIFY(m_window->result());
    QCOMPARE(m_window->result()->integral, before->integral);
    QCOMPARE(m_window->result()->deviation, before->deviation);
    QCOMPARE(QApplication::focusWidget()->objectName(), atFault);
    // The window stays usable: putting the field right computes again.
    type(field.toUtf8().constData(), field == "Text1" ? "1" : field == "Text2" ? "6" : "600");
    press("Command1");
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(canvas("Picture4")->printedLines().size(), 1);
}

void ComputationWindowTest::windowKeepsItsStateWhileHidden()
{
    MainWindow main;
    main.show();
    Navigator *nav = main.navigator();
    nav->openWindow(WindowId::Int_c_t);
    auto *w = qobject_cast<ComputationWindow *>(nav->existing(WindowId::Int_c_t));
    QVERIFY(w);
    auto *n = w->findChild<QLineEdit *>("Text3");
    n->clear();
    QTest::keyClicks(n, "100");
    QTest::mouseClick(w->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    auto *back = w->findChild<QPushButton *>("toMain");
    QTest::mouseClick(back, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(main.isVisible());

    nav->openWindow(WindowId::Int_c_t);
    QCOMPARE(nav->existing(WindowId::Int_c_t), w);
    QVERIFY(w->isVisible());
    QCOMPARE(n->text(), u"100"_s);
    QCOMPARE(w->findChild<PlotCanvas *>("Picture4")->printedLines(),
             QStringList{localised("0,1804778481")});
    // The other window knows nothing of this computation.
    nav->openWindow(WindowId::Int_c_s);
    auto *s = qobject_cast<ComputationWindow *>(nav->existing(WindowId::Int_c_s));
    QVERIFY(s && s != w);
    QVERIFY(!s->result());
    QCOMPARE(s->findChild<QLineEdit *>("Text3")->text(), u"600"_s);
}

void ComputationWindowTest::startingReportPath()
{
    for (const auto *config : {&ComputationWindow::trapezoid(), &ComputationWindow::simpson()}) {
        open(*config);
#ifdef Q_OS_WIN
        const QString expected =
            config == &ComputationWindow::trapezoid() ? u"C:\\!t.txt"_s : u"C:\\!s.txt"_s;
#else
        const QString expected =
            QDir::home().filePath(config == &ComputationWindow::trapezoid() ? "!t.txt" : "!s.txt");
#endif
        QCOMPARE(field("Text4")->text(), expected);
        QVERIFY(QDir::isAbsolutePath(expected));
    }
}

void ComputationWindowTest::reportByteForByte()
{
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("!t.txt");
    type("Text4", path);
    press("Command1");
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaved)});
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.size(), 344);
    const QList<QByteArray> lines = bytes.split('\n');
    const int lengths[] = {40, 51, 40, 15, 59, 69, 56};
    QCOMPARE(lines.size(), 8); // the last CR LF ends the file
    for (int i = 0; i < 7; ++i) {
        QVERIFY(lines[i].endsWith('\r'));
        QCOMPARE(lines[i].size() - 1, lengths[i]);
    }
    QCOMPARE(bytes,
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804789886"),
                                              localised("-0,0000000339"), "600")));
}

void ComputationWindowTest::reportLine4KeepsItsCommaUnderPeriodLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("period.txt");
    type("Text4", path);
    press("Command1");
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{u"0.1804789886"_s});
    press("Command2");
    const QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines.value(3), QByteArray("\"0,1804790225 \"\r"));
    QVERIFY(lines.value(4).endsWith("=\",\"0.1804789886\"\r"));
    QVERIFY(lines.value(5).endsWith("= \",\"-0.0000000339\"\r"));
}

void ComputationWindowTest::reportTakesCountAsTypedAtSaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("another count") << "100"
                                   << "100";
    QTest::newRow("half rounds up") << "2,5"
                                    << "3";
    QTest::newRow("negative half away from zero") << "-2,5"
                                                  << "-3";
    QTest::newRow("surrounding spaces") << " 600 "
                                        << "600";
    QTest::newRow("exponent") << "6e2"
                              << "600";
    QTest::newRow("not a number, as typed") << "много"
                                            << "много";
    QTest::newRow("not in the code page") << "六百"
                                          << "??";
    QTest::newRow("empty") << ""
                           << "";
}

void ComputationWindowTest::reportTakesCountAsTypedAtSaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("count.txt");
    type("Text4", path);
    press("Command1");
    type("Text3", typed);
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaved)});
    // Lines 5 and 6 still come from the computation with 600.
    const QByteArray expected = reference::file(
        reference::lines(reference::trapezoidMethod, localised("0,1804789886"),
                         localised("-0,0000000339"), written == "??" ? "" : written));
    QByteArray bytes = readAll(path);
    if (written == "??")
        bytes.replace("\"??\"", "\"\"");
    QCOMPARE(bytes, expected);
}

void ComputationWindowTest::noReportBeforeTheFirstComputation()
{
    open(ComputationWindow::simpson());
    const QString path = m_dir.filePath("early.txt");
    type("Text4", path);
    press("Command2");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().contains(u"Вычислить"_s));
    QVERIFY(!QFile::exists(path));
    // A refused computation is no computation either.
    type("Text3", "0");
    press("Command1");
    press("Command2");
    QCOMPARE(m_messages.size(), 3);
    QCOMPARE(m_messages.last(), m_messages.first());
    QVERIFY(!QFile::exists(path));
}

void ComputationWindowTest::failedSavesSayOnlySo_data()
{
    QTest::addColumn<QString>("path"); // relative to the test's folder; "" for an empty field
    QTest::newRow("missing folder") << "missing/!t.txt";
    QTest::newRow("path of a folder") << ".";
    QTest::newRow("empty path") << "";
}

void ComputationWindowTest::failedSavesSayOnlySo()
{
    QFETCH(QString, path);
    open(ComputationWindow::trapezoid());
    press("Command1");
    const auto kept = m_window->result();
    const QString full = path.isEmpty() ? QString() : QDir(m_dir.path()).filePath(path);
    type("Text4", full);
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaveFailed)});
    QVERIFY(!QFile::exists(m_dir.filePath("missing")));
    QCOMPARE(field("Text4")->text(), full);
    QCOMPARE(m_window->result()->integral, kept->integral);
    // Put right, the same window saves.
    type("Text4", m_dir.filePath("after-failure.txt"));
    press("Command2");
    QCOMPARE(m_messages.last(), QString::fromUtf8(kSaved));
}

void ComputationWindowTest::windowsReportTheirOwnComputations()
{
    const QString paths[] = {m_dir.filePath("t.txt"), m_dir.filePath("s.txt")};
    std::unique_ptr<ComputationWindow> windows[2];
    open(ComputationWindow::trapezoid());
    type("Text3", "10");
    type("Text4", paths[0]);
    press("Command1");
    windows[0] = std::move(m_window);
    open(ComputationWindow::simpson());
    type("Text4", paths[1]);
    press("Command1");
    press("Command2");
    windows[1] = std::move(m_window);
    m_window = std::move(windows[0]);
    press("Command2");
    QCOMPARE(m_messages, (QStringList{QString::fromUtf8(kSaved), QString::fromUtf8(kSaved)}));

    QCOMPARE(readAll(paths[0]),
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804968885"),
                                              localised("0,0000178660"), "10")));
    QCOMPARE(readAll(paths[1]),
             reference::file(reference::lines(reference::simpsonMethod, localised("0,1804790224"),
                                              localised("0,0000000001"), "600")));
}

int main(int argc, char *argv[])
{
    return runAppTest<ComputationWindowTest>(argc, argv);
}

#include "computationwindowtest.moc"
