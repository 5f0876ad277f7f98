#include "text/shared_text.h"

#include <unordered_set>

namespace {

// Every text ever shared, for the whole run: the set's nodes never move, so
// the pointers into it stay good. Few texts: accounts, payees, names.
std::unordered_set<std::string>& pool() {
    static auto* texts = new std::unordered_set<std::string>{std::string()};
    return *texts;
}

}  // namespace

SharedText::SharedText() : text_(&*pool().find(std::string())) {}

SharedText::SharedText(const std::string& text) : text_(&*pool().insert(text).first) {}
