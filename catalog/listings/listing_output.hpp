#pragma once
// Where a listing writes its text. Kept whole for a caller that takes the listing as one text; handed on in
// parts as it grows when it has somewhere to go (the program's result file), so that a listing of thousands
// of tables does not hold all of itself in memory.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace qz::listings {

class ListingOutput {
  public:
    using Drain = std::function<void(std::u16string_view part)>;

    // Keeps the whole text.
    ListingOutput() = default;
    // Hands the text to `drain` in parts, in order.
    explicit ListingOutput(Drain drain) : drain_(std::move(drain)) { text_.reserve(part_size + part_margin); }

    // Whether nothing has been written yet.
    bool empty() const { return text_.empty() && !drained_; }
    // The end of the text, where records are written.
    std::u16string& text() { return text_; }
    // Called between records: hands on what has gathered once it is large enough to be worth a write.
    void record_written() {
        if (drain_ && text_.size() >= part_size) drain();
    }
    // Hands on the rest; returns the text kept (all of it when there is no drain).
    std::u16string finish() {
        if (drain_) drain();
        return std::move(text_);
    }

  private:
    static constexpr std::size_t part_size = 32 * 1024;  // code units
    // Room for the record that crosses part_size, so that the text is not moved as it grows.
    static constexpr std::size_t part_margin = 1024;

    void drain() {
        if (text_.empty()) return;
        drain_(text_);
        drained_ = true;
        text_.clear();
    }

    Drain drain_;
    std::u16string text_;
    bool drained_ = false;
};

}  // namespace qz::listings
