// 100 score sheets printed to one PDF file as the sheet prints them, beside the
// same 100 sheets drawn onto an A4 image in the same run (the drawing's own
// cost); "ratio" is the PDF's time over the image's, "pdf_kb" the file size.
#include "frame/DebugLog.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int sheets = 100;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Starter_t sampleStart()
{
    Starter_t s;
    s.disci = 1;
    s.ageClass = 5;
    s.given = 14550;
    std::strcpy(s.name, "Anna Berg");
    for (int i = 0; i < 25; ++i)
        std::snprintf(s.codes[i], Starter_t::CodeSize, "1%03d%c", 101 + i, 'a' + i % 3);
    return s;
}

// One record per sheet, each with marks in every exercise row.
void fillRecords(WertungList& list)
{
    list.autoDelete = true;
    for (int n = 0; n < sheets; ++n) {
        auto* w = new Wertung_t;
        w->judge = 1;
        w->startNumber = 100 + n;
        std::strcpy(w->announcer, "Karl Ansager");
        for (int i = 0; i < 25; ++i) {
            w->exercises[i][(i + n) % 4] = quint8(1 + i % 2);
            w->exercises[i][4] = quint8(i % 3 ? 100 : 50);
        }
        w->deduction1 = 230;
        w->deduction2 = 120;
        list.append(w);
    }
}

double printToPdf(const QString& path)
{
    Starter_t start = sampleStart();
    Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
    WertungList records;
    fillRecords(records);
    sheet.setWertungen(records);
    const auto begin = Clock::now();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QPainter painter(&printer);
    int page = 0;
    sheet.print(&painter, page);
    painter.end();
    return secondsSince(begin);
}

double drawOnImage(QImage& image)
{
    Starter_t start = sampleStart();
    Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
    WertungList records;
    fillRecords(records);
    sheet.setWertungen(records);
    const auto begin = Clock::now();
    QPainter painter(&image);
    int page = 0;
    sheet.print(&painter, page);
    painter.end();
    return secondsSince(begin);
}

void BM_ScoreSheets(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheets.pdf"));
    // A4 at 300 dpi.
    QImage image(2480, 3508, QImage::Format_RGB32);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    double pdfTotal = 0, imageTotal = 0;
    int rounds = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        imageTotal += drawOnImage(image);
        pdfTotal += printToPdf(path);
        ++rounds;
    }
    state.counters["pdf_s"] = pdfTotal / rounds;
    state.counters["image_s"] = imageTotal / rounds;
    state.counters["ratio"] = imageTotal > 0 ? pdfTotal / imageTotal : 0;
    state.counters["pdf_kb"] = QFileInfo(path).size() / 1024.0;
}

} // namespace

BENCHMARK(BM_ScoreSheets)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The debug log on, as in the program: the sheet writes a line per table row.
    installDebugLog();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
