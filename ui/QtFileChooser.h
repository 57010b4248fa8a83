#pragma once

#include "messages/FileChooser.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace tidecast::ui
{

// The file dialogs of the message commands as Qt file dialogs.
class QtFileChooser final : public messages::FileChooser
{
public:
    explicit QtFileChooser(QWidget* parent)
        : m_parent(parent)
    {}

    std::optional<std::filesystem::path> openFile(const messages::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const messages::FileDialogRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

// "Description|*.a;*.b|..." as Qt's "Description (*.a *.b);;...".
QString toQtFilter(std::string_view filter);

// A save dialog in Qt's filter notation; a typed name without an extension gets the extension
// of the filter chosen in the dialog (none for "*.*"). Empty when cancelled.
QString askForSaveFileName(QWidget* parent, const QString& title, const QString& start, const QString& filter);

} // namespace tidecast::ui
