#pragma once

#include <chrono>
#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace touchlane {

class PropertyListValue;

using PropertyListArray = std::vector<PropertyListValue>;
using PropertyListDictionary = std::map<std::string, PropertyListValue>;
using PropertyListData = std::vector<uint8_t>;
// Property-list dates carry whole seconds.
using PropertyListDate = std::chrono::sys_seconds;

// One value of a property list: string, integer, real, boolean, date, data, array
// or dictionary. Integers, reals and booleans are all numbers: they read as each
// other where the conversion is exact, and compare by numeric value, so a setting
// written as `true` equals the `1` a file may hold for it. Arrays and dictionaries
// are shared immutably, so copies are cheap and safe to hand between threads.
class PropertyListValue {
public:
    enum class Kind { string, integer, real, boolean, date, data, array, dictionary };

    PropertyListValue(std::string value);
    PropertyListValue(const char* value);
    PropertyListValue(bool value);
    template <std::signed_integral T>
    PropertyListValue(T value) : storage_(static_cast<int64_t>(value)) {}
    template <std::unsigned_integral T>
        requires(!std::same_as<T, bool> && sizeof(T) < sizeof(int64_t))
    PropertyListValue(T value) : storage_(static_cast<int64_t>(value)) {}
    PropertyListValue(double value);
    PropertyListValue(float value);
    PropertyListValue(PropertyListDate value);
    PropertyListValue(PropertyListData value);
    PropertyListValue(PropertyListArray value);
    PropertyListValue(PropertyListDictionary value);

    Kind kind() const;
    bool isNumber() const;

    const std::string* stringValue() const;
    // Any number as a double.
    std::optional<double> numberValue() const;
    // Integers and booleans, and reals holding a whole number in range.
    std::optional<int64_t> integerValue() const;
    // Any number: true when it is not zero.
    std::optional<bool> boolValue() const;
    std::optional<PropertyListDate> dateValue() const;
    const PropertyListData* dataValue() const;
    const PropertyListArray* arrayValue() const;
    const PropertyListDictionary* dictionaryValue() const;

    friend bool operator==(const PropertyListValue& a, const PropertyListValue& b);

private:
    using Storage = std::variant<std::string, int64_t, double, bool, PropertyListDate, PropertyListData,
                                 std::shared_ptr<const PropertyListArray>,
                                 std::shared_ptr<const PropertyListDictionary>>;
    Storage storage_;
};

// Readable form for test failures and diagnostics.
std::string describe(const PropertyListValue& value);
void PrintTo(const PropertyListValue& value, std::ostream* out);

}  // namespace touchlane
