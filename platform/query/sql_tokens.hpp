#pragma once
// Cuts the engine's SQL and expression text into tokens.

#include <string>
#include <string_view>
#include <vector>

namespace qz::query {

struct Token {
    enum class Kind {
        word,       // a bare name or keyword
        bracketed,  // [a name] or `a name`, without its delimiters
        number,     // 12, 1.5, 1E3
        text,       // "a" or 'a', without its quotes and with doubled quotes made single
        date,       // #1/2/2003#, without the #
        symbol,     // ( ) , . ! ; * + - / \ ^ & = <> < > <= >=
        end,
    };
    Kind kind = Kind::end;
    std::u16string text;

    bool is_symbol(std::u16string_view symbol) const { return kind == Kind::symbol && text == symbol; }
    // A bare word equal to `keyword` in any letter case.
    bool is_word(std::u16string_view keyword) const;
};

// The tokens of `text`, ending with one `end` token. Raises 3075 naming `query` for an unterminated name,
// text or date, or a character the language does not use.
std::vector<Token> tokenize(std::u16string_view text, const std::u16string& query);

}  // namespace qz::query
