#pragma once

#include "common/DataFolderLock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

namespace tidecast::ui
{

// One running Tidecast per data folder: the data folder's writer lock plus a local socket. A
// second instance finds the lock taken, asks the first to bring its window forward, and ends;
// when the holder is another program (a mailing of tidecast-cli, say) it says so instead.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first; false when another instance holds the data folder
    // (that instance has then been asked to activate its window).
    bool claim();
    // After a failed claim() with another program holding the folder: why, for a message box.
    // Empty when the holder is another instance of the desktop.
    QString refusal() const { return m_refusal; }

    // The window the first instance brings forward when a second one starts.
    void setWindow(QWidget* window) { m_window = window; }

private:
    QString m_serverName;
    std::unique_ptr<DataFolderLock> m_lock;
    QString m_refusal;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
};

} // namespace tidecast::ui
