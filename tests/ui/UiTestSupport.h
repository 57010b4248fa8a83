#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "settings/SettingsPaths.h"
#include "store/GroupStore.h"
#include "store/RecipientStore.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

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

using GroupContents = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Groups made through the core, the way another front end would have left them, each with its
// addresses in the order given.
inline void makeGroups(const std::filesystem::path& dataDir, ScriptedPrompter& prompter, const GroupContents& groups)
{
    NullStatusSink status;
    NullProgress progress;
    SystemClock clock;
    store::GroupStore store(dataDir, prompter, status, progress, clock);
    for (const auto& [name, addresses] : groups) {
        store.beginAddGroup();
        QVERIFY(store.acceptGroupDialog("", name, {}).accepted());
        store.finishAddGroup();
        store::RecipientStore file;
        QVERIFY(file.open(store.groupPath(name)));
        QVERIFY(file.beginTransaction());
        for (const auto& address : addresses) {
            QVERIFY(file.addNew());
            QVERIFY(file.setField("EmailAddress", address));
        }
        QVERIFY(file.close());
    }
    prompter.clear();
}

} // namespace tidecast::uitest
