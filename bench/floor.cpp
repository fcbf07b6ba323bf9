// The floor for the performance figures: the least a visible 10 Hz Qt
// Widgets program costs. A frameless window the gauge's size and a 100 ms
// timer whose slot does nothing.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("dimmerling-floor"));
    window.setFixedSize(257, 17);
    window.show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &app, [] {});
    tick.start(100);
    return QApplication::exec();
}
