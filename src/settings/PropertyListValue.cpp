#include "settings/PropertyListValue.h"

#include <cmath>
#include <ostream>

#include <fmt/format.h>

namespace touchlane {

namespace {

// 2^63 is exact as a double; every whole double in [-2^63, 2^63) fits int64_t.
constexpr double kTwoToThe63 = 9223372036854775808.0;

std::optional<int64_t> exactInteger(double value) {
    if (!std::isfinite(value) || value != std::trunc(value)) return std::nullopt;
    if (value < -kTwoToThe63 || value >= kTwoToThe63) return std::nullopt;
    return static_cast<int64_t>(value);
}

bool numbersEqual(const PropertyListValue& a, const PropertyListValue& b) {
    using Kind = PropertyListValue::Kind;
    if (a.kind() == Kind::real && b.kind() == Kind::real) return *a.numberValue() == *b.numberValue();
    // Compared as integers so that large values do not lose precision; a real
    // equals an integer only when it holds exactly that whole number.
    auto left = a.integerValue();
    auto right = b.integerValue();
    return left && right && *left == *right;
}

}  // namespace

PropertyListValue::PropertyListValue(std::string value) : storage_(std::move(value)) {}
PropertyListValue::PropertyListValue(const char* value) : storage_(std::string(value)) {}
PropertyListValue::PropertyListValue(bool value) : storage_(value) {}
PropertyListValue::PropertyListValue(double value) : storage_(value) {}
PropertyListValue::PropertyListValue(float value) : storage_(static_cast<double>(value)) {}
PropertyListValue::PropertyListValue(PropertyListDate value) : storage_(value) {}
PropertyListValue::PropertyListValue(PropertyListData value) : storage_(std::move(value)) {}
PropertyListValue::PropertyListValue(PropertyListArray value)
    : storage_(std::make_shared<const PropertyListArray>(std::move(value))) {}
PropertyListValue::PropertyListValue(PropertyListDictionary value)
    : storage_(std::make_shared<const PropertyListDictionary>(std::move(value))) {}

PropertyListValue::Kind PropertyListValue::kind() const { return static_cast<Kind>(storage_.index()); }

bool PropertyListValue::isNumber() const {
    Kind k = kind();
    return k == Kind::integer || k == Kind::real || k == Kind::boolean;
}

const std::string* PropertyListValue::stringValue() const { return std::get_if<std::string>(&storage_); }

std::optional<double> PropertyListValue::numberValue() const {
    if (auto i = std::get_if<int64_t>(&storage_)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&storage_)) return *d;
    if (auto b = std::get_if<bool>(&storage_)) return *b ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<int64_t> PropertyListValue::integerValue() const {
    if (auto i = std::get_if<int64_t>(&storage_)) return *i;
    if (auto b = std::get_if<bool>(&storage_)) return *b ? 1 : 0;
    if (auto d = std::get_if<double>(&storage_)) return exactInteger(*d);
    return std::nullopt;
}

std::optional<bool> PropertyListValue::boolValue() const {
    if (auto n = numberValue()) return *n != 0.0;
    return std::nullopt;
}

std::optional<PropertyListDate> PropertyListValue::dateValue() const {
    if (auto d = std::get_if<PropertyListDate>(&storage_)) return *d;
    return std::nullopt;
}

const PropertyListData* PropertyListValue::dataValue() const { return std::get_if<PropertyListData>(&storage_); }

const PropertyListArray* PropertyListValue::arrayValue() const {
    auto p = std::get_if<std::shared_ptr<const PropertyListArray>>(&storage_);
    return p ? p->get() : nullptr;
}

const PropertyListDictionary* PropertyListValue::dictionaryValue() const {
    auto p = std::get_if<std::shared_ptr<const PropertyListDictionary>>(&storage_);
    return p ? p->get() : nullptr;
}

bool operator==(const PropertyListValue& a, const PropertyListValue& b) {
    if (a.isNumber() || b.isNumber()) return a.isNumber() && b.isNumber() && numbersEqual(a, b);
    if (a.kind() != b.kind()) return false;
    using Kind = PropertyListValue::Kind;
    switch (a.kind()) {
        case Kind::string: return *a.stringValue() == *b.stringValue();
        case Kind::date: return *a.dateValue() == *b.dateValue();
        case Kind::data: return *a.dataValue() == *b.dataValue();
        case Kind::array: return *a.arrayValue() == *b.arrayValue();
        case Kind::dictionary: return *a.dictionaryValue() == *b.dictionaryValue();
        default: return false;
    }
}

std::string describe(const PropertyListValue& value) {
    using Kind = PropertyListValue::Kind;
    switch (value.kind()) {
        case Kind::string: return fmt::format("\"{}\"", *value.stringValue());
        case Kind::integer: return fmt::format("{}", *value.integerValue());
        case Kind::real: return fmt::format("{}", *value.numberValue());
        case Kind::boolean: return *value.boolValue() ? "true" : "false";
        case Kind::date: return fmt::format("date({})", value.dateValue()->time_since_epoch().count());
        case Kind::data: return fmt::format("data({} bytes)", value.dataValue()->size());
        case Kind::array: {
            std::string text = "[";
            for (const auto& element : *value.arrayValue()) text += (text.size() > 1 ? ", " : "") + describe(element);
            return text + "]";
        }
        case Kind::dictionary: {
            std::string text = "{";
            for (const auto& [key, element] : *value.dictionaryValue()) {
                text += fmt::format("{}{}: {}", text.size() > 1 ? ", " : "", key, describe(element));
            }
            return text + "}";
        }
    }
    return "?";
}

void PrintTo(const PropertyListValue& value, std::ostream* out) { *out << describe(value); }

}  // namespace touchlane
