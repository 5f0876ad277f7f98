// The "Tax Report" dialog: the eighteen lines of the sales and use tax
// report and the income tax summary, with "&Print", "&Close" and "&Export".
#pragma once
#include <windows.h>

#include <vector>

enum : int { idReportPrint = 4005, idReportClose = 4006, idReportExport = 4007 };

// Computes the report from the transactions the main list shows (their
// numbers), shows it modally over owner and returns when it closes.
void showTaxReport(HWND owner, const std::vector<int>& shown);

// Prints the texts already in taxReportLabels and taxReportValues on one
// page of the printer the user picks.
void printTaxReport();
