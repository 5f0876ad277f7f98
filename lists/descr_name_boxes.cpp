#include "lists/descr_name_boxes.h"

#include "lists/entry_matching.h"

void fillDescrNameBoxes(HWND dialog, int type) {
    const struct {
        int id;
        ListKind kind;
    } boxes[] = {{idDescrBox, descrList}, {idNameBox, nameList}};
    for (const auto& b : boxes) {
        HWND box = GetDlgItem(dialog, b.id);
        if (!box) continue;
        SendMessageA(box, CB_RESETCONTENT, 0, 0);
        for (const BoxItem& item : descrNameBoxItems(b.kind, type)) {
            LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.first.c_str()));
            if (at >= 0) SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), item.second);
        }
    }
}

std::vector<BoxItem> boxItems(HWND box) {
    std::vector<BoxItem> items;
    int n = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        int len = static_cast<int>(SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        if (len < 0) continue;
        std::string text(static_cast<size_t>(len) + 1, '\0');
        SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(len));
        items.emplace_back(text, static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    }
    return items;
}
