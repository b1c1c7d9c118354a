// CString: the framework's text, UTF-16 code units, NUL allowed inside.
#pragma once

#include <compare>
#include <iosfwd>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char16_t* text)
        : s_(text == nullptr ? u"" : text) {}              // NOLINT: implicit as in the framework
    CString(std::u16string text) : s_(std::move(text)) {}  // NOLINT
    CString(std::u16string_view text) : s_(text) {}        // NOLINT
    CString(const char16_t* text, int length) : s_(text, static_cast<std::size_t>(length)) {}

    // Conversions for the file system and terminals, which speak UTF-8.
    static CString FromUtf8(std::string_view text);
    std::string ToUtf8() const;

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char16_t GetAt(int i) const { return s_[static_cast<std::size_t>(i)]; }
    char16_t operator[](int i) const { return GetAt(i); }

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    // Index of the last occurrence, or -1.
    int ReverseFind(char16_t ch) const;
    int Find(char16_t ch, int start = 0) const;

    CString& operator+=(const CString& other) {
        s_ += other.s_;
        return *this;
    }
    CString& operator+=(char16_t ch) {
        s_ += ch;
        return *this;
    }
    friend CString operator+(CString a, const CString& b) { return a += b; }
    friend CString operator+(CString a, const char16_t* b) { return a += CString(b); }
    friend CString operator+(const char16_t* a, const CString& b) { return CString(a) += b; }
    friend CString operator+(CString a, char16_t ch) { return a += ch; }
    friend bool operator==(const CString&, const CString&) = default;
    friend auto operator<=>(const CString&, const CString&) = default;

    const std::u16string& str() const { return s_; }
    operator std::u16string_view() const { return s_; }  // NOLINT

private:
    std::u16string s_;
};

// For test failure messages.
void PrintTo(const CString& s, std::ostream* os);
