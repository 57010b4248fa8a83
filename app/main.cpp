#include "settings/SettingsPaths.h"
#include "ui/Features.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTimer>

#include <cstdlib>
#include <optional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidecast"));
    QApplication::setApplicationDisplayName(tidecast::ui::applicationTitle());

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
        return 0;
    }

    tidecast::ui::QtPrompter prompter;
    tidecast::ui::MainWindow window(paths, prompter);
    prompter.setParent(&window);
    instance.setWindow(&window);
    tidecast::ui::installFeatures(window);
    window.Form_Load(commandLine);

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
