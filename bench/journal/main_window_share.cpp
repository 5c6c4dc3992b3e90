// The main window's share of the journal benchmark: the time from creating
// the "Журнал звонков" panel until its table has painted its rows, and the
// resident memory it adds with the whole journal in it (after scrolling to
// the end and back to the middle, as a user looking around would).
#include "bench/journal/main_window_share.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>
#include <memory>

#include "dialer/main_window/journal_panel.h"

namespace {

double resident_mb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024.0;
}

// Paints until the table shows its first row; the time it took, in ms.
double open_panel(std::unique_ptr<JournalPanel>& panel)
{
    QElapsedTimer timer;
    timer.start();
    panel = std::make_unique<JournalPanel>([](const QString&) {});
    panel->resize(329, 148);
    panel->show();
    while (panel->table()->rowAt(0) < 0 && timer.elapsed() < 10000)
        QApplication::processEvents();
    panel->table()->viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

void measure_main_window(const QString& full_journal, const QString& empty_journal, int runs)
{
    // Qt's own first-use costs (fonts, styles) are no part of the journal's.
    qputenv("VEKORRA_JOURNAL", empty_journal.toLocal8Bit());
    std::unique_ptr<JournalPanel> panel;
    open_panel(panel);
    panel.reset();
    QApplication::processEvents();
    const double before_mb = resident_mb();

    qputenv("VEKORRA_JOURNAL", full_journal.toLocal8Bit());
    std::vector<double> opens;
    for (int run = 0; run < runs; ++run) {
        panel.reset();
        opens.push_back(open_panel(panel));
    }
    const int rows = panel->model().rowCount();
    QScrollBar* bar = panel->table()->verticalScrollBar();
    bar->setValue(bar->maximum());
    panel->table()->viewport()->repaint();
    bar->setValue(bar->maximum() / 2);
    panel->table()->viewport()->repaint();
    QApplication::processEvents();
    const double after_mb = resident_mb();
    print_open_times(opens);
    std::printf("main window: %d rows; extra resident memory with the panel open %.1f MB (%.1f -> %.1f)\n", rows,
                after_mb - before_mb, before_mb, after_mb);
    std::fflush(stdout);
}
