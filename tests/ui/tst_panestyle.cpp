// Legibility of the panes' text on their materials, in both themes.
#include "TestRegistry.h"
#include "platform/Appearance.h"
#include "ui/Material.h"
#include "ui/PaneStyle.h"
#include "ui/ToneLabel.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

double luminance(QColor c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor over(QColor top, QColor bottom)
{
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

} // namespace

class TestPaneStyle : public QObject {
    Q_OBJECT

    void setTheme(bool dark)
    {
        Appearance::instance().apply(dark ? Appearance::Mode::Dark : Appearance::Mode::Light);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void cleanupTestCase() { Appearance::instance().apply(Appearance::Mode::Light); }

    void textReadsOnTheMaterials()
    {
        for (const QPalette& palette : {Appearance::lightPalette(), Appearance::darkPalette()}) {
            for (QColor map : {QColor(Qt::white), QColor(Qt::black), QColor(250, 245, 0)}) {
                for (auto kind : {Material::Kind::Bar, Material::Kind::Thin}) {
                    const QColor ground = over(Material::fill(kind, palette), map);
                    QVERIFY2(contrast(PaneStyle::primaryText(palette), ground) >= 4.5,
                             qPrintable(map.name()));
                    QVERIFY(contrast(over(PaneStyle::secondaryText(palette), ground), ground) >= 3);
                }
            }
        }
    }

    void labelsFollowTheTheme()
    {
        QWidget panel;
        auto* label =
            new ToneLabel(u"存在地域"_s, 10, QFont::Normal, ToneLabel::Tone::Secondary, &panel);
        for (bool dark : {false, true}) {
            setTheme(dark);
            QCOMPARE(label->palette().color(QPalette::WindowText),
                     PaneStyle::secondaryText(dark ? Appearance::darkPalette()
                                                   : Appearance::lightPalette()));
        }
        label->setTone(ToneLabel::Tone::Orange);
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 PaneStyle::orange(Appearance::darkPalette()));
    }

    // Scale steps and clock times keep their places whatever face the system offers.
    void figureLabelsGetDigitsOfOneWidth_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("the panes' face") << PaneStyle::font(100);
        QFont proportional = PaneStyle::font(100);
        proportional.setFamilies({u"Noto Serif CJK JP"_s}); // its "1" is narrower than its "0"
        QTest::newRow("a face with proportional figures") << proportional;
    }

    void figureLabelsGetDigitsOfOneWidth()
    {
        QFETCH(QFont, font);
        const QFontMetricsF metrics(PaneStyle::tabularDigits(font));
        for (char digit = '1'; digit <= '9'; ++digit)
            QCOMPARE(metrics.horizontalAdvance(QLatin1Char(digit)),
                     metrics.horizontalAdvance(QLatin1Char('0')));
    }
};

SHIGUREN_TEST(TestPaneStyle)
#include "tst_panestyle.moc"
