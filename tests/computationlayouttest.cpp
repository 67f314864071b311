// SPDX-License-Identifier: GPL-3.0-or-later
// The two computation windows as designed: where each control sits, what
// the two windows say differently and what they share, the tab order, the
// names screen readers say, and result areas that paint all their pixels.

#include "canvas/plotcanvas.h"
#include "forms/formbuilder.h"
#include "screens/computationwindow.h"
#include "tests/apptest.h"
#include "tests/windowdriver.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kvadrolab;
using namespace computation;
using namespace Qt::StringLiterals;

class ComputationLayoutTest : public QObject, public Driver
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsSitWhereDesigned_data();
    void controlsSitWhereDesigned();
    void captionsDifferTheRestIsShared_data();
    void captionsDifferTheRestIsShared();
    void tabVisitsInDesignedOrder_data();
    void tabVisitsInDesignedOrder();
    void fieldsSayWhatTheyHold();
    void resultAreasPaintEveryPixel_data();
    void resultAreasPaintEveryPixel();
};

void ComputationLayoutTest::init()
{
    m_messages.clear();
}

void ComputationLayoutTest::cleanup()
{
    m_window.reset();
}

void ComputationLayoutTest::controlsSitWhereDesigned_data()
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

void ComputationLayoutTest::controlsSitWhereDesigned()
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
    // The builder's conversion, pinned by hand-worked values in formtest.
    using kvadrolab::toPixels;
    const QRect designed(toPixels(twips.left()), toPixels(twips.top()), toPixels(twips.width()),
                         toPixels(twips.height()));
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

void ComputationLayoutTest::captionsDifferTheRestIsShared_data()
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

void ComputationLayoutTest::captionsDifferTheRestIsShared()
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

void ComputationLayoutTest::tabVisitsInDesignedOrder_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("trapezoid") << "Int_c_t" << QStringList{"Text3", "Text2",    "Text1",   "toMain",
                                                           "Text4", "Command2", "Command1"};
    QTest::newRow("Simpson") << "Int_c_s" << QStringList{"Text1", "Text2",    "Text3",   "toMain",
                                                         "Text4", "Command2", "Command1"};
}

void ComputationLayoutTest::tabVisitsInDesignedOrder()
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

void ComputationLayoutTest::fieldsSayWhatTheyHold()
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

void ComputationLayoutTest::resultAreasPaintEveryPixel_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("100 %") << qreal(1);
    QTest::newRow("150 %") << qreal(1.5);
    QTest::newRow("200 %") << qreal(2);
}

void ComputationLayoutTest::resultAreasPaintEveryPixel()
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

int main(int argc, char *argv[])
{
    return runAppTest<ComputationLayoutTest>(argc, argv);
}

#include "computationlayouttest.moc"
