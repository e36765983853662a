#pragma once
// A small, strict reader of the XML encryption descriptor of agile encryption: it yields the elements with
// their resolved namespaces and attributes and refuses anything that is not well-formed. The descriptor has
// no text content that matters, no DOCTYPE and no CDATA; a document using them is refused.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz::crypto {

struct XmlElement {
    std::string namespace_uri;
    std::string local_name;
    // Attribute names as written (prefix included) and values with their entity references resolved.
    std::vector<std::pair<std::string, std::string>> attributes;
    // Index of the enclosing element in the document's list; none for the root.
    std::optional<std::size_t> parent;

    // The value of the attribute written `name`, or nullptr.
    const std::string* attribute(std::string_view name) const;
};

// The elements of `document` in document order; nullopt when it is not well-formed (unbalanced or
// mismatched tags, bad attribute syntax, a duplicate attribute, an unknown entity or namespace prefix, more
// than one root element).
std::optional<std::vector<XmlElement>> read_xml_elements(std::string_view document);

}  // namespace qz::crypto
