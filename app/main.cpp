#include "settings/SettingsPaths.h"
#include "ui/Features.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenshotTour.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStringList>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>

namespace
{

// Answered before Qt starts, so they work without a display (the man page is made from them).
constexpr const char* kUsage = R"(Usage: tidecast [--data-dir DIR] [DOCUMENT]
Corvane Tidecast: mail groups of recipients, personally or in bulk.

The whole command line after the options names a message document to open.

Options:
  --data-dir DIR  Use DIR as the data folder
  --help          Print this help and exit
  --version       Print the version and exit

The data folder is --data-dir DIR, else $TIDECAST_DATA, else the program's folder when it holds
ej.dat (a portable install), else ~/.local/share/tidecast/. Per-user settings outside it live in
~/.config/tidecast/. Qt's own options, such as -platform NAME, are accepted too.
tidecast-cli works on the same data folder without a display.
)";

std::optional<int> answerWithoutDisplay(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data-dir") == 0) {
            ++i;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "tidecast " TIDECAST_VERSION "\n";
            return 0;
        }
    }
    return std::nullopt;
}

// The icon's PNG sizes built into the program, for desktops whose theme lacks it.
QIcon builtInIcon()
{
    QIcon icon;
    const QDir folder(QStringLiteral(":/icons"));
    for (const QString& file : folder.entryList(QDir::Files)) {
        icon.addFile(folder.filePath(file));
    }
    return icon;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto status = answerWithoutDisplay(argc, argv)) {
        return *status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidecast"));
    QApplication::setApplicationDisplayName(tidecast::ui::applicationTitle());
    // The desktop entry's name, so the desktop matches windows to it and shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.corvane.Tidecast"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.corvane.Tidecast"), builtInIcon()));

    // "--data-dir DIR" chooses the data folder; everything else is the command line, whose whole
    // text names the document to open.
    std::optional<std::filesystem::path> dataDir;
    QStringList words;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--data-dir") && i + 1 < arguments.size()) {
            dataDir = arguments[++i].toStdString();
        } else {
            words << arguments[i];
        }
    }
    const QString commandLine = words.join(QLatin1Char(' '));

    tidecast::settings::SettingsPaths paths;
    paths.dataDir = tidecast::settings::resolveDataDir(dataDir, QApplication::applicationDirPath().toStdString());
    paths.configDir = tidecast::settings::resolveConfigDir();

    // A second instance brings the first forward and ends without writing anything.
    tidecast::ui::SingleInstance instance(QString::fromStdString(paths.dataFolder()));
    if (!instance.claim()) {
        if (!instance.refusal().isEmpty()) {
            tidecast::ui::QtPrompter refused;
            refused.message(instance.refusal().toStdString(), tidecast::Icon::Critical);
            return 2;
        }
        return 0;
    }

    tidecast::ui::QtPrompter prompter;
    tidecast::ui::MainWindow window(paths, prompter);
    prompter.setParent(&window);
    instance.setWindow(&window);
    tidecast::ui::installFeatures(window);
    window.start(commandLine);

    // The documentation's screenshots: every tab and dialog, then close.
    if (const char* folder = std::getenv("TIDECAST_SCREENSHOTS"); folder != nullptr && *folder != '\0') {
        tidecast::ui::startScreenshotTour(window, QString::fromLocal8Bit(folder));
    }
    // The README's screenshot: grab the window once it is up, then close.
    if (const char* shot = std::getenv("TIDECAST_SCREENSHOT"); shot != nullptr && *shot != '\0') {
        const QString file = QString::fromLocal8Bit(shot);
        QTimer::singleShot(1500, &window, [&window, file] {
            window.grab().save(file);
            window.setDuplicateInstance(true); // a screenshot run leaves the settings alone
            window.close();
        });
    }
    return app.exec();
}
