// The chart windows and About as designed: controls where the design puts
// them, with their texts, fonts, lines and pictures; About beside Main.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/formulapicture.h"
#include "forms/staticline.h"
#include "screens/secondarywindow.h"
#include "screens/windowcatalog.h"
#include "tests/apptest.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace kvadrolab;

Q_DECLARE_METATYPE(WindowId)

namespace {

// Twips to pixels, rounded, as the designs are laid out.
int px(int twips)
{
    return (twips + 7) / 15;
}

QRect rectOf(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace

class TestChartWindows : public QObject
{
    Q_OBJECT

private slots:
    void clientSize_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("twips");
        QTest::newRow("Pogr_t") << WindowId::Pogr_t << "Погрешность метода трапеций"
                                << QSize(9240, 7215);
        QTest::newRow("Pogr_s") << WindowId::Pogr_s << "Погрешность метода Симпсона"
                                << QSize(9165, 7020);
        QTest::newRow("Pogr_compare")
            << WindowId::Pogr_compare << "Сравнение погрешностей" << QSize(10005, 9300);
        QTest::newRow("Int_g") << WindowId::Int_g << "График изучаемой функции"
                               << QSize(7170, 6900);
        QTest::newRow("About") << WindowId::About << "О программе" << QSize(7185, 5970);
    }
    void clientSize()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, caption);
        QFETCH(QSize, twips);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->size(), QSize(px(twips.width()), px(twips.height())));
    }

    // A sample of each window's table, including the controls whose designed
    // place matters to the charts: canvases, axes, fields and buttons.
    void placement_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *tag, WindowId id, const char *name, const char *container,
                            QRect twips) {
            QTest::newRow(tag) << id << QString::fromUtf8(name) << QString::fromUtf8(container)
                               << twips;
        };
        row("Pogr_t Picture4", WindowId::Pogr_t, "Picture4", "Frame2", {600, 480, 4935, 3015});
        row("Pogr_t Frame2", WindowId::Pogr_t, "Frame2", "Frame1", {3000, 1920, 5895, 4095});
        row("Pogr_t Text2", WindowId::Pogr_t, "Text2", "Frame1", {2040, 2160, 615, 375});
        row("Pogr_t Command1", WindowId::Pogr_t, "Command1", "Pogr_t", {5640, 6480, 1335, 495});
        row("Pogr_t Label12_9", WindowId::Pogr_t, "Label12_9", "Frame2", {240, 2520, 135, 255});
        row("Pogr_s Frame2", WindowId::Pogr_s, "Frame2", "Frame1", {3000, 1920, 5775, 3975});
        row("Pogr_s Picture3", WindowId::Pogr_s, "Picture3", "Frame1", {240, 1080, 855, 495});
        row("Pogr_s Picture5", WindowId::Pogr_s, "Picture5", "Picture3", {0, 0, 855, 495});
        row("Pogr_s Picture1", WindowId::Pogr_s, "Picture1", "Frame1", {6840, 240, 1335, 735});
        row("Pogr_s Label3", WindowId::Pogr_s, "Label3", "Frame1", {1200, 1200, 615, 255});
        row("Pogr_s Label11", WindowId::Pogr_s, "Label11", "Frame2", {360, 3480, 255, 255});
        row("Pogr_s toMain", WindowId::Pogr_s, "toMain", "Pogr_s", {7200, 6360, 1335, 495});
        row("Pogr_compare Picture1", WindowId::Pogr_compare, "Picture1", "Frame1",
            {600, 1680, 8775, 5415});
        row("Pogr_compare Label9_20", WindowId::Pogr_compare, "Label9_20", "Frame1",
            {9000, 7320, 375, 255});
        row("Int_g Picture2", WindowId::Int_g, "Picture2", "Frame1", {480, 1200, 6015, 3375});
        row("Int_g Picture1_1", WindowId::Int_g, "Picture1_1", "Frame1", {1560, 240, 975, 855});
        row("Int_g Text1", WindowId::Int_g, "Text1", "Frame1", {4440, 600, 735, 285});
        row("Int_g Label12_1", WindowId::Int_g, "Label12_1", "Frame1", {6360, 4800, 135, 255});
        row("About Picture1", WindowId::About, "Picture1", "Frame1", {240, 360, 1575, 1455});
        row("About Label2_1", WindowId::About, "Label2_1", "Frame1", {1560, 1920, 3135, 615});
        row("About toMain", WindowId::About, "toMain", "About", {4440, 4680, 1335, 495});
    }
    void placement()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        auto *control = w->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(control->geometry(), rectOf(twips.x(), twips.y(), twips.width(), twips.height()));
    }

    // Texts the design gives byte for byte, with their slips and blanks.
    void texts_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Pogr_t Label2, 20 blanks")
            << WindowId::Pogr_t << "Label2"
            << QString("где М2 - наибольшее значение функции") + QString(20, ' ') +
                   "в промежутке (a, b)";
        QTest::newRow("Pogr_s Label2, 22 blanks")
            << WindowId::Pogr_s << "Label2"
            << QString("где М4 - наибольшее значение функции") + QString(22, ' ') +
                   "в промежутке (a, b)";
        QTest::newRow("Pogr_s Label12_0") << WindowId::Pogr_s << "Label12_0"
                                          << "117";
        QTest::newRow("Pogr_s Label12_12") << WindowId::Pogr_s << "Label12_12"
                                           << "9";
        QTest::newRow("Pogr_t Label9_3") << WindowId::Pogr_t << "Label9_3"
                                         << "4";
        QTest::newRow("Pogr_s Label7") << WindowId::Pogr_s << "Label7"
                                       << "I*10^(-4)";
        QTest::newRow("Pogr_compare Label1")
            << WindowId::Pogr_compare << "Label1"
            << "Для наглядной иллюстрациий погрешностей 2-х методов изобразим их функции на "
               "одном графике I=f(n):";
        QTest::newRow("Pogr_compare Label8_1") << WindowId::Pogr_compare << "Label8_1"
                                               << "n*10";
        QTest::newRow("Int_g Label11_5") << WindowId::Int_g << "Label11_5"
                                         << "4";
        QTest::newRow("Int_g Text1") << WindowId::Int_g << "Text1"
                                     << "0,001";
        QTest::newRow("About Label3")
            << WindowId::About << "Label3"
            << "На тему: Исследование методов вычисления определенных интегралов";
    }
    void texts()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, name);
        QFETCH(QString, text);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        QWidget *control = w->findChild<QWidget *>(name);
        QVERIFY(control);
        if (auto *label = qobject_cast<QLabel *>(control))
            QCOMPARE(label->text(), text);
        else
            QCOMPARE(qobject_cast<QLineEdit *>(control)->text(), text);
    }

    void lines_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("Pogr_compare Line4 legend")
            << WindowId::Pogr_compare << "Line4" << 5 << QColor(Qt::black);
        QTest::newRow("Pogr_compare Line6 legend")
            << WindowId::Pogr_compare << "Line6" << 5 << QColor(Qt::red);
        QTest::newRow("Pogr_compare Line1 rule")
            << WindowId::Pogr_compare << "Line1" << 2 << QColor(Qt::black);
        QTest::newRow("Pogr_compare Line3 axis")
            << WindowId::Pogr_compare << "Line3" << 1 << QColor(Qt::black);
        QTest::newRow("Pogr_t Line2 axis") << WindowId::Pogr_t << "Line2" << 1 << QColor(Qt::black);
        QTest::newRow("Int_g Line1 axis") << WindowId::Int_g << "Line1" << 1 << QColor(Qt::black);
    }
    void lines()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(QColor, colour);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        auto *line = w->findChild<StaticLine *>(name);
        QVERIFY(line);
        QCOMPARE(line->lineWidth(), width);
        QCOMPARE(line->colour(), colour);
    }

    void pictures_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("resource");
        QTest::newRow("Pogr_t formula") << WindowId::Pogr_t << "Picture1"
                                        << ":/pictures/bound_trapezoid.svg";
        QTest::newRow("Pogr_t f''") << WindowId::Pogr_t << "Picture3"
                                    << ":/pictures/d2.svg";
        QTest::newRow("Pogr_s formula") << WindowId::Pogr_s << "Picture1"
                                        << ":/pictures/bound_simpson.svg";
        QTest::newRow("Pogr_s f^IV") << WindowId::Pogr_s << "Picture2"
                                     << ":/pictures/d4.svg";
        QTest::newRow("Pogr_s f^IV child") << WindowId::Pogr_s << "Picture5"
                                           << ":/pictures/d4.svg";
        QTest::newRow("Int_g formula") << WindowId::Int_g << "Picture1_1"
                                       << ":/pictures/formula.svg";
        QTest::newRow("About integral") << WindowId::About << "Picture1"
                                        << ":/pictures/integral.svg";
    }
    void pictures()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, name);
        QFETCH(QString, resource);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        auto *picture = w->findChild<FormulaPicture *>(name);
        QVERIFY(picture);
        QCOMPARE(picture->resource(), resource);
        QVERIFY(picture->isValid());
    }

    // Error-bound charts are drawn on white; the function graph keeps the
    // control face colour. All draw in black.
    void canvasColours_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("white");
        QTest::newRow("Pogr_t") << WindowId::Pogr_t << "Picture4" << true;
        QTest::newRow("Pogr_s") << WindowId::Pogr_s << "Picture4" << true;
        QTest::newRow("Pogr_compare") << WindowId::Pogr_compare << "Picture1" << true;
        QTest::newRow("Int_g") << WindowId::Int_g << "Picture2" << false;
    }
    void canvasColours()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, name);
        QFETCH(bool, white);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        auto *canvas = w->findChild<PlotCanvas *>(name);
        QVERIFY(canvas);
        QCOMPARE(canvas->foreColor(), PlotCanvas::rgb(0, 0, 0));
        const QColor face = canvas->palette().color(QPalette::Button);
        QCOMPARE(canvas->backColor(), white
                                          ? PlotCanvas::rgb(255, 255, 255)
                                          : PlotCanvas::rgb(face.red(), face.green(), face.blue()));
    }

    void aboutFonts()
    {
        std::unique_ptr<SecondaryWindow> w(createWindow(WindowId::About));
        QCOMPARE(w->findChild<QLabel *>("Label2_1")->font().pointSizeF(), 18.0);
        QCOMPARE(w->findChild<QLabel *>("Label3")->font().pointSizeF(), 9.75);
        QCOMPARE(w->findChild<QLabel *>("Label1")->font().pointSizeF(), 8.25);
    }

    // Tab goes from "На главную" to the step and on to "Построить".
    void functionGraphTabOrder()
    {
        std::unique_ptr<SecondaryWindow> w(createWindow(WindowId::Int_g));
        auto *toMain = w->findChild<QWidget *>("toMain");
        auto *step = w->findChild<QWidget *>("Text1");
        auto *build = w->findChild<QWidget *>("Command1");
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(QApplication::focusWidget(), toMain);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), step);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), build);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), toMain);
    }

    // About opens beside Main; a window opened from the menu then hides Main
    // but not About; "На главную" hides About and leaves Main as it is.
    void aboutBesideMain()
    {
        MainWindow main;
        main.show();
        Navigator *nav = main.navigator();
        nav->openAbout();
        SecondaryWindow *about = nav->existing(WindowId::About);
        QVERIFY(about && about->isVisible());
        QVERIFY(main.isVisible());

        nav->openWindow(WindowId::Int_g);
        QVERIFY(!main.isVisible());
        QVERIFY(about->isVisible());
        nav->returnToMain(nav->existing(WindowId::Int_g));
        QVERIFY(main.isVisible());

        QTest::mouseClick(about->findChild<QPushButton *>("toMain"), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QVERIFY(main.isVisible());
        nav->openAbout();
        QCOMPARE(nav->existing(WindowId::About), about);
        QVERIFY(about->isVisible());
    }
};

int main(int argc, char *argv[])
{
    return runAppTest<TestChartWindows>(argc, argv);
}

#include "chartwindowstest.moc"
