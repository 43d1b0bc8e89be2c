// The diagram and the table of the largest test the model allows (128
// tacts, 192 level lines: 130 columns by 195 rows; 16 cycles), filled from
// the document and repainted whole into an offscreen image at the smallest
// scale, with the painters and the cell loop the windows use; and one
// oscillogram screen and the data window:
//   build/bench/bench_views --benchmark_repetitions=9
//       --benchmark_report_aggregates_only=true

#include "infra/mesbo.h"
#include "maximalfile.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/functions/datafileview.h"
#include "model/functions/funcs.h"
#include "model/functions/funcv.h"
#include "model/settings/displaycolours.h"
#include "paint/grid/cellpaint.h"
#include "paint/oscillogram/oscillogram.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewrender.h"
#include "paint/views/viewsetup.h"
#include "ui/functions/datawindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The maximal file loaded into a document, its first test current.
struct Fixture
{
    Fixture()
    {
        dir = fs::temp_directory_path() / ("qv-bench-views-" + std::to_string(getpid()));
        fs::create_directories(dir);
        const qortool::GeneratedFile file = qortool::MaximalTestFile("MAX.CNT");
        std::ofstream(dir / "MAX.QOR", std::ios::binary) << file.qor;
        std::ofstream(dir / "MAX.CNT", std::ios::binary) << file.cnt;
        qv::InstallMesbo(std::make_unique<qv::ScriptedMesbo>());
        if (!document.LoadFile((dir / "MAX.QOR").string()))
            throw std::runtime_error("the maximal file did not load");
        document.SelectTest(0);
        document.FillDiagramView();
        document.FillTableView();
        painter.SetDocument(&document);
        painter.SetFont(QFont());
        geometry = qv::views::InitialGeometry(qv::views::MeasureFont(QFont()));
        painter.UpdateLevelOffsets(geometry.rowHeight);
    }
    ~Fixture() { fs::remove_all(dir); }

    fs::path dir;
    qv::NullDocumentObserver observer;
    qv::ScriptedFileUi ui;
    qv::TQuorvik document{observer, ui};
    qv::ViewColours colours;
    qv::views::ViewPictures pictures;
    qv::TQorFunc painter{colours, pictures};
    qv::views::DiagramGeometry geometry;
};

Fixture &Shared()
{
    static Fixture fixture;
    return fixture;
}

int Extent(const std::vector<int> &sizes)
{
    int sum = 0;
    for (const int size : sizes)
        sum += size;
    return sum;
}

void BM_FillDiagram(benchmark::State &state)
{
    Fixture &f = Shared();
    for (auto _ : state) {
        f.document.FillDiagramView();
        benchmark::DoNotOptimize(f.document.DiagramView().Cell(129, 194));
    }
    state.counters["rows"] = f.document.DiagramView().RowCount();
}
BENCHMARK(BM_FillDiagram)->Unit(benchmark::kMillisecond);

void BM_FillTable(benchmark::State &state)
{
    Fixture &f = Shared();
    for (auto _ : state) {
        f.document.FillTableView();
        benchmark::DoNotOptimize(f.document.TableView().RowCount());
    }
    state.counters["rows"] = f.document.TableView().RowCount();
    state.counters["cycles"] = static_cast<double>(f.document.CycleRows().size());
}
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond);

// Every cell of the diagram, as the diagram widget paints (no clipping per
// cell: the painters stay inside their cells).
void BM_RepaintDiagram(benchmark::State &state)
{
    Fixture &f = Shared();
    const qv::TextGrid &content = f.document.DiagramView();
    const qv::grid::Geometry g =
        qv::views::DiagramGridGeometry(f.geometry, content.ColCount(), content.RowCount());
    QImage image(Extent(g.colWidths), Extent(g.rowHeights), QImage::Format_RGB32);
    const qv::grid::CellPainter paint = qv::views::DiagramCellPainter(
        f.painter, qv::views::DiagramDrawBase(f.document, f.geometry));
    qv::grid::PaintOptions options;
    options.clipCells = false;
    options.focus = {10, 10};
    for (auto _ : state) {
        QPainter p(&image);
        qv::grid::PaintCells(p, g, image.rect(), options, paint);
    }
    state.counters["cells"] = static_cast<double>(g.colCount() * g.rowCount());
    state.counters["width"] = image.width();
    state.counters["height"] = image.height();
}
BENCHMARK(BM_RepaintDiagram)->Unit(benchmark::kMillisecond);

// What each table column needs to show its texts whole, measured every
// time the table widget takes new content.
void BM_MeasureTable(benchmark::State &state)
{
    Fixture &f = Shared();
    const qv::TextGrid &content = f.document.TableView();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::views::TableTextNeeds(f.painter, content));
    state.counters["rows"] = content.RowCount();
}
BENCHMARK(BM_MeasureTable)->Unit(benchmark::kMillisecond);

// Every cell of the 16-cycle table, as the table widget paints.
void BM_RepaintTable(benchmark::State &state)
{
    Fixture &f = Shared();
    const qv::TextGrid &content = f.document.TableView();
    const qv::grid::Geometry g = qv::views::TableGridGeometry(1000, content.RowCount());
    QImage image(Extent(g.colWidths), Extent(g.rowHeights), QImage::Format_RGB32);
    const qv::grid::CellPainter paint = qv::views::TableCellPainter(f.painter, content, false);
    for (auto _ : state) {
        QPainter p(&image);
        qv::grid::PaintCells(p, g, image.rect(), {}, paint);
    }
    state.counters["rows"] = content.RowCount();
}
BENCHMARK(BM_RepaintTable)->Unit(benchmark::kMillisecond);

// One oscillogram screen with both traces of 1000 samples, as the
// V-function window repaints it (target: 1 ms).
void BM_DrawOscillogram(benchmark::State &state)
{
    qv::SFuncV function;
    auto reference = std::make_shared<qv::Waveform>();
    auto captured = std::make_shared<qv::Waveform>();
    for (std::size_t k = 0; k < qv::kWaveformSamples; ++k) {
        (*reference)[k] = static_cast<std::uint8_t>((k * 7) % 256);
        (*captured)[k] = static_cast<std::uint8_t>(255 - (k * 3) % 256);
    }
    function.Reference[0] = reference;
    function.Captured[0] = captured;
    const qv::oscillogram::SDrawDiag request{&function, 0};
    QImage image(qv::oscillogram::kPictureSize, qv::oscillogram::kPictureSize,
                 QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        qv::oscillogram::Draw(p, request, qv::OscillogramColours{});
    }
}
BENCHMARK(BM_DrawOscillogram)->Unit(benchmark::kMicrosecond);

// The data window of an S-function opened on a 1 MiB data file beside a
// run block of the same size, every element different (target: 100 ms).
void BM_OpenDataWindowOnOneMebibyte(benchmark::State &state)
{
    const fs::path dir = fs::temp_directory_path() / ("qv-bench-data-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "big.dat", std::ios::binary)
        << std::string(static_cast<std::size_t>(qv::kMaxDataFileSize), '\x55');
    qv::SFuncS function;
    function.Number = 1;
    function.FileName = "big.dat";
    function.Data.assign(static_cast<std::size_t>(qv::kMaxDataFileSize), 0xAA);
    for (auto _ : state) {
        const auto window = qv::functions::OpenSData(function, dir / "B.QOR", 16, {});
        window->show();
        benchmark::DoNotOptimize(window->Model().rowCount());
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_OpenDataWindowOnOneMebibyte)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv); // the data window is a widget
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
