#include "reports/descr_name_boxes.h"

#include "ledger/list_state.h"
#include "reports/filter.h"

void fillDescrNameBoxes(HWND dialog) {
    const struct {
        int id;
        ListKind kind;
    } boxes[] = {{idDescrBox, descrList}, {idNameBox, nameList}};
    for (const auto& b : boxes) {
        HWND box = GetDlgItem(dialog, b.id);
        if (!box) continue;
        SendMessageA(box, CB_RESETCONTENT, 0, 0);
        for (const BoxItem& item : descrNameBoxItems(b.kind, currentType)) {
            LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.first.c_str()));
            if (at >= 0) SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), item.second);
        }
    }
}
