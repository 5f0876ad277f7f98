#include "lists/entry_matching.h"

#include "text/plain_text.h"

bool sameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerLetter(static_cast<unsigned char>(a[i])) != lowerLetter(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::vector<BoxItem> descrNameBoxItems(ListKind kind, int group) {
    int g = isProductType(group) ? 3 : group;
    int count = kind == descrList ? descrCount : nameCount;
    std::vector<BoxItem> items;
    for (int i = 1; i <= count; ++i) {
        const std::string& entry = kind == descrList ? descriptions[i] : names[i];
        if (g != 0 && (entry.empty() || static_cast<unsigned char>(entry[0]) != g)) continue;
        std::string text = shownField(entryText(entry));
        if (findBoxItem(items, text) < 0) items.emplace_back(text, i);
    }
    return items;
}

int findBoxItem(const std::vector<BoxItem>& items, const std::string& text) {
    for (size_t i = 0; i < items.size(); ++i)
        if (sameTextIgnoringCase(items[i].first, text)) return static_cast<int>(i);
    return -1;
}

int findBoxItemStarting(const std::vector<BoxItem>& items, const std::string& typed) {
    if (typed.empty()) return -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].first.size() >= typed.size() && sameTextIgnoringCase(items[i].first.substr(0, typed.size()), typed))
            return static_cast<int>(i);
    return -1;
}

int boxEntryIndex(const std::vector<BoxItem>& items, const std::string& text) {
    if (text.empty()) return 0;
    int pos = findBoxItem(items, text);
    return pos < 0 ? 0 : items[pos].second;
}
