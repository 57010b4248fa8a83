#pragma once

#include "common/Prompter.h"
#include "mailing/SendResults.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPrinter;

namespace tidecast::ui
{

// The results of a finished mailing: the status line, the counts and elapsed time, any of the
// five logs, saving the shown log and printing a report.
class SendResultsDialog : public QDialog
{
    Q_OBJECT

public:
    SendResultsDialog(mailing::SendSummary summary, std::filesystem::path dataDir, Prompter& prompter,
                      QWidget* parent = nullptr);

    QString statusText() const;
    // Shows the log at this index of the selector ("Session Log" .. "Filtered Log").
    void showLog(int index);
    QString logText() const;

    // Writes the shown log; false (after the message) when it cannot be written.
    bool saveTo(const QString& path);
    void printTo(QPrinter& printer);

    // Tests choose the file instead of the save dialog.
    void setSaveChooser(std::function<QString(const QString& suggested)> chooser) { m_chooser = std::move(chooser); }

private:
    void onSave();
    void onPrint();
    void showContextMenu(const QPoint& at);

    mailing::SendSummary m_summary;
    std::filesystem::path m_dataDir;
    Prompter& m_prompter;
    std::function<QString(const QString&)> m_chooser;
    QComboBox* m_logSelector;
    QPlainTextEdit* m_viewer;
    QLabel* m_status;
};

} // namespace tidecast::ui
