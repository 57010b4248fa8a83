#include "ui/RecipientDialog.h"

#include "store/RecipientInput.h"
#include "store/StoreTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

using store::RecipientField;

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "FirstName" -> "firstNameLineEdit", "WEB" -> "webLineEdit".
QString editName(std::string_view field)
{
    QString name = fromStd(field);
    if (name == name.toUpper()) {
        name = name.toLower();
    } else {
        name[0] = name[0].toLower();
    }
    return name + QStringLiteral("LineEdit");
}

bool isAdditionalField(RecipientField field)
{
    return field == RecipientField::Field1 || field == RecipientField::Field2 || field == RecipientField::Field3 ||
           field == RecipientField::Field4;
}

QString& rememberedFolder()
{
    static QString folder;
    return folder;
}

} // namespace

RecipientDialog::RecipientDialog(commands::GroupSetupCommands& list, const QString& title,
                                 const std::optional<store::RecipientRecord>& initial, QWidget* parent)
    : QDialog(parent)
    , m_list(list)
    , m_title(new QComboBox)
{
    setObjectName(QStringLiteral("recipientDialog"));
    setWindowTitle(title);
    m_chooser = [this](const QString& caption, const QString& folder) {
        return QFileDialog::getOpenFileName(this, caption, folder, tr("All files (*)"));
    };

    m_title->setObjectName(QStringLiteral("titleComboBox"));
    m_title->setEditable(true);
    m_title->addItems({QStringLiteral("Mr"), QStringLiteral("Ms"), QStringLiteral("Mrs"), QStringLiteral("Dr")});
    m_title->setCurrentIndex(-1);
    m_title->lineEdit()->setMaxLength(store::kTitleTypedLength);

    auto* grid = new QGridLayout;
    int row = 0;
    int column = 0;
    for (const auto& info : store::recipientFields()) {
        QWidget* editor = m_title;
        if (info.field != RecipientField::Title) {
            auto* edit = new QLineEdit;
            edit->setObjectName(editName(info.name));
            edit->setMaxLength(info.size);
            m_edits[static_cast<std::size_t>(info.field)] = edit;
            editor = edit;
            if (info.field == RecipientField::EmailAddress || isAdditionalField(info.field)) {
                edit->installEventFilter(this);
            }
            if (isAdditionalField(info.field)) {
                edit->setToolTip(tr("Double-click to choose a custom attachment for this recipient"));
            }
        }
        grid->addWidget(new QLabel(fromStd(info.label) + QLatin1Char(':')), row, column * 2);
        grid->addWidget(editor, row, column * 2 + 1);
        // Two columns of fields keep the dialog compact.
        if (++column == 2) {
            column = 0;
            ++row;
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RecipientDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RecipientDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    if (initial) {
        m_title->setEditText(fromStd(initial->get(RecipientField::Title)));
        for (const auto& info : store::recipientFields()) {
            if (QLineEdit* edit = fieldEdit(info.field)) {
                edit->setText(fromStd(initial->get(info.field)));
            }
        }
    }
    fieldEdit(RecipientField::EmailAddress)->setFocus();
}

QString RecipientDialog::lastAttachmentFolder()
{
    return rememberedFolder();
}

QLineEdit* RecipientDialog::fieldEdit(RecipientField field) const
{
    return m_edits[static_cast<std::size_t>(field)];
}

store::RecipientRecord RecipientDialog::record() const
{
    store::RecipientRecord record;
    record.set(RecipientField::Title, m_title->currentText().toStdString());
    for (const auto& info : store::recipientFields()) {
        if (const QLineEdit* edit = fieldEdit(info.field)) {
            record.set(info.field, edit->text().toStdString());
        }
    }
    return record;
}

void RecipientDialog::accept()
{
    const auto result = m_list.acceptRecipientDialog(record());
    if (!result.closeDialog) {
        fieldEdit(RecipientField::EmailAddress)->setFocus();
        return;
    }
    if (result.outcome == store::CommandOutcome::Done) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

void RecipientDialog::chooseAttachment(QLineEdit* field)
{
    const QString path = m_chooser(fromStd(store::text::kChooseAttachmentTitle), rememberedFolder());
    if (path.isEmpty()) {
        return;
    }
    if (!store::acceptCustomAttachmentPath(path.toStdString(), m_list.groups().prompter())) {
        return;
    }
    field->setText(path);
    rememberedFolder() = QFileInfo(path).absolutePath();
}

bool RecipientDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    if (edit == fieldEdit(RecipientField::EmailAddress) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        // Only typed characters are filtered; editing keys, shortcuts and pasted text pass.
        const bool printable =
            !typed.isEmpty() && typed.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable) {
            for (const char32_t c : typed.toUcs4()) {
                switch (store::classifyAddressKey(c)) {
                case store::AddressKey::Accept:
                    break;
                case store::AddressKey::RefuseSpace:
                    m_list.groups().prompter().message(store::text::kSpacesIllegal, Icon::Exclamation);
                    return true;
                case store::AddressKey::Drop:
                    return true;
                }
            }
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick && edit != fieldEdit(RecipientField::EmailAddress)) {
        chooseAttachment(edit);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tidecast::ui
