#include "ui/CommandIcons.h"

#include <QHash>
#include <QStandardPaths>
#include <QStringList>

namespace tidecast::ui
{

namespace
{

// A theme without this fallback (a bare window manager has none) still shows every icon.
const QString kFallbackTheme = QStringLiteral("Adwaita");

// Each command's icon names, best first: the standard name, then one that themes without it have.
const QHash<QString, QStringList>& iconNames()
{
    static const QHash<QString, QStringList> names = {
        {QStringLiteral("ID_New"), {QStringLiteral("document-new")}},
        {QStringLiteral("ID_Open"), {QStringLiteral("document-open")}},
        {QStringLiteral("ID_Save"), {QStringLiteral("document-save")}},
        {QStringLiteral("ID_Print"), {QStringLiteral("document-print")}},
        {QStringLiteral("ID_PrintSetup"), {QStringLiteral("document-page-setup")}},
        {QStringLiteral("ID_Send"), {QStringLiteral("mail-send")}},
        {QStringLiteral("ID_Exit"), {QStringLiteral("application-exit")}},
        {QStringLiteral("ID_Undo"), {QStringLiteral("edit-undo")}},
        {QStringLiteral("ID_Cut"), {QStringLiteral("edit-cut")}},
        {QStringLiteral("ID_Copy"), {QStringLiteral("edit-copy")}},
        {QStringLiteral("ID_Paste"), {QStringLiteral("edit-paste")}},
        {QStringLiteral("ID_Clear"), {QStringLiteral("edit-delete")}},
        {QStringLiteral("ID_SelectAll"), {QStringLiteral("edit-select-all")}},
        {QStringLiteral("ID_TextfromaFile..."), {QStringLiteral("insert-text")}},
        {QStringLiteral("ID_FileAttachments"), {QStringLiteral("mail-attachment")}},
        {QStringLiteral("ID_AttachaHTMLMessageFile"), {QStringLiteral("text-html"), QStringLiteral("insert-link")}},
        {QStringLiteral("ID_SpellCheck"), {QStringLiteral("tools-check-spelling")}},
        {QStringLiteral("ID_Search"), {QStringLiteral("edit-find")}},
        {QStringLiteral("ID_Import"), {QStringLiteral("document-import"), QStringLiteral("contact-new")}},
        {QStringLiteral("ID_ExportRecipients"),
         {QStringLiteral("document-export"), QStringLiteral("document-save-as")}},
        {QStringLiteral("ID_ExclusionList"), {QStringLiteral("list-remove-user"), QStringLiteral("mail-mark-junk")}},
        {QStringLiteral("ID_EmailSettings"), {QStringLiteral("preferences-system")}},
        {QStringLiteral("ID_Contents"), {QStringLiteral("help-contents")}},
        {QStringLiteral("ID_AboutEmberjayTidecast"), {QStringLiteral("help-about")}},
    };
    return names;
}

} // namespace

void useDesktopIconTheme()
{
    if (QIcon::fallbackThemeName() == kFallbackTheme) {
        return;
    }
    // Platforms without a desktop theme (offscreen, a bare X server) search no system folder and
    // name no theme: add the system's icon folders and use the fallback as the theme itself.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                                        QStandardPaths::LocateDirectory)) {
        if (!paths.contains(dir)) {
            paths << dir;
        }
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(kFallbackTheme);
    if (QIcon::themeName().isEmpty()) {
        QIcon::setThemeName(kFallbackTheme);
    }
}

QIcon commandIcon(const QString& id)
{
    for (const QString& name : iconNames().value(id)) {
        if (QIcon::hasThemeIcon(name)) {
            return QIcon::fromTheme(name);
        }
    }
    return {};
}

} // namespace tidecast::ui
