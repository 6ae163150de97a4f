#include "settings/PropertyListCoding.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

#include <plist/plist.h>

namespace touchlane {

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr int64_t kSecondsFrom1970To2001 = 978307200;

struct PlistDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, MallocDeleter>;

// ---- reading -------------------------------------------------------------

// Settings nest a level or two. A file nesting deeper than this is refused
// whole: the decoding recurses once per level.
constexpr int kMaximumNesting = 32;

struct DecodeState {
    bool complete = true;
    bool tooDeep = false;
    int depth = 0;
};

std::optional<PropertyListValue> decodeNode(plist_t node, DecodeState& state);

PropertyListArray decodeArray(plist_t node, DecodeState& state) {
    PropertyListArray array;
    uint32_t count = plist_array_get_size(node);
    array.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (auto element = decodeNode(plist_array_get_item(node, i), state)) array.push_back(std::move(*element));
    }
    return array;
}

PropertyListDictionary decodeDictionary(plist_t node, DecodeState& state) {
    PropertyListDictionary dictionary;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    MallocPtr<void> iteratorOwner(iterator);
    for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iterator, &rawKey, &item);
        MallocPtr<char> key(rawKey);
        if (!key || !item) break;
        if (auto value = decodeNode(item, state)) dictionary.insert_or_assign(key.get(), std::move(*value));
    }
    return dictionary;
}

std::optional<PropertyListValue> decodeNode(plist_t node, DecodeState& state) {
    const auto type = plist_get_node_type(node);
    if (type == PLIST_ARRAY || type == PLIST_DICT) {
        if (state.depth >= kMaximumNesting || state.tooDeep) {
            state.tooDeep = true;
            return std::nullopt;
        }
        ++state.depth;
        auto value = type == PLIST_ARRAY ? PropertyListValue(decodeArray(node, state))
                                         : PropertyListValue(decodeDictionary(node, state));
        --state.depth;
        return value;
    }
    switch (type) {
        case PLIST_STRING: {
            char* raw = nullptr;
            plist_get_string_val(node, &raw);
            MallocPtr<char> text(raw);
            return PropertyListValue(std::string(text ? text.get() : ""));
        }
        case PLIST_UINT: {
            // The library keeps signed and unsigned integers in one 64-bit field;
            // negative settings come back through the same cast they went in with.
            uint64_t raw = 0;
            plist_get_uint_val(node, &raw);
            return PropertyListValue(static_cast<int64_t>(raw));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PropertyListValue(value);
        }
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PropertyListValue(value != 0);
        }
        case PLIST_DATE: {
            int32_t seconds = 0, microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            return PropertyListValue(PropertyListDate(std::chrono::seconds(seconds + kSecondsFrom1970To2001)));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            auto begin = reinterpret_cast<const uint8_t*>(bytes);
            return PropertyListValue(bytes ? PropertyListData(begin, begin + length) : PropertyListData{});
        }
        default:
            // Keyed-archive identifiers and the like have no settings meaning.
            state.complete = false;
            return std::nullopt;
    }
}

// ---- writing -------------------------------------------------------------

plist_t encodeNode(const PropertyListValue& value);

plist_t encodeDate(PropertyListDate date) {
    // The library stores 32-bit seconds from 2001: years 1933 to 2069.
    int64_t seconds = date.time_since_epoch().count() - kSecondsFrom1970To2001;
    seconds = std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return plist_new_date(static_cast<int32_t>(seconds), 0);
}

plist_t encodeNode(const PropertyListValue& value) {
    using Kind = PropertyListValue::Kind;
    switch (value.kind()) {
        case Kind::string: return plist_new_string(value.stringValue()->c_str());
        case Kind::integer: return plist_new_uint(static_cast<uint64_t>(*value.integerValue()));
        case Kind::real: return plist_new_real(*value.numberValue());
        case Kind::boolean: return plist_new_bool(*value.boolValue() ? 1 : 0);
        case Kind::date: return encodeDate(*value.dateValue());
        case Kind::data: {
            const auto& data = *value.dataValue();
            return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
        }
        case Kind::array: {
            plist_t array = plist_new_array();
            for (const auto& element : *value.arrayValue()) plist_array_append_item(array, encodeNode(element));
            return array;
        }
        case Kind::dictionary: {
            plist_t dictionary = plist_new_dict();
            for (const auto& [key, element] : *value.dictionaryValue()) {
                plist_dict_set_item(dictionary, key.c_str(), encodeNode(element));
            }
            return dictionary;
        }
    }
    return plist_new_string("");
}

}  // namespace

DecodedPropertyList decodePropertyList(std::string_view bytes) {
    DecodedPropertyList result;
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return result;
    plist_t raw = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    PlistNode root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return result;
    DecodeState state;
    state.depth = 1;
    PropertyListDictionary dictionary = decodeDictionary(root.get(), state);
    if (state.tooDeep) return result;
    result.dictionary = std::move(dictionary);
    result.status = state.complete ? DecodedPropertyList::Status::ok : DecodedPropertyList::Status::partial;
    return result;
}

std::string encodeXmlPropertyList(const PropertyListDictionary& dictionary) {
    PlistNode root(encodeNode(PropertyListValue(dictionary)));
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    std::unique_ptr<char, void (*)(char*)> xml(raw, plist_to_xml_free);
    return xml ? std::string(xml.get(), length) : std::string();
}

}  // namespace touchlane
