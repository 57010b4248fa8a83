#include "ui/QtFileChooser.h"

#include <QFileDialog>

namespace tidecast::ui
{

namespace
{

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "tcx" for "Message Files (*.tcx *.tc2)"; empty when the first pattern has no plain extension.
QString filterExtension(const QString& nameFilter)
{
    const auto open = nameFilter.lastIndexOf(QLatin1Char('('));
    const QString patterns = nameFilter.mid(open + 1).chopped(nameFilter.endsWith(QLatin1Char(')')) ? 1 : 0);
    const QString first = patterns.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QStringLiteral("*."))) {
        return {};
    }
    const QString extension = first.mid(2);
    const bool plain = !extension.isEmpty() && !extension.contains(QLatin1Char('*')) &&
                       !extension.contains(QLatin1Char('?')) && !extension.contains(QLatin1Char('['));
    return plain ? extension : QString();
}

} // namespace

QString askForSaveFileName(QWidget* parent, const QString& title, const QString& start, const QString& filter)
{
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(filterExtension(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& chosen) { dialog.setDefaultSuffix(filterExtension(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString toQtFilter(std::string_view filter)
{
    const QStringList parts = fromStd(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // Qt reads the patterns from the last parentheses, so a description's own list goes.
        if (description.endsWith(QLatin1Char(')'))) {
            const auto open = description.lastIndexOf(QLatin1Char('('));
            if (open > 0) {
                description = description.left(open).trimmed();
            }
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::filesystem::path> QtFileChooser::openFile(const messages::FileDialogRequest& request)
{
    const QString path =
        QFileDialog::getOpenFileName(m_parent, fromStd(request.title),
                                     QString::fromStdString(request.startFolder.string()), toQtFilter(request.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(path.toStdString());
}

std::optional<std::filesystem::path> QtFileChooser::saveFile(const messages::FileDialogRequest& request)
{
    QString start = QString::fromStdString(request.startFolder.string());
    if (!request.defaultName.empty()) {
        const QString name = fromStd(request.defaultName);
        start = name.contains(QLatin1Char('/')) || start.isEmpty() ? name : start + QLatin1Char('/') + name;
    }
    const QString path = askForSaveFileName(m_parent, fromStd(request.title), start, toQtFilter(request.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(path.toStdString());
}

} // namespace tidecast::ui
