#include "replay/TraceReader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include <fmt/format.h>

namespace touchlane {

namespace {

std::string_view trim(std::string_view text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// Splits on blanks and tabs.
std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> result;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(" \t\r", pos);
        if (start == std::string_view::npos) break;
        size_t end = text.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = text.size();
        result.push_back(text.substr(start, end - start));
        pos = end;
    }
    return result;
}

// Times and display values beyond these are malformed: the replay turns times into
// integer nanoseconds and positions into integer pixels, which must not overflow.
// A trace of 31 years and a display of a million points are far beyond any real one.
constexpr double kMaximumTimeMs = 1e12;
constexpr double kMaximumDisplayValue = 1e6;

std::optional<double> parseDouble(std::string_view text, double magnitudeLimit) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > magnitudeLimit) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint64_t> parseUnsigned(std::string_view text, uint64_t max) {
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> parseHex(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        digits += c;
    }
    if (digits.size() % 2 != 0 || digits.size() / 2 > 65535) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        unsigned value = 0;
        std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::optional<TraceContact> parseContact(std::string_view text, std::string& why) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        fields.push_back(trim(text.substr(start, colon == std::string_view::npos ? colon : colon - start)));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (fields.size() != 4 && fields.size() != 6 && fields.size() != 7) {
        why = fmt::format("contact '{}' needs ID:STATE:X:Y, ID:STATE:X:Y:W:H or ID:STATE:X:Y:W:H:P", text);
        return std::nullopt;
    }
    // Identifier 255 marks an empty slot on the wire, so no contact can carry it.
    auto id = parseUnsigned(fields[0], 254);
    auto state = parseUnsigned(fields[1], 255);
    std::optional<uint64_t> values[5];
    for (size_t i = 2; i < fields.size(); ++i) values[i - 2] = parseUnsigned(fields[i], 65535);
    bool valid = id && state;
    for (size_t i = 2; i < fields.size(); ++i) valid = valid && values[i - 2];
    if (!valid) {
        why = fmt::format("contact '{}': ID is 0 to 254, STATE 0 to 255, the rest 0 to 65535", text);
        return std::nullopt;
    }
    TraceContact contact;
    contact.id = static_cast<uint8_t>(*id);
    contact.state = static_cast<uint8_t>(*state);
    contact.x = static_cast<uint16_t>(*values[0]);
    contact.y = static_cast<uint16_t>(*values[1]);
    if (fields.size() >= 6) {
        contact.width = static_cast<uint16_t>(*values[2]);
        contact.height = static_cast<uint16_t>(*values[3]);
    }
    if (fields.size() == 7) contact.pressure = static_cast<uint16_t>(*values[4]);
    return contact;
}

std::optional<FrameDirective> parseFrame(std::string_view rest, FrameFormat format, std::string& why) {
    FrameDirective frame;
    frame.format = format;
    size_t start = 0;
    for (;;) {
        size_t semicolon = rest.find(';', start);
        auto piece = trim(rest.substr(start, semicolon == std::string_view::npos ? semicolon : semicolon - start));
        if (!piece.empty()) {
            auto contact = parseContact(piece, why);
            if (!contact) return std::nullopt;
            frame.contacts.push_back(*contact);
        }
        if (semicolon == std::string_view::npos) break;
        start = semicolon + 1;
    }
    if (frame.contacts.empty()) {
        why = "a frame needs at least one contact";
        return std::nullopt;
    }
    if (frame.contacts.size() > 255) {
        why = "a frame holds at most 255 contacts";
        return std::nullopt;
    }
    return frame;
}

std::optional<TraceDirective> parseMonitor(const std::vector<std::string_view>& tokens, std::string& why) {
    TraceDirective directive;
    if (tokens.size() == 3 && tokens[2] == "off") {
        directive.body = MonitorDirective{std::string(tokens[1]), std::nullopt, false};
        return directive;
    }
    const bool primary = tokens.size() == 7 && tokens[6] == "primary";
    if (tokens.size() != 6 && !primary) {
        why = "monitor needs NAME X Y W H [primary], or NAME off";
        return std::nullopt;
    }
    double values[4];
    for (int i = 0; i < 4; ++i) {
        auto value = parseDouble(tokens[i + 2], kMaximumDisplayValue);
        if (!value || (i >= 2 && *value <= 0)) {
            why = fmt::format("monitor: '{}' is not a valid number (sizes are above 0)", tokens[i + 2]);
            return std::nullopt;
        }
        values[i] = *value;
    }
    directive.body = MonitorDirective{std::string(tokens[1]), Rect{values[0], values[1], values[2], values[3]}, primary};
    return directive;
}

}  // namespace

std::optional<TraceDirective> parseTraceLine(std::string_view line, std::string& why) {
    line = trim(line);
    auto tokens = words(line);
    if (tokens.empty()) {
        why = "empty directive";
        return std::nullopt;
    }
    TraceDirective directive;
    if (tokens[0] == "display") {
        double values[4];
        if (tokens.size() != 5) {
            why = "display needs X Y W H";
            return std::nullopt;
        }
        for (int i = 0; i < 4; ++i) {
            auto value = parseDouble(tokens[i + 1], kMaximumDisplayValue);
            if (!value || (i >= 2 && *value < 0)) {
                why = fmt::format("display: '{}' is not a valid number", tokens[i + 1]);
                return std::nullopt;
            }
            values[i] = *value;
        }
        directive.body = DisplayDirective{{values[0], values[1], values[2], values[3]}};
        return directive;
    }
    if (tokens[0] == "monitor") return parseMonitor(tokens, why);
    if (tokens[0] == "choose") {
        if (tokens.size() > 2) {
            why = "choose takes one monitor name, or none for the primary monitor";
            return std::nullopt;
        }
        directive.body = ChooseDirective{tokens.size() == 2 ? std::string(tokens[1]) : std::string()};
        return directive;
    }
    auto time = parseDouble(tokens[0], kMaximumTimeMs);
    if (!time || *time < 0) {
        why = fmt::format("'{}' is neither a time in milliseconds nor 'display', 'monitor' or 'choose'", tokens[0]);
        return std::nullopt;
    }
    directive.timeMs = *time;
    if (tokens.size() < 2) {
        why = "a directive name must follow the time";
        return std::nullopt;
    }
    std::string_view name = tokens[1];
    // Everything after the directive name, for the forms whose fields hold blanks.
    std::string_view rest = trim(line.substr(static_cast<size_t>(name.data() + name.size() - line.data())));
    if (name == "report") {
        auto bytes = parseHex(rest);
        if (!bytes) {
            why = "report needs an even number of hexadecimal digits (at most 65535 bytes)";
            return std::nullopt;
        }
        directive.body = ReportDirective{std::move(*bytes)};
    } else if (name == "frame" || name == "g1frame") {
        auto frame = parseFrame(rest, name == "frame" ? FrameFormat::standard : FrameFormat::g1, why);
        if (!frame) return std::nullopt;
        directive.body = std::move(*frame);
    } else if (name == "pen") {
        if (tokens.size() != 5 && tokens.size() != 6) {
            why = "pen needs STATE X Y [FLAGS]";
            return std::nullopt;
        }
        auto state = parseUnsigned(tokens[2], 1);
        auto x = parseUnsigned(tokens[3], 65535);
        auto y = parseUnsigned(tokens[4], 65535);
        auto flags = tokens.size() == 6 ? parseUnsigned(tokens[5], 255) : std::optional<uint64_t>(0);
        if (!state || !x || !y || !flags) {
            why = "pen: STATE is 0 or 1, X and Y 0 to 65535, FLAGS 0 to 255";
            return std::nullopt;
        }
        directive.body = PenDirective{static_cast<uint8_t>(*state), static_cast<uint16_t>(*x),
                                      static_cast<uint16_t>(*y), static_cast<uint8_t>(*flags)};
    } else if (name == "idle") {
        if (tokens.size() != 2) {
            why = "idle takes no arguments";
            return std::nullopt;
        }
        directive.body = IdleDirective{};
    } else {
        why = fmt::format("unknown directive '{}'", name);
        return std::nullopt;
    }
    return directive;
}

TraceReader::TraceReader(std::istream& input) : input_(input) {}

TraceReader::Status TraceReader::next(TraceDirective& directive) {
    std::string line;
    while (std::getline(input_, line)) {
        ++lineNumber_;
        auto content = trim(line);
        if (content.empty() || content.front() == '#') continue;
        std::string why;
        auto parsed = parseTraceLine(content, why);
        if (!parsed) {
            error_ = fmt::format("line {}: {}", lineNumber_, why);
            return Status::error;
        }
        if (parsed->timed()) {
            if (sawTime_ && parsed->timeMs < lastTimeMs_) {
                error_ = fmt::format("line {}: time {} is earlier than the previous time {}", lineNumber_,
                                     parsed->timeMs, lastTimeMs_);
                return Status::error;
            }
            lastTimeMs_ = parsed->timeMs;
            sawTime_ = true;
        }
        directive = std::move(*parsed);
        return Status::directive;
    }
    if (input_.bad()) {
        error_ = fmt::format("line {}: the trace could not be read", lineNumber_ + 1);
        return Status::error;
    }
    return Status::end;
}

}  // namespace touchlane
