#pragma once
// Builds the listing text: records joined by one separator, key/value items of a record by another, key
// and value by a third. Nothing is quoted or escaped.

#include <string>
#include <string_view>

namespace qz::listings {

class RecordText {
  public:
    RecordText(std::u16string_view item_separator, std::u16string_view key_separator)
        : item_separator_(item_separator), key_separator_(key_separator) {}

    RecordText& item(std::u16string_view key, std::u16string_view value) {
        if (!first_) text_ += item_separator_;
        first_ = false;
        text_ += key;
        text_ += key_separator_;
        text_ += value;
        return *this;
    }
    const std::u16string& text() const { return text_; }

  private:
    std::u16string_view item_separator_;
    std::u16string_view key_separator_;
    std::u16string text_;
    bool first_ = true;
};

// Appends `record` to `listing`, after `record_separator` when the listing already holds text.
inline void append_record(std::u16string& listing, std::u16string_view record_separator,
                          std::u16string_view record) {
    if (!listing.empty()) listing += record_separator;
    listing += record;
}

}  // namespace qz::listings
