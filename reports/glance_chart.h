// The year at a glance as a chart, drawn with GDI into any rectangle of any
// device context (the dialog's chart window, a printed page): each month's
// income and expenses as bars, the net as a line, the compared year drawn
// faintly behind, the money axis in whole currency units.
#pragma once
#include <windows.h>

#include "reports/year_glance.h"

// font: the font for the labels (null: the DC's own).
void drawGlanceChart(HDC dc, const RECT& area, const Glance& g, HFONT font);

// A child window that shows the chart of *glance and repaints it, without
// flicker, whenever it is resized or invalidated. Registered once.
constexpr const char* glanceChartClass = "QuirvelGlanceChart";
void registerGlanceChartClass();
// The glance the chart window shows (it keeps the pointer; null: blank).
void setGlanceChart(HWND chart, const Glance* glance);
