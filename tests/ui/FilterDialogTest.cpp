#include "ui/FilterDialog.h"

#include "UiTestSupport.h"
#include "support/ScriptedPrompter.h"
#include "ui/FilterListWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

using uitest::child;

// Fills the dialog's include (or ignore) criteria and presses OK.
void fillAndOk(FilterDialog& dialog, bool ignore, const QString& field, const QString& comparison, const QString& value,
               bool caseSensitive = false)
{
    const char* prefix = ignore ? "ignore" : "include";
    auto name = [&](const char* role) { return QByteArray(prefix) + role; };
    // A radio button reacts only to clicks on its indicator and text.
    auto* option = child<QRadioButton>(dialog, name("RadioButton").constData());
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    auto* fieldBox = child<QComboBox>(dialog, name("FieldComboBox").constData());
    fieldBox->setCurrentIndex(fieldBox->findText(field));
    auto* comparisonBox = child<QComboBox>(dialog, name("ComparisonComboBox").constData());
    comparisonBox->setCurrentIndex(comparisonBox->findText(comparison));
    auto* valueBox = child<QLineEdit>(dialog, name("ValueLineEdit").constData());
    valueBox->clear();
    QTest::keyClicks(valueBox, value);
    child<QCheckBox>(dialog, "caseSensitiveCheckBox")->setChecked(caseSensitive);
    QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
}

} // namespace

class FilterDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void addsRefusesDuplicatesAndEmptyValues()
    {
        ScriptedPrompter prompter;
        filters::FilterList list;
        {
            FilterDialog dialog(filters::FilterContext::Send, list, prompter);
            dialog.show();
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Create a new Send Filter"));
            QCOMPARE(child<QRadioButton>(dialog, "includeRadioButton")->text(),
                     QStringLiteral("Only Send to recipients where the following criteria is met:"));
            QCOMPARE(child<QComboBox>(dialog, "includeFieldComboBox")->count(), 20);

            fillAndOk(dialog, false, QStringLiteral("City"), QStringLiteral("Contains"), QString());
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.focusWidget(), child<QLineEdit>(dialog, "includeValueLineEdit"));
            fillAndOk(dialog, false, QStringLiteral("City"), QStringLiteral("Equals"), QStringLiteral(" London "));
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(list, (filters::FilterList{"Send where 'City'  Equals 'London'"}));

        FilterDialog again(filters::FilterContext::Send, list, prompter);
        again.show();
        fillAndOk(again, false, QStringLiteral("City"), QStringLiteral("Equals"), QStringLiteral("London"));
        QVERIFY(again.isVisible());
        QCOMPARE(list.size(), std::size_t(1));
        fillAndOk(again, true, QStringLiteral("Email Address"), QStringLiteral("Ends with"), QStringLiteral(".org"),
                  true);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(list.back(), std::string("IGNORE where 'Email Address' Ends with '.org' -CS"));

        QCOMPARE(prompter.texts(), (std::vector<std::string>{std::string(filters::kFilterValueMissingMessage),
                                                             std::string(filters::kFilterDuplicateMessage)}));
    }

    void modifyStartsFromTheLineAndMovesItToTheEnd()
    {
        ScriptedPrompter prompter;
        filters::FilterList list{"Import where 'City'  Equals 'Leeds'",
                                 "IGNORE where 'Full Name Macro' Starts with 'Mr' -CS",
                                 "Import where 'Country'  Equals 'UK'"};
        FilterDialog dialog(filters::FilterContext::ImportOneNameField, list, prompter);
        dialog.setModifying(1);
        dialog.show();
        QVERIFY(child<QRadioButton>(dialog, "ignoreRadioButton")->isChecked());
        QCOMPARE(child<QComboBox>(dialog, "ignoreFieldComboBox")->currentText(), QStringLiteral("Full Name Macro"));
        QCOMPARE(child<QComboBox>(dialog, "ignoreComparisonComboBox")->currentText(), QStringLiteral("Starts with"));
        QCOMPARE(child<QLineEdit>(dialog, "ignoreValueLineEdit")->text(), QStringLiteral("Mr"));
        QVERIFY(child<QCheckBox>(dialog, "caseSensitiveCheckBox")->isChecked());

        fillAndOk(dialog, true, QStringLiteral("Full Name Macro"), QStringLiteral("Starts with"), QStringLiteral("Dr"),
                  true);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(list,
                 (filters::FilterList{"Import where 'City'  Equals 'Leeds'", "Import where 'Country'  Equals 'UK'",
                                      "IGNORE where 'Full Name Macro' Starts with 'Dr' -CS"}));
        QVERIFY(prompter.log().empty());
    }

    void listEditingKeepsTheSelection()
    {
        ScriptedPrompter prompter;
        FilterListWidget widget(filters::FilterContext::Import, {true, true, filters::FilterFileKind::Import},
                                prompter);
        widget.setFilters(
            {"Import where 'City'  Equals 'A'", "Import where 'City'  Equals 'B'", "Import where 'City'  Equals 'C'"});
        widget.show();
        auto* view = child<QListWidget>(widget, "filtersListWidget");

        QTest::mouseClick(child<QPushButton>(widget, "modifyFilterButton"), Qt::LeftButton);
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Please select a valid Filter first."});

        view->setCurrentRow(2);
        QTest::mouseClick(child<QPushButton>(widget, "moveUpButton"), Qt::LeftButton);
        QCOMPARE(widget.filters()[1], std::string("Import where 'City'  Equals 'C'"));
        QCOMPARE(view->currentRow(), 1);
        QTest::mouseClick(child<QPushButton>(widget, "moveUpButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(widget, "moveUpButton"), Qt::LeftButton);
        QCOMPARE(view->currentRow(), 0);
        QCOMPARE(widget.filters()[0], std::string("Import where 'City'  Equals 'C'"));

        // Double-clicking a line opens the dialog in modify mode; OK unchanged moves it to the end.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<FilterDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(child<QLineEdit>(*dialog, "includeValueLineEdit")->text(), QStringLiteral("C"));
            QTest::mouseClick(child<QPushButton>(*dialog, "okButton"), Qt::LeftButton);
        });
        const QPoint first = view->visualItemRect(view->item(0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(widget.filters().back(), std::string("Import where 'City'  Equals 'C'"));
        QCOMPARE(view->count(), 3);

        view->setCurrentRow(0);
        QTest::mouseClick(child<QPushButton>(widget, "removeFilterButton"), Qt::LeftButton);
        QCOMPARE(widget.filters(),
                 (filters::FilterList{"Import where 'City'  Equals 'B'", "Import where 'City'  Equals 'C'"}));
    }
};

QTEST_MAIN(FilterDialogTest)
#include "FilterDialogTest.moc"
