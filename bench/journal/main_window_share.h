#pragma once
#include <QString>
#include <vector>

// Opens the journal tab's panel `runs` times on the full journal and prints
// the open times and the memory it adds (measured against a panel on the
// empty journal). Needs a QApplication.
void measure_main_window(const QString& full_journal, const QString& empty_journal, int runs);

// From main.cpp: prints the spread of the open times.
void print_open_times(const std::vector<double>& opens);
