#include "ui/SpellCheckDialog.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr std::size_t kContextBytes = 40;

// The word with some text either side, the word in bold.
QString contextOf(const messages::SpellQuery& query)
{
    const std::size_t from = query.span.start > kContextBytes ? query.span.start - kContextBytes : 0;
    const std::size_t to = std::min(query.text.size(), query.span.start + query.span.length + kContextBytes);
    // Widen to whole UTF-8 characters.
    std::size_t start = from;
    while (start > 0 && (static_cast<unsigned char>(query.text[start]) & 0xC0) == 0x80) {
        --start;
    }
    std::size_t end = to;
    while (end < query.text.size() && (static_cast<unsigned char>(query.text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    const auto before = fromStd(query.text.substr(start, query.span.start - start)).toHtmlEscaped();
    const auto word = fromStd(query.word).toHtmlEscaped();
    const auto after =
        fromStd(query.text.substr(query.span.start + query.span.length, end - query.span.start - query.span.length))
            .toHtmlEscaped();
    QString html = before + QStringLiteral("<b>") + word + QStringLiteral("</b>") + after;
    html.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return html;
}

} // namespace

SpellCheckDialog::SpellCheckDialog(QWidget* parent)
    : QDialog(parent)
    , m_context(new QLabel(this))
    , m_word(new QLineEdit(this))
    , m_changeTo(new QLineEdit(this))
    , m_suggestions(new QListWidget(this))
{
    setObjectName(QStringLiteral("spellCheckDialog"));
    m_context->setObjectName(QStringLiteral("contextLabel"));
    m_word->setObjectName(QStringLiteral("notFoundLineEdit"));
    m_changeTo->setObjectName(QStringLiteral("changeToLineEdit"));
    m_suggestions->setObjectName(QStringLiteral("suggestionsListWidget"));
    m_context->setTextFormat(Qt::RichText);
    m_context->setWordWrap(true);
    m_word->setReadOnly(true);

    struct ButtonSpec
    {
        const char* caption;
        const char* name;
        messages::SpellActionKind kind;
    };
    const ButtonSpec specs[] = {
        {"&Ignore", "ignoreButton", messages::SpellActionKind::Ignore},
        {"I&gnore All", "ignoreAllButton", messages::SpellActionKind::IgnoreAll},
        {"&Change", "changeButton", messages::SpellActionKind::Change},
        {"C&hange All", "changeAllButton", messages::SpellActionKind::ChangeAll},
        {"&Add", "addButton", messages::SpellActionKind::Add},
        {"Cancel", "cancelButton", messages::SpellActionKind::Cancel},
    };
    auto* buttons = new QVBoxLayout;
    for (const auto& spec : specs) {
        auto* button = new QPushButton(tr(spec.caption), this);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setAutoDefault(false);
        const auto kind = spec.kind;
        connect(button, &QPushButton::clicked, this, [this, kind] { finish(kind); });
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Not in Dictionary:"), m_word);
    fields->addRow(tr("Change To:"), m_changeTo);
    fields->addRow(tr("Suggestions:"), m_suggestions);
    auto* left = new QVBoxLayout;
    left->addWidget(m_context);
    left->addLayout(fields);
    auto* layout = new QGridLayout(this);
    layout->addLayout(left, 0, 0);
    layout->addLayout(buttons, 0, 1);

    connect(m_suggestions, &QListWidget::currentTextChanged, m_changeTo, &QLineEdit::setText);
    connect(m_suggestions, &QListWidget::itemDoubleClicked, this,
            [this] { finish(messages::SpellActionKind::Change); });
}

messages::SpellAction SpellCheckDialog::askAbout(const messages::SpellQuery& query)
{
    setWindowTitle(fromStd(query.caption));
    m_context->setText(contextOf(query));
    m_word->setText(fromStd(query.word));
    m_suggestions->clear();
    for (const auto& suggestion : query.suggestions) {
        m_suggestions->addItem(fromStd(suggestion));
    }
    if (m_suggestions->count() > 0) {
        m_suggestions->setCurrentRow(0);
    } else {
        m_changeTo->setText(fromStd(query.word));
    }
    m_changeTo->setFocus();
    m_changeTo->selectAll();
    if (m_beforeAsking) {
        m_beforeAsking(query, *this);
    }
    // Closing the window counts as Cancel.
    m_action = {messages::SpellActionKind::Cancel, {}};
    exec();
    return m_action;
}

void SpellCheckDialog::finish(messages::SpellActionKind kind)
{
    m_action = {kind, m_changeTo->text().toStdString()};
    accept();
}

} // namespace tidecast::ui
