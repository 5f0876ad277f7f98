#include "app/main_menu.h"

#include <commctrl.h>

#include "app/main_ids.h"
#include "app/main_pages.h"

namespace {

struct ToolButton {
    int id;
    const char* caption;
    short x, width;
};
const ToolButton toolButtons[] = {
    {idServ, "Serv", 2, 27},   {idEarn, "Earn", 29, 27},   {idProd, "Prod", 56, 27},
    {idExps, "Exps", 83, 27},  {idData, "Data", 119, 27},  {idEdit, "Edit", 146, 27},
    {idFilter, "Filter", 173, 27}, {idRept, "Rept", 200, 27}, {idQuit, "Quit", 236, 25},
};

}  // namespace

HMENU buildMainMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, cmdOpen, "&Open\tCtrl+O");
    AppendMenuA(file, MF_STRING, cmdSave, "&Save\tCtrl+S");
    AppendMenuA(file, MF_STRING, cmdSaveAs, "Save&As");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, cmdNew, "&New\tCtrl+N");
    AppendMenuA(file, MF_STRING, cmdArchive, "&Archive");
    AppendMenuA(file, MF_STRING, cmdPrint, "&Print\tCtrl+P");
    AppendMenuA(file, MF_STRING, cmdExport, "&Export...");
    AppendMenuA(file, MF_STRING, cmdImport, "&Import...\tCtrl+I");
    AppendMenuA(file, MF_STRING, cmdExit, "E&xit");
    HMENU add = CreatePopupMenu();
    AppendMenuA(add, MF_STRING, cmdAddService, "Service");
    AppendMenuA(add, MF_STRING, cmdAddEarning, "Earning");
    AppendMenuA(add, MF_STRING, cmdAddProduct, "Product");
    AppendMenuA(add, MF_STRING, cmdAddExpense, "Expense");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(add), "Add record");
    AppendMenuA(edit, MF_STRING, cmdChangeRecord, "&Change record");
    AppendMenuA(edit, MF_STRING, cmdDeleteRecord, "&Delete record\tDel");
    AppendMenuA(edit, MF_STRING, cmdNamesList, "&Names list");
    AppendMenuA(edit, MF_STRING, cmdDescrList, "&Descr list");
    AppendMenuA(edit, MF_STRING, cmdSalesTax, "&State sales tax");
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_STRING | MF_GRAYED, cmdUndo, "&Undo\tCtrl+Z");
    AppendMenuA(edit, MF_STRING | MF_GRAYED, cmdRedo, "&Redo\tCtrl+Y");
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_STRING, cmdFind, "&Find...\tCtrl+F");
    AppendMenuA(edit, MF_STRING, cmdFindNext, "Find Ne&xt\tF3");
    // Last, so that the items above keep their places; "D" is Delete's and
    // Descr's already.
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_STRING, cmdScheduledEntries, "Scheduled &Entries...");
    AppendMenuA(edit, MF_STRING, cmdDueEntries, "Due En&tries...");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, cmdFiltered, "&Filtered");
    AppendMenuA(view, MF_STRING, cmdFormData, "&Form data");
    AppendMenuA(view, MF_STRING, cmdTaxReport, "&Tax Report");
    AppendMenuA(view, MF_STRING, cmdYearGlance, "&Year at a Glance...");
    AppendMenuA(view, MF_STRING, cmdScheduleC, "Schedule &C...");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, cmdContents, "&Contents\tF1");
    AppendMenuA(help, MF_STRING, cmdAbout, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

HACCEL buildMainAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'N', cmdNew},     {FVIRTKEY | FCONTROL, 'O', cmdOpen},
        {FVIRTKEY | FCONTROL, 'S', cmdSave},    {FVIRTKEY | FCONTROL, 'P', cmdPrint},
        {FVIRTKEY | FCONTROL, 'I', cmdImport},
        {FVIRTKEY, VK_DELETE, cmdDeleteRecord}, {FVIRTKEY, VK_F1, cmdContents},
        {FVIRTKEY | FCONTROL, VK_TAB, cmdNextTab}, {FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, cmdPreviousTab},
        {FVIRTKEY | FCONTROL, 'Z', cmdUndo},    {FVIRTKEY | FCONTROL, 'Y', cmdRedo},
        {FVIRTKEY | FCONTROL | FSHIFT, 'Z', cmdRedo},
        {FVIRTKEY | FCONTROL, 'F', cmdFind},    {FVIRTKEY, VK_F3, cmdFindNext},
    };
    return CreateAcceleratorTableA(keys, static_cast<int>(sizeof keys / sizeof keys[0]));
}

cDialogTemplate mainWindowTemplate() {
    const int w = mainWidthUnits, h = mainHeightUnits;
    cDialogTemplate t(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_3DLOOK | DS_NOFAILCREATE | DS_CENTER, 0, 0, 0,
                      static_cast<short>(w), static_cast<short>(h), "Quirvel");
    t.add(idToolbar, "STATIC", "", SS_LEFTNOWORDWRAP, WS_EX_CLIENTEDGE, 0, 0, static_cast<short>(w - 4), 22);
    bool first = true;
    for (const ToolButton& b : toolButtons) {
        t.add(b.id, "BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), 0, b.x, 2, b.width, 18);
        first = false;
    }
    t.add(idTabs, WC_TABCONTROLA, "", WS_TABSTOP | TCS_OWNERDRAWFIXED | WS_CLIPSIBLINGS, 0, 1, 25,
          static_cast<short>(w - 2), static_cast<short>(h - 70));
    return t;
}
