#include "UiTestSupport.h"

#include "config/CorvaneDoc.h"
#include "ui/ConfigSummary.h"
#include "ui/CorvaneView.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>

namespace {

using PrintOut = GuiTest;

// The text pdftotext finds in a PDF file, with its layout kept.
QString PdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("(pdftotext failed)");
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    process.waitForFinished(30000);
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString &line : info.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// A printer whose page is wide enough to show what runs past the 7-inch rectangle.
void PreparePdf(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A3));
}

// A path that makes "CVTC Program File: " and it about 9 inches long at the printer's font.
QString NineInchPath(QPrinter &printer)
{
    const QFontMetricsF metrics(QApplication::font(), &printer);
    QString path = QStringLiteral("/folder");
    while (metrics.horizontalAdvance(QStringLiteral("CVTC Program File: ") + path + QStringLiteral("/tail.out")) <
           9.0 * printer.logicalDpiX())
        path += QStringLiteral("/folder");
    return path + QStringLiteral("/tail.out");
}

// The printed lines, blanks at their ends removed, empty lines left out.
QStringList Lines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

TEST_F(PrintOut, TheSummaryListsTheFormsTextsAndTheDocumentsFlags)
{
    ASSERT_TRUE(frame->OpenDocument(WriteDocument([](CCorvaneDoc &doc) {
        doc.m_strConnection = QStringLiteral("Disconnected");
        doc.m_strCvtcFile = QStringLiteral("cvtc.out");
        doc.m_strBurnFile.clear();
        doc.m_bWriteBootAddr = 0;
    })));
    EXPECT_EQ(View().SummaryText(),
              QStringLiteral("\r\n\r\n\r\nCorvane Document: board.cdd\r\n\r\n\r\n"
                             "Target: Disconnected\r\n\r\nProcessor: (Not Determined)\r\n\r\nCVTC Version ID: \r\n\r\n"
                             "CVTC Program File: cvtc.out\r\n\r\nFlash Base Address: \r\n\r\nFlash Size (Bytes): \r\n\r\n"
                             "Hex Command File: \r\n\r\nFile To Burn: \r\n\r\nFlash Image Offset: 0x0\r\n\r\n"
                             "Verify Write: Yes\r\n\r\nWrite Boot Addr: No\r\n\r\n"));
}

TEST_F(PrintOut, APdfPrintOutHoldsOnePageWithTheSummaryCutAtTheRightEdge)
{
    const QString pdf = scratch.Path(QStringLiteral("summary.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    PreparePdf(printer, pdf);
    const QString longPath = NineInchPath(printer);
    ASSERT_TRUE(frame->OpenDocument(WriteDocument([&longPath](CCorvaneDoc &doc) {
        doc.m_strConnection = QStringLiteral("Disconnected");
        doc.m_strCvtcFile = longPath;
        doc.m_strBurnFile.clear();
    })));
    CConfigSummary::Print(printer, View().SummaryText());
    const QStringList lines = Lines(PdfText(pdf));
    EXPECT_EQ(PdfPages(pdf), 1);
    ASSERT_GE(lines.size(), 12) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Corvane Document: board.cdd"));
    EXPECT_EQ(lines[1], QStringLiteral("Target: Disconnected"));
    EXPECT_EQ(lines[2], QStringLiteral("Processor: (Not Determined)"));
    EXPECT_EQ(lines[3], QStringLiteral("CVTC Version ID:"));
    // The long path is cut where the 7-inch rectangle ends, not wrapped onto another line.
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("CVTC Program File: /folder/folder/")));
    EXPECT_LT(lines[4].size(), QStringLiteral("CVTC Program File: ").size() + longPath.size() * 7 / 8);
    EXPECT_FALSE(lines.join(u' ').contains(QStringLiteral("tail.out")));
    EXPECT_EQ(lines[5], QStringLiteral("Flash Base Address:"));
    EXPECT_TRUE(lines.contains(QStringLiteral("File To Burn:")));
    EXPECT_EQ(lines.last(), QStringLiteral("Write Boot Addr: Yes"));
}

TEST_F(PrintOut, ThePreviewShowsASinglePage)
{
    ASSERT_TRUE(frame->OpenDocument(WriteDocument([](CCorvaneDoc &doc) { doc.m_strConnection = QStringLiteral("Disconnected"); })));
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, &preview,
                     [this](QPrinter *target) { CConfigSummary::Print(*target, View().SummaryText()); });
    preview.updatePreview();
    EXPECT_EQ(preview.pageCount(), 1);
}

} // namespace
