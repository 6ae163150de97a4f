#pragma once

#include <string>
#include <string_view>

#include "settings/PropertyListValue.h"

namespace touchlane {

// The outcome of reading a settings file's bytes.
struct DecodedPropertyList {
    enum class Status {
        ok,
        // Parsed with a dictionary root, but some entries could not be represented
        // (an unknown node type, an integer out of range); they were left out.
        partial,
        // Not a property list, or its root is not a dictionary.
        malformed,
    };
    Status status = Status::malformed;
    PropertyListDictionary dictionary;
};

// Reads an XML or binary property list whose root is a dictionary.
DecodedPropertyList decodePropertyList(std::string_view bytes);

// Writes the dictionary as an XML property list.
std::string encodeXmlPropertyList(const PropertyListDictionary& dictionary);

}  // namespace touchlane
