// SPDX-License-Identifier: GPL-3.0-or-later
// Every number field of every window, typed into as a careless or hostile
// user would. Whatever the text, a press of the window's action button either
// shows a result or exactly one message (never both, never a half-drawn
// picture), returns promptly, and leaves the window working.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/secondarywindow.h"
#include "studywindow/studywindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kvadrolab;

Q_DECLARE_METATYPE(WindowId)

namespace {

struct Target
{
    WindowId id;
    const char *title;
    QStringList fields;
    QStringList canvases;
};

const QList<Target> &targets()
{
    static const QList<Target> all = {
        {WindowId::Int_c_t, "Int_c_t", {"Text1", "Text2", "Text3"}, {"Picture4", "Picture5"}},
        {WindowId::Int_c_s, "Int_c_s", {"Text1", "Text2", "Text3"}, {"Picture4", "Picture5"}},
        {WindowId::Int_g, "Int_g", {"Text1"}, {"Picture2"}},
        {WindowId::Pogr_t, "Pogr_t", {"Text1", "Text2"}, {"Picture4"}},
        {WindowId::Pogr_s, "Pogr_s", {"Text1", "Text2"}, {"Picture4"}},
        {WindowId::Pogr_compare, "Pogr_compare", {"Text1", "Text2"}, {"Picture1"}},
        {WindowId::Conv,
         "Conv",
         {"Formula", "Text1", "Text2", "Text3"},
         {"RulePicture", "ErrorChart", "DerivativeChart"}},
    };
    return all;
}

QStringList hostileTexts()
{
    return {QString(),
            QStringLiteral("   "),
            QStringLiteral("abc"),
            QStringLiteral("12abc"),
            QStringLiteral("1,5"),
            QStringLiteral("1.5"),
            QStringLiteral("1,5,5"),
            QStringLiteral("1..5"),
            QStringLiteral("1,5.5"),
            QStringLiteral("+2"),
            QStringLiteral("-2"),
            QString::fromUtf8("\u22122"),
            QStringLiteral("--2"),
            QStringLiteral("1e308"),
            QStringLiteral("-1e308"),
            QStringLiteral("1e-320"),
            QStringLiteral("-1e-320"),
            QStringLiteral("1e-400"),
            QStringLiteral("1e400"),
            QStringLiteral("1e99999999999999"),
            QStringLiteral("inf"),
            QStringLiteral("-Infinity"),
            QStringLiteral("nan"),
            QStringLiteral("NaN"),
            QStringLiteral("0x10"),
            QStringLiteral("1 000"),
            QStringLiteral("1e"),
            QStringLiteral("e5"),
            QStringLiteral(","),
            QStringLiteral("."),
            QStringLiteral("-"),
            QString(400, QLatin1Char('9')),
            QStringLiteral("0,") + QString(400, QLatin1Char('0')) + QLatin1Char('1'),
            QString::fromUtf8("\uff16"),      // fullwidth digit six
            QString::fromUtf8("\u0663"),      // Arabic-Indic digit three
            QString::fromUtf8("6\U0001F600"), // emoji
            QString::fromUtf8("\u03a9"),
            QString::fromUtf8("\u0661\u0660"),
            QStringLiteral("0"),
            QStringLiteral("-0"),
            QStringLiteral("7"),
            QStringLiteral(" 7 ")};
}

} // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyField_data();
    void everyField();

private:
    struct Outcome
    {
        QStringList messages;
        bool anyBlank = false, allBlank = true;
    };
    Outcome press(SecondaryWindow *w, const Target &t);

    MainWindow *m_main = nullptr;
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};
};

void HostileInputTest::initTestCase()
{
    m_main = new MainWindow;
    m_main->show();
}

void HostileInputTest::cleanupTestCase()
{
    delete m_main;
}

HostileInputTest::Outcome HostileInputTest::press(SecondaryWindow *w, const Target &t)
{
    m_messages.clear();
    // The study window works on a thread of its own: its answer is what
    // it shows once the study ends.
    auto *study = qobject_cast<StudyWindow *>(w);
    QSignalSpy studied(w, SIGNAL(studied()));
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    if (study && study->studying())
        studied.wait(10000);
    Outcome o;
    o.messages = m_messages;
    for (const QString &name : t.canvases) {
        const bool b = testsupport::isBlank(*w->findChild<PlotCanvas *>(name));
        o.anyBlank = o.anyBlank || b;
        o.allBlank = o.allBlank && b;
    }
    return o;
}

void HostileInputTest::everyField_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    for (int i = 0; i < targets().size(); ++i)
        for (const QString &field : targets()[i].fields) {
            int k = 0;
            for (const QString &text : hostileTexts())
                QTest::addRow("%s %s #%d %s", targets()[i].title, qPrintable(field), k++,
                              qPrintable(text.left(12)))
                    << i << field << text;
        }
}

void HostileInputTest::everyField()
{
    QFETCH(int, target);
    QFETCH(QString, field);
    QFETCH(QString, text);
    const Target &t = targets()[target];
    m_main->navigator()->openWindow(t.id);
    SecondaryWindow *w = m_main->navigator()->existing(t.id);
    QVERIFY(w);
    auto *edit = w->findChild<QLineEdit *>(field);
    QVERIFY(edit);
    const QString original = edit->text();

    edit->setText(text);
    const Outcome o = press(w, t);
    QVERIFY2(o.messages.size() <= 1, qPrintable(o.messages.join(" | ")));
    if (o.messages.size() == 1) {
        // Refused: nothing of a result or a chart may be left on screen.
        QVERIFY2(o.allBlank, "a message, and something drawn beside it");
        QVERIFY(!o.messages.first().isEmpty());
    } else {
        QVERIFY2(!o.anyBlank, "neither a result nor a message");
    }
    QCOMPARE(edit->text(), text); // the user's text is left for them to correct

    // The window still works once the text is put right.
    edit->setText(original);
    const Outcome again = press(w, t);
    QVERIFY2(again.messages.isEmpty(), qPrintable(again.messages.join(" | ")));
    QVERIFY(!again.anyBlank);
    m_main->navigator()->returnToMain(w);
}

int main(int argc, char *argv[])
{
    return runAppTest<HostileInputTest>(argc, argv);
}

#include "hostileinputtest.moc"
