#pragma once
// Property blobs, the LvProp values of catalog rows (reference section 9).

#include <string>
#include <vector>

#include "writer/access_writer.hpp"
#include "writer/byte_buffer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

struct NamedProperties {
    std::u16string name;  // a column or query field; empty for the object itself
    std::vector<Property> properties;
};

// The blob for an object's own properties and its columns' properties; empty when there are none.
Bytes property_blob(const FileLayout& layout, const std::vector<Property>& object,
                    const std::vector<NamedProperties>& columns);

}  // namespace qz::writer
