#pragma once
// Reads the facts kept beside each fixture (JSON written by an independent reader) just far enough for the
// property-blob and index-walk tests: a small JSON reader, strict enough to fail loudly on what it cannot
// read.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace qz::test {

struct Json {
    enum class Kind { null, boolean, number, text, array, object };
    Kind kind = Kind::null;
    bool boolean = false;
    double number = 0;
    std::string text;               // UTF-8
    std::vector<Json> items;        // array elements, or object values
    std::vector<std::string> keys;  // object keys, parallel to items

    // The member named `key`; a null value when there is none.
    const Json& operator[](const std::string& key) const {
        static const Json missing;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == key) return items[i];
        }
        return missing;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string source) : source_(std::move(source)) {}

    Json read() {
        Json value = value_at();
        skip_space();
        if (at_ != source_.size()) fail("trailing text");
        return value;
    }

private:
    [[noreturn]] void fail(const char* what) const {
        throw std::runtime_error(std::string("facts JSON: ") + what + " at " + std::to_string(at_));
    }
    void skip_space() {
        while (at_ < source_.size() && (source_[at_] == ' ' || source_[at_] == '\n' || source_[at_] == '\r' ||
                                        source_[at_] == '\t')) {
            ++at_;
        }
    }
    bool take(char c) {
        skip_space();
        if (at_ < source_.size() && source_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) fail("unexpected character");
    }
    bool take_word(const char* word) {
        const std::string w(word);
        if (source_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }

    Json value_at() {
        skip_space();
        if (at_ >= source_.size()) fail("unexpected end");
        Json value;
        const char c = source_[at_];
        if (c == '{') {
            value.kind = Json::Kind::object;
            ++at_;
            if (take('}')) return value;
            do {
                skip_space();
                value.keys.push_back(string_at());
                expect(':');
                value.items.push_back(value_at());
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            value.kind = Json::Kind::array;
            ++at_;
            if (take(']')) return value;
            do {
                value.items.push_back(value_at());
            } while (take(','));
            expect(']');
        } else if (c == '"') {
            value.kind = Json::Kind::text;
            value.text = string_at();
        } else if (take_word("true") || take_word("false")) {
            value.kind = Json::Kind::boolean;
            value.boolean = c == 't';
        } else if (take_word("null")) {
        } else {
            value.kind = Json::Kind::number;
            std::size_t used = 0;
            value.number = std::stod(source_.substr(at_, 40), &used);
            at_ += used;
        }
        return value;
    }

    std::uint32_t hex4() {
        if (at_ + 4 > source_.size()) fail("short escape");
        const std::uint32_t unit =
            static_cast<std::uint32_t>(std::stoul(source_.substr(at_, 4), nullptr, 16));
        at_ += 4;
        return unit;
    }
    static void append_utf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string string_at() {
        if (at_ >= source_.size() || source_[at_] != '"') fail("string expected");
        ++at_;
        std::string out;
        while (at_ < source_.size() && source_[at_] != '"') {
            const char c = source_[at_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= source_.size()) fail("unexpected end");
            const char e = source_[at_++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    std::uint32_t cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && source_.compare(at_, 2, "\\u") == 0) {
                        at_ += 2;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
                    }
                    append_utf8(out, cp);
                    break;
                }
                default:
                    out += e;
                    break;
            }
        }
        if (at_ >= source_.size()) fail("unterminated string");
        ++at_;
        return out;
    }

    std::string source_;
    std::size_t at_ = 0;
};

inline Json read_json_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return JsonReader(text.str()).read();
}

// The fixtures whose pages are stored plain (no page encryption), each with its facts, in path order.
struct FixtureFacts {
    std::filesystem::path file;
    Json facts;
};
inline std::vector<FixtureFacts> unencrypted_fixtures(const std::filesystem::path& fixtures) {
    const std::filesystem::path facts_folder = (fixtures / ".." / "fixtures-facts").lexically_normal();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(facts_folder)) {
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<FixtureFacts> out;
    for (const auto& facts_file : files) {
        const std::filesystem::path relative = std::filesystem::relative(facts_file, facts_folder);
        const std::filesystem::path file = fixtures / relative.parent_path() / relative.stem();
        if (!std::filesystem::exists(file)) continue;
        Json facts = read_json_file(facts_file);
        if (facts["encryption"]["codec"].text != "none") continue;
        out.push_back({file, std::move(facts)});
    }
    return out;
}

}  // namespace qz::test
