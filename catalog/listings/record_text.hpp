#pragma once
// Writes listing text: records joined by one separator, key/value items of a record by another, key and
// value by a third. Nothing is quoted or escaped. Each record is written straight into its listing.

#include <string>
#include <string_view>

namespace qz::listings {

class RecordText {
  public:
    // Starts a record at the end of `listing`, after `record_separator` unless it is the first record.
    RecordText(std::u16string& listing, bool first_record, std::u16string_view record_separator,
               std::u16string_view item_separator, std::u16string_view key_separator)
        : listing_(listing), item_separator_(item_separator), key_separator_(key_separator) {
        if (!first_record) listing_ += record_separator;
    }

    RecordText& item(std::u16string_view key, std::u16string_view value) {
        start_item(key);
        listing_ += value;
        return *this;
    }
    // An item whose value the caller appends to the returned listing (a number or a date written in place).
    std::u16string& value_of(std::u16string_view key) {
        start_item(key);
        return listing_;
    }

  private:
    void start_item(std::u16string_view key) {
        if (!first_) listing_ += item_separator_;
        first_ = false;
        listing_ += key;
        listing_ += key_separator_;
    }

    std::u16string& listing_;
    std::u16string_view item_separator_;
    std::u16string_view key_separator_;
    bool first_ = true;
};

}  // namespace qz::listings
