#include "ConfigSummary.h"

#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "form/FormControls.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace {
const char kParagraph[] = "\r\n\r\n";

QString YesNo(int flag)
{
    return flag != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
}
} // namespace

QString CConfigSummary::Text(const CFormControls &controls, const CCorvaneDoc &doc)
{
    const struct {
        const char *label;
        QString value;
    } items[] = {
        {"Target: ", controls.SelectedConnection().text},
        {"Processor: ", controls.Text(ControlId::ProcessorEdit)},
        {"CVTC Version ID: ", controls.Text(ControlId::CvtcVersionEdit)},
        {"CVTC Program File: ", controls.Text(ControlId::CvtcFileEdit)},
        {"Flash Base Address: ", controls.Text(ControlId::FlashBaseEdit)},
        {"Flash Size (Bytes): ", controls.Text(ControlId::FlashSizeEdit)},
        {"Hex Command File: ", controls.Text(ControlId::HexCmdEdit)},
        {"File To Burn: ", controls.Text(ControlId::BurnFileEdit)},
        {"Flash Image Offset: ", controls.Text(ControlId::ImageOffsetEdit)},
        {"Verify Write: ", YesNo(doc.m_bVerifyWrite)},
        {"Write Boot Addr: ", YesNo(doc.m_bWriteBootAddr)},
    };
    QString text = QStringLiteral("\r\n\r\n\r\nCorvane Document: ") + doc.GetTitle() + QLatin1String("\r\n") +
                   QLatin1String(kParagraph);
    for (const auto &item : items)
        text += QLatin1String(item.label) + item.value + QLatin1String(kParagraph);
    return text;
}

void CConfigSummary::Print(QPrinter &printer, const QString &text)
{
    QPainter painter(&printer);
    Draw(painter, printer.logicalDpiX(), printer.logicalDpiY(), text);
}

// Each line is cut after its last character that ends inside the rectangle, so
// that what lies beyond the edge is not in the print-out at all; the clip
// takes care of what lies below it.
void CConfigSummary::Draw(QPainter &painter, int dpiX, int dpiY, const QString &text)
{
    const QRect rect(0, 0, 700 * dpiX / 100, 700 * dpiY / 100);
    const QFontMetricsF metrics(painter.font(), painter.device());
    QStringList lines = text.split(QLatin1String("\r\n"));
    for (QString &line : lines) {
        while (!line.isEmpty() && metrics.horizontalAdvance(line) > rect.width())
            line.chop(1);
    }
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, lines.join(u'\n'));
    painter.restore();
}
