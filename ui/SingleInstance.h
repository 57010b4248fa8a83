#pragma once

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace tidecast::ui
{

// One running Tidecast per data folder: a lock file in the data folder plus a local socket. A
// second instance finds the lock taken, asks the first to bring its window forward, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first; false when another instance holds the data folder
    // (that instance has then been asked to activate its window).
    bool claim();

    // The window the first instance brings forward when a second one starts.
    void setWindow(QWidget* window) { m_window = window; }

private:
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
};

} // namespace tidecast::ui
