#pragma once

#include "settings/SettingsPaths.h"

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>

namespace tidecast::uitest
{

// The widget of type T named `name` under `parent`; a missing one ends the test run.
template <typename T> T* child(QWidget& parent, const char* name)
{
    auto* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no widget %s", name);
    }
    return found;
}

// Runs `work` on the modal dialog of type D as soon as it is shown.
template <typename D> void whenModal(std::function<void(D*)> work)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, work] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            work(dialog);
        }
    });
    timer->start();
}

// The data folder "data/" (made here) and the configuration folder "config" under `dir`.
inline settings::SettingsPaths pathsUnder(const QString& dir)
{
    settings::SettingsPaths paths;
    paths.dataDir = (dir + QStringLiteral("/data/")).toStdString();
    paths.configDir = (dir + QStringLiteral("/config")).toStdString();
    std::filesystem::create_directories(paths.dataDir);
    return paths;
}

} // namespace tidecast::uitest
