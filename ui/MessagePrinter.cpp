#include "ui/MessagePrinter.h"

#include "messages/PrintLayout.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace tidecast::ui
{

namespace
{

constexpr int kLargestPointSize = 10;
constexpr int kSmallestPointSize = 6;
constexpr qsizetype kWidestLine = static_cast<qsizetype>(messages::kPrintWidth);

} // namespace

bool printMessage(QPrinter& printer, const messages::MessageDocument& document)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPainter painter;
    if (!painter.begin(&printer)) {
        QApplication::restoreOverrideCursor();
        return false;
    }
    const QRect page = painter.viewport();
    // The body is wrapped at 105 characters; the type gets smaller until such a line fits.
    QFont font(QStringLiteral("Arial"), kLargestPointSize);
    while (font.pointSize() > kSmallestPointSize &&
           QFontMetrics(font, painter.device()).horizontalAdvance(QString(kWidestLine, QLatin1Char('n'))) >
               page.width()) {
        font.setPointSize(font.pointSize() - 1);
    }
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int lineHeight = metrics.lineSpacing();
    const int footerTop = page.bottom() - 2 * lineHeight;

    const QString title = QString::fromStdString(document.subject);
    int pageNumber = 1;
    int y = page.top() + metrics.ascent();
    auto drawFooter = [&] {
        painter.drawText(page.left(), page.bottom() - metrics.descent(),
                         QString::fromStdString(messages::printFooter(title.toStdString(), pageNumber)));
    };
    for (const auto& line : messages::printMessageLines(document)) {
        if (y > footerTop) {
            drawFooter();
            printer.newPage();
            ++pageNumber;
            y = page.top() + metrics.ascent();
        }
        painter.drawText(page.left(), y, QString::fromStdString(line));
        y += lineHeight;
    }
    drawFooter();
    painter.end();
    QApplication::restoreOverrideCursor();
    return true;
}

} // namespace tidecast::ui
