// A text that many records hold alike (an account, a payee, a name, an
// archive file), kept once for the whole run: each record holds only a
// pointer to it, and equal texts are the same pointer.
#pragma once
#include <cstddef>
#include <ostream>
#include <string>

class SharedText {
public:
    SharedText();
    SharedText(const std::string& text);  // NOLINT: stands in for a string
    SharedText(const char* text) : SharedText(std::string(text)) {}  // NOLINT
    SharedText& operator=(const std::string& text) { return *this = SharedText(text); }
    SharedText& operator=(const char* text) { return *this = SharedText(text); }

    operator const std::string&() const { return *text_; }  // NOLINT
    const std::string& str() const { return *text_; }
    bool empty() const { return text_->empty(); }
    size_t size() const { return text_->size(); }
    bool operator==(const SharedText& o) const { return text_ == o.text_; }
    bool operator!=(const SharedText& o) const { return text_ != o.text_; }

private:
    const std::string* text_;
};

inline bool operator==(const SharedText& a, const std::string& b) { return a.str() == b; }
inline bool operator==(const std::string& a, const SharedText& b) { return a == b.str(); }
inline bool operator==(const SharedText& a, const char* b) { return a.str() == b; }
inline bool operator!=(const SharedText& a, const std::string& b) { return a.str() != b; }
inline bool operator!=(const SharedText& a, const char* b) { return a.str() != b; }
inline std::string operator+(const std::string& a, const SharedText& b) { return a + b.str(); }
inline std::string operator+(const SharedText& a, const std::string& b) { return a.str() + b; }
inline std::ostream& operator<<(std::ostream& out, const SharedText& t) { return out << t.str(); }
