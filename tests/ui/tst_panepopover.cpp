#include "ui/Popover.h"
#include "ui/RadarLegendView.h"
#include "ui/TyphoonDetailView.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Placement = Popover::Placement;
using Edge = Popover::ArrowEdge;

Q_DECLARE_METATYPE(Popover::Placement)

class TestPanePopover : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<Placement>("placement");
        // Content 200 × 100: the popup is 216 × 124 with its margins and arrow.
        QTest::newRow("under the button")
            << QRect(100, 100, 60, 24) << Placement{QRect(22, 116, 216, 124), Edge::Top, 108};
        QTest::newRow("above when the screen ends below")
            << QRect(100, 1040, 60, 24) << Placement{QRect(22, 924, 216, 124), Edge::Bottom, 108};
        QTest::newRow("kept on screen, arrow still towards the button")
            << QRect(1890, 100, 20, 20) << Placement{QRect(1704, 112, 216, 124), Edge::Top, 189};
        QTest::newRow("at the left edge")
            << QRect(0, 100, 10, 20) << Placement{QRect(0, 112, 216, 124), Edge::Top, 27};
    }

    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(Placement, placement);
        QCOMPARE(Popover::place(QSize(200, 100), anchor, QRect(0, 0, 1920, 1080)), placement);
    }

    void closesWithItsButton()
    {
        QWidget window;
        auto* button = new QPushButton(u"凡例"_s, &window);
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        Popover popover(&window);
        popover.setContent(new RadarLegendView);
        QSignalSpy closed(&popover, &Popover::closed);
        popover.showAnchoredTo(button);
        QVERIFY(popover.isVisible());
        QCOMPARE(popover.arrowEdge(), Edge::Top);
        // The content sits inside the margins, under the arrow.
        QCOMPARE(popover.content()->geometry().topLeft(),
                 QPoint(Popover::kMargin, Popover::kMargin + Popover::kArrowHeight));
        QCOMPARE(popover.content()->size(), popover.content()->sizeHint());

        button->hide();
        QVERIFY(!popover.isVisible());
        QCOMPARE(closed.count(), 1);

        button->show();
        popover.showAnchoredTo(button);
        QTest::keyClick(&popover, Qt::Key_Escape);
        QVERIFY(!popover.isVisible());
        QCOMPARE(closed.count(), 2);

        popover.showAnchoredTo(button);
        delete button;
        QVERIFY(!popover.isVisible());
        QCOMPARE(popover.anchor(), nullptr);
    }

    void followsItsContentsSize()
    {
        QWidget window;
        auto* button = new QPushButton(u"台風"_s, &window);
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        Popover popover(&window);
        auto* view = new TyphoonDetailView;
        popover.setContent(view);
        popover.showAnchoredTo(button);
        QCOMPARE(popover.width(), TyphoonDetailView::kWidth + 2 * Popover::kMargin);
        const int before = popover.height();

        TyphoonInfo info;
        info.typhoonNumber = u"14"_s;
        info.location = u"日本の南"_s;
        info.pressureHpa = u"985"_s;
        view->setContent({{info, info}, false, {}, {}});
        QTRY_VERIFY(popover.height() > before);
        QCOMPARE(view->height(), popover.height() - 2 * Popover::kMargin - Popover::kArrowHeight);
        QVERIFY(view->height() >= view->minimumSizeHint().height());
    }

    void legendSteps()
    {
        const auto& steps = RadarLegendView::steps();
        QStringList labels;
        for (const auto& step : steps)
            labels.append(step.label);
        QCOMPARE(labels, (QStringList{u"0.1"_s, u"1"_s, u"5"_s, u"10"_s, u"20"_s, u"30"_s, u"50"_s,
                                      u"80"_s}));
        QCOMPARE(steps.first().color.redF(), 242 / 255.0f);
        QCOMPARE(steps.last().color, QColor(180, 0, 104));
        for (const auto& step : steps)
            QCOMPARE(step.color.alpha(), 255);
    }

    void legendDrawsExactSwatches_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }

    void legendDrawsExactSwatches()
    {
        QFETCH(qreal, ratio);
        RadarLegendView legend;
        const QSize size = legend.sizeHint();
        // Eight 26-wide swatches in one bar, plus padding.
        QCOMPARE(legend.entryWidths(), QList<int>(8, 26));
        QCOMPARE(size.width(), 8 * 26 + 2 * RadarLegendView::kPadding);
        legend.resize(size);

        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        legend.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

        // Find the swatch row under the title, then probe each swatch's first and last pixel
        // columns and its bottom row, so a seam, a blend or a blurred edge shows.
        int row = -1;
        for (int y = 0; y < image.height() && row < 0; ++y) {
            if (image.pixelColor(int(RadarLegendView::kPadding * ratio), y) ==
                RadarLegendView::steps().first().color)
                row = y;
        }
        QVERIFY(row >= 0);
        for (int i = 0; i < 8; ++i) {
            const QColor expected = RadarLegendView::steps()[i].color;
            const int left = int((RadarLegendView::kPadding + 26 * i) * ratio);
            const int right = int((RadarLegendView::kPadding + 26 * (i + 1)) * ratio) - 1;
            QCOMPARE(image.pixelColor(left, row), expected);
            QCOMPARE(image.pixelColor(right, row), expected);
            QCOMPARE(image.pixelColor(left, int(row + 9 * ratio) - 1), expected);
        }
    }
};

QTEST_MAIN(TestPanePopover)
#include "tst_panepopover.moc"
