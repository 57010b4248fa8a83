// Leaks one object from inside Qt's event loop on purpose. Under the sanitizers the test passes
// only when LeakSanitizer reports the leak, which proves the suppressions for Qt's own
// process-lifetime allocations do not also hide leaks of ours that happen under Qt frames.
#include <QApplication>
#include <QObject>
#include <QTimer>

namespace
{

// Kept in a global so the compiler cannot drop the allocation; a widget would not do, since the
// application keeps a list of every widget.
QObject* g_leaked = nullptr;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTimer::singleShot(0, &app, [] {
        g_leaked = new QObject;
        g_leaked = nullptr; // the only pointer is dropped: a real leak
        QApplication::quit();
    });
    return QApplication::exec();
}
