#include "platform/QtWindowServices.h"

#include <QTest>
#include <QWidget>

#include <optional>

namespace {

int alphaOf(const QWidget &window)
{
    return qRound(window.windowOpacity() * 255);
}

} // namespace

class tst_QtWindowServices : public QObject
{
    Q_OBJECT

private slots:
    // Alternating windows must each keep their own style and alpha.
    void shouldKeepEachWindowsStateApart()
    {
        QtWindowServices services;
        QWidget first;
        QWidget second;
        services.setAlpha(&first, 10);
        services.setAlpha(&second, 20);
        services.setExtendedStyle(&first, WindowServices::LayeredStyle);
        QCOMPARE(services.extendedStyle(&second), 0);
        QCOMPARE(services.extendedStyle(&first), WindowServices::LayeredStyle);
        services.setAlpha(&first, 20);
        QCOMPARE(alphaOf(first), 20);
        QCOMPARE(alphaOf(second), 20);
    }

    // A window made where a destroyed one lived starts afresh: a stale
    // alpha would keep its first setting from reaching it.
    void shouldForgetADestroyedWindow()
    {
        QtWindowServices services;
        std::optional<QWidget> slot;
        slot.emplace();
        const QWidget *old = &*slot;
        services.setExtendedStyle(&*slot, WindowServices::LayeredStyle);
        services.setAlpha(&*slot, 100);
        slot.reset();
        slot.emplace();
        QCOMPARE(&*slot, old);
        QCOMPARE(services.extendedStyle(&*slot), 0);
        services.setAlpha(&*slot, 100);
        QCOMPARE(alphaOf(*slot), 100);
    }
};

QTEST_MAIN(tst_QtWindowServices)
#include "tst_qtwindowservices.moc"
