// SPDX-License-Identifier: GPL-3.0-or-later
// The chart windows and About as designed: controls where the design puts
// them, with their texts, fonts, lines and pictures.

#include "app/windowcatalog.h"
#include "canvas/plotcanvas.h"
#include "forms/formbuilder.h"
#include "forms/formulapicture.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/pixels.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace kvadrolab;

Q_DECLARE_METATYPE(WindowId)

namespace {

// The builder's own conversion, pinned by hand-worked values in formtest.
using kvadrolab::toPixels;

QRect rectOf(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
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
        QCOMPARE(w->size(), QSize(toPixels(twips.width()), toPixels(twips.height())));
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

    // Read off the window's pixels: the run of the line's colour across its
    // designed path, at the middle of the path.
    void lines_data()
    {
        QTest::addColumn<WindowId>("id");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QLine>("twips");
        QTest::addColumn<int>("width");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("Pogr_compare Line4 legend")
            << WindowId::Pogr_compare << "Frame1" << QLine(2400, 7680, 3720, 7680) << 5
            << QColor(0, 0, 0);
        QTest::newRow("Pogr_compare Line6 legend")
            << WindowId::Pogr_compare << "Frame1" << QLine(7080, 7680, 8400, 7680) << 5
            << QColor(255, 0, 0);
        QTest::newRow("Pogr_compare Line1 rule")
            << WindowId::Pogr_compare << "Frame1" << QLine(0, 1560, 9480, 1560) << 2
            << QColor(0, 0, 0);
        QTest::newRow("Pogr_compare Line3 axis")
            << WindowId::Pogr_compare << "Frame1" << QLine(480, 7200, 480, 1680) << 1
            << QColor(0, 0, 0);
        QTest::newRow("Pogr_t Line2 axis")
            << WindowId::Pogr_t << "Frame2" << QLine(480, 480, 480, 3600) << 1 << QColor(0, 0, 0);
        QTest::newRow("Int_g Line1 axis")
            << WindowId::Int_g << "Frame1" << QLine(360, 4680, 6600, 4680) << 1 << QColor(0, 0, 0);
    }
    void lines()
    {
        QFETCH(WindowId, id);
        QFETCH(QString, container);
        QFETCH(QLine, twips);
        QFETCH(int, width);
        QFETCH(QColor, colour);
        std::unique_ptr<SecondaryWindow> w(createWindow(id));
        const QImage shown = w->grab().toImage();
        QCOMPARE(shown.size(), w->size()); // one image pixel to the logical pixel
        QWidget *frame = w->findChild<QWidget *>(container);
        QVERIFY(frame);
        const QPoint middle =
            frame->mapTo(w.get(), QPoint(toPixels((twips.x1() + twips.x2()) / 2),
                                         toPixels((twips.y1() + twips.y2()) / 2)));
        const QPoint across = twips.dy() == 0 ? QPoint(0, 1) : QPoint(1, 0);
        const auto inColour = [&](QPoint p) {
            return shown.rect().contains(p) && pixels::is(shown, p.x(), p.y(), colour.rgb());
        };
        QVERIFY(inColour(middle));
        int run = 1;
        for (QPoint p = middle - across; inColour(p); p -= across)
            ++run;
        for (QPoint p = middle + across; inColour(p); p += across)
            ++run;
        QCOMPARE(run, width);
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
    // control face colour. All draw in black: a line in the canvas's own
    // colour across a cleared canvas leaves black pixels and no other colour.
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
        // The canvas sizes its pixels when it first appears.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRgb back =
            white ? qRgb(255, 255, 255) : canvas->palette().color(QPalette::Button).rgb();
        const QRgb black = qRgb(0, 0, 0);
        const QImage empty = canvas->image();
        QVERIFY(!empty.isNull());
        QCOMPARE(pixels::countNot(empty, back), 0);

        canvas->setScale(0, 0, 1, 1);
        canvas->drawLine(0, 0.5, 1, 0.5);
        const QImage drawn = canvas->image();
        const int line = pixels::count(drawn, black);
        QVERIFY(line >= empty.width());
        QCOMPARE(pixels::countNot(drawn, back), line);
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
};

int main(int argc, char *argv[])
{
    return runAppTest<TestChartWindows>(argc, argv);
}

#include "chartwindowstest.moc"
