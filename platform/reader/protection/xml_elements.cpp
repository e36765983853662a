#include "platform/reader/protection/xml_elements.hpp"

#include <algorithm>

namespace qz::crypto {

const std::string* XmlElement::attribute(std::string_view name) const {
    for (const auto& [attribute_name, value] : attributes) {
        if (attribute_name == name) return &value;
    }
    return nullptr;
}

namespace {

constexpr std::string_view default_namespace_attribute = "xmlns";
constexpr std::string_view namespace_prefix_attribute = "xmlns:";
constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_name_char(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || byte >= 0x80;
}

// Namespace declarations of one open element: prefix ("" for the default namespace) and URI.
using NamespaceScope = std::vector<std::pair<std::string, std::string>>;

class XmlScanner {
public:
    // A UTF-8 byte-order mark may precede the declaration.
    explicit XmlScanner(std::string_view document)
        : text_(document.starts_with(utf8_bom) ? document.substr(utf8_bom.size()) : document) {}

    std::optional<std::vector<XmlElement>> read() {
        bool root_seen = false;
        while (true) {
            if (!skip_text()) return std::nullopt;
            if (at_ >= text_.size()) break;
            if (starts_with("<?")) {
                if (!skip_past("?>")) return std::nullopt;
            } else if (starts_with("<!--")) {
                if (!skip_past("-->")) return std::nullopt;
            } else if (starts_with("<!")) {
                return std::nullopt;
            } else if (starts_with("</")) {
                if (!read_end_tag()) return std::nullopt;
            } else {
                if (open_.empty() && root_seen) return std::nullopt;
                root_seen = true;
                if (!read_start_tag()) return std::nullopt;
            }
        }
        if (!root_seen || !open_.empty()) return std::nullopt;
        return std::move(elements_);
    }

private:
    struct OpenElement {
        std::string qualified_name;
        std::size_t index;
        NamespaceScope scope;
    };

    bool starts_with(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }

    bool skip_past(std::string_view end) {
        const std::size_t found = text_.find(end, at_);
        if (found == std::string_view::npos) return false;
        at_ = found + end.size();
        return true;
    }

    // Text between tags carries nothing the descriptor needs; outside the root it may only be white space.
    bool skip_text() {
        for (; at_ < text_.size() && text_[at_] != '<'; ++at_) {
            if (open_.empty() && !is_space(text_[at_])) return false;
        }
        return true;
    }

    void skip_spaces() {
        while (at_ < text_.size() && is_space(text_[at_])) ++at_;
    }

    std::string_view read_name() {
        const std::size_t start = at_;
        while (at_ < text_.size() && is_name_char(text_[at_])) ++at_;
        const std::string_view name = text_.substr(start, at_ - start);
        if (!name.empty() && ((name[0] >= '0' && name[0] <= '9') || name[0] == '-' || name[0] == '.')) return {};
        return name;
    }

    std::optional<std::string> read_attribute_value() {
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return std::nullopt;
        const char quote = text_[at_++];
        const std::size_t end = text_.find(quote, at_);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view raw = text_.substr(at_, end - at_);
        at_ = end + 1;
        if (raw.find('<') != std::string_view::npos) return std::nullopt;
        return resolve_entities(raw);
    }

    static std::optional<std::string> resolve_entities(std::string_view raw) {
        static constexpr std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        std::string value;
        for (std::size_t i = 0; i < raw.size();) {
            if (raw[i] != '&') {
                value.push_back(raw[i++]);
                continue;
            }
            const auto* entity = std::find_if(std::begin(entities), std::end(entities),
                                              [&](const auto& known) { return raw.substr(i).starts_with(known.first); });
            if (entity == std::end(entities)) return std::nullopt;
            value.push_back(entity->second);
            i += entity->first.size();
        }
        return value;
    }

    std::optional<std::string> resolve_prefix(std::string_view prefix, const NamespaceScope& own) const {
        const auto find_in = [&](const NamespaceScope& scope) -> const std::string* {
            for (const auto& [declared, uri] : scope) {
                if (declared == prefix) return &uri;
            }
            return nullptr;
        };
        if (const std::string* uri = find_in(own)) return *uri;
        for (auto open = open_.rbegin(); open != open_.rend(); ++open) {
            if (const std::string* uri = find_in(open->scope)) return *uri;
        }
        if (prefix.empty()) return std::string{};
        return std::nullopt;
    }

    bool read_start_tag() {
        ++at_;  // '<'
        const std::string_view qualified_name = read_name();
        if (qualified_name.empty()) return false;
        XmlElement element;
        NamespaceScope scope;
        while (true) {
            const std::size_t before_space = at_;
            skip_spaces();
            if (at_ >= text_.size()) return false;
            if (text_[at_] == '/' || text_[at_] == '>') break;
            if (at_ == before_space) return false;  // attributes are separated by white space
            const std::string_view name = read_name();
            if (name.empty()) return false;
            skip_spaces();
            if (at_ >= text_.size() || text_[at_] != '=') return false;
            ++at_;
            skip_spaces();
            std::optional<std::string> value = read_attribute_value();
            if (!value || element.attribute(name) != nullptr) return false;
            if (name == default_namespace_attribute) {
                scope.emplace_back("", *value);
            } else if (name.starts_with(namespace_prefix_attribute)) {
                scope.emplace_back(name.substr(namespace_prefix_attribute.size()), *value);
            }
            element.attributes.emplace_back(name, std::move(*value));
        }
        const std::size_t colon = qualified_name.find(':');
        const std::string_view prefix = colon == std::string_view::npos ? "" : qualified_name.substr(0, colon);
        std::optional<std::string> uri = resolve_prefix(prefix, scope);
        if (!uri) return false;
        element.namespace_uri = std::move(*uri);
        element.local_name = qualified_name.substr(colon == std::string_view::npos ? 0 : colon + 1);
        if (element.local_name.empty()) return false;
        if (!open_.empty()) element.parent = open_.back().index;
        elements_.push_back(std::move(element));

        if (text_[at_] == '/') {
            ++at_;
            if (at_ >= text_.size() || text_[at_] != '>') return false;
            ++at_;
            return true;
        }
        ++at_;  // '>'
        open_.push_back({std::string(qualified_name), elements_.size() - 1, std::move(scope)});
        return true;
    }

    bool read_end_tag() {
        at_ += 2;  // "</"
        const std::string_view name = read_name();
        skip_spaces();
        if (open_.empty() || name != open_.back().qualified_name) return false;
        if (at_ >= text_.size() || text_[at_] != '>') return false;
        ++at_;
        open_.pop_back();
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<XmlElement> elements_;
    std::vector<OpenElement> open_;
};

}  // namespace

std::optional<std::vector<XmlElement>> read_xml_elements(std::string_view document) {
    return XmlScanner(document).read();
}

}  // namespace qz::crypto
