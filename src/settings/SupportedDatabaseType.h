#pragma once

#include <concepts>
#include <limits>
#include <optional>
#include <string>

#include "settings/PropertyListValue.h"

namespace touchlane {

// How a C++ type that the typed settings interface accepts becomes a stored value
// and how a stored value reads back as it. Reading gives none when the stored value
// is of another type; numbers read as any numeric type where the conversion is exact
// (and as a boolean by being non-zero), since the settings file does not always keep
// the numeric kind a value was written with.
template <typename T>
struct DatabaseValue;

template <typename T>
concept SupportedDatabaseType = requires(const T& value, const PropertyListValue& stored) {
    { DatabaseValue<T>::toValue(value) } -> std::same_as<PropertyListValue>;
    { DatabaseValue<T>::fromValue(stored) } -> std::same_as<std::optional<T>>;
};

template <std::signed_integral T>
struct DatabaseValue<T> {
    static PropertyListValue toValue(T value) { return PropertyListValue(static_cast<int64_t>(value)); }
    static std::optional<T> fromValue(const PropertyListValue& stored) {
        auto integer = stored.integerValue();
        if (!integer || *integer < std::numeric_limits<T>::min() || *integer > std::numeric_limits<T>::max()) {
            return std::nullopt;
        }
        return static_cast<T>(*integer);
    }
};

template <std::floating_point T>
struct DatabaseValue<T> {
    static PropertyListValue toValue(T value) { return PropertyListValue(static_cast<double>(value)); }
    static std::optional<T> fromValue(const PropertyListValue& stored) {
        auto number = stored.numberValue();
        if (!number) return std::nullopt;
        return static_cast<T>(*number);
    }
};

template <>
struct DatabaseValue<bool> {
    static PropertyListValue toValue(bool value) { return PropertyListValue(value); }
    static std::optional<bool> fromValue(const PropertyListValue& stored) { return stored.boolValue(); }
};

// Types stored as one kind and read back only from that kind.
template <typename T, const T* (PropertyListValue::*read)() const>
struct SingleKindDatabaseValue {
    static PropertyListValue toValue(const T& value) { return PropertyListValue(value); }
    static std::optional<T> fromValue(const PropertyListValue& stored) {
        if (const T* value = (stored.*read)()) return *value;
        return std::nullopt;
    }
};

template <>
struct DatabaseValue<std::string> : SingleKindDatabaseValue<std::string, &PropertyListValue::stringValue> {};
template <>
struct DatabaseValue<PropertyListArray> : SingleKindDatabaseValue<PropertyListArray, &PropertyListValue::arrayValue> {};
template <>
struct DatabaseValue<PropertyListDictionary>
    : SingleKindDatabaseValue<PropertyListDictionary, &PropertyListValue::dictionaryValue> {};

// Any stored value, whatever its kind.
template <>
struct DatabaseValue<PropertyListValue> {
    static PropertyListValue toValue(const PropertyListValue& value) { return value; }
    static std::optional<PropertyListValue> fromValue(const PropertyListValue& stored) { return stored; }
};

}  // namespace touchlane
