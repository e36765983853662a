#include "platform/query/sql_tokens.hpp"

#include "platform/errors.hpp"
#include "platform/query/names.hpp"

namespace qz::query {

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool starts_word(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80; }

bool continues_word(char16_t c) { return starts_word(c) || is_digit(c); }

// The NUL that ends the SQL of data-definition and pass-through rows counts as blank.
bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == 0; }

class Tokenizer {
public:
    Tokenizer(std::u16string_view text, const std::u16string& query) : text_(text), query_(query) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        while (true) {
            while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
            if (pos_ >= text_.size()) break;
            tokens.push_back(next());
        }
        tokens.push_back(Token{});
        return tokens;
    }

private:
    Token next() {
        const char16_t c = text_[pos_];
        if (c == u'[') return enclosed(Token::Kind::bracketed, u']');
        if (c == u'`') return enclosed(Token::Kind::bracketed, u'`');
        if (c == u'#') return enclosed(Token::Kind::date, u'#');
        if (c == u'"' || c == u'\'') return quoted(c);
        if (is_digit(c) || (c == u'.' && pos_ + 1 < text_.size() && is_digit(text_[pos_ + 1]))) return number();
        if (starts_word(c)) return word();
        return symbol();
    }

    Token enclosed(Token::Kind kind, char16_t close) {
        const std::size_t end = text_.find(close, pos_ + 1);
        if (end == std::u16string_view::npos) fail();
        Token token{kind, std::u16string(text_.substr(pos_ + 1, end - pos_ - 1))};
        pos_ = end + 1;
        return token;
    }

    Token quoted(char16_t quote) {
        Token token{Token::Kind::text, {}};
        ++pos_;
        while (true) {
            if (pos_ >= text_.size()) fail();
            if (text_[pos_] == quote) {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                    token.text += quote;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return token;
            }
            token.text += text_[pos_++];
        }
    }

    Token number() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && is_digit(text_[pos_])) ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'.') {
            ++pos_;
            while (pos_ < text_.size() && is_digit(text_[pos_])) ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == u'E' || text_[pos_] == u'e')) {
            std::size_t exponent = pos_ + 1;
            if (exponent < text_.size() && (text_[exponent] == u'+' || text_[exponent] == u'-')) ++exponent;
            if (exponent < text_.size() && is_digit(text_[exponent])) {
                pos_ = exponent;
                while (pos_ < text_.size() && is_digit(text_[pos_])) ++pos_;
            }
        }
        return Token{Token::Kind::number, std::u16string(text_.substr(start, pos_ - start))};
    }

    Token word() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && continues_word(text_[pos_])) ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'$') ++pos_;  // Left$, Mid$ ...
        return Token{Token::Kind::word, std::u16string(text_.substr(start, pos_ - start))};
    }

    Token symbol() {
        static constexpr std::u16string_view two_character[] = {u"<>", u"<=", u">="};
        for (std::u16string_view candidate : two_character) {
            if (text_.substr(pos_, 2) == candidate) {
                pos_ += 2;
                return Token{Token::Kind::symbol, std::u16string(candidate)};
            }
        }
        static constexpr std::u16string_view one_character = u"(),.!;*+-/\\^&=<>";
        if (one_character.find(text_[pos_]) == std::u16string_view::npos) fail();
        return Token{Token::Kind::symbol, std::u16string(1, text_[pos_++])};
    }

    [[noreturn]] void fail() const { throw errors::syntax_error(query_, std::u16string(text_)); }

    std::u16string_view text_;
    const std::u16string& query_;
    std::size_t pos_ = 0;
};

}  // namespace

bool Token::is_word(std::u16string_view keyword) const { return kind == Kind::word && same_name(text, keyword); }

std::vector<Token> tokenize(std::u16string_view text, const std::u16string& query) {
    return Tokenizer(text, query).run();
}

}  // namespace qz::query
