#include "replay/EvemuReader.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <limits>
#include <vector>

#include <fmt/format.h>

namespace touchlane {

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kHeaderKinds = "NIPBA";

std::string_view trimmed(std::string_view text) {
    const size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

std::vector<std::string_view> fieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    for (size_t pos = text.find_first_not_of(kBlanks); pos != std::string_view::npos;
         pos = text.find_first_not_of(kBlanks, pos)) {
        const size_t end = std::min(text.find_first_of(kBlanks, pos), text.size());
        fields.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

template <typename Number>
std::optional<Number> parsed(std::string_view text, int base = 10) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<uint16_t> parsedCode(std::string_view text) { return parsed<uint16_t>(text, 16); }

// Seconds and a fraction of up to nine digits, as nanoseconds. Seconds stop at
// 2^32 so that any two times differ by a number of nanoseconds that fits.
std::optional<int64_t> parsedTimeNs(std::string_view text) {
    const size_t dot = text.find('.');
    const auto seconds = parsed<uint32_t>(text.substr(0, dot));
    if (!seconds) return std::nullopt;
    int64_t ns = int64_t(*seconds) * 1'000'000'000;
    if (dot == std::string_view::npos) return ns;
    const std::string_view fraction = text.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 9 || !parsed<uint32_t>(fraction)) return std::nullopt;
    int64_t scale = 1'000'000'000;
    for (char digit : fraction) ns += (digit - '0') * (scale /= 10);
    return ns;
}

}  // namespace

bool isEvemuLine(std::string_view line) {
    line = trimmed(line);
    return line.size() >= 2 && line[1] == ':' &&
           (line[0] == 'E' || kHeaderKinds.find(line[0]) != std::string_view::npos);
}

EvemuReader::EvemuReader(std::istream& input) : input_(input) {}

EvemuReader::Status EvemuReader::next(TraceDirective& directive) {
    if (!waiting_ && !recordingEnded_) {
        TraceDirective recorded;
        const Status status = nextRecorded(recorded);
        if (status == Status::error) return status;
        if (status == Status::end) recordingEnded_ = true;
        else waiting_ = std::move(recorded);
    }
    if (!waiting_) return Status::end;
    if (held_ && waiting_->timeMs - held_->timeMs > kHeldFrameRepeatMs &&
        held_->timeMs + kHeldFrameRepeatMs - heldSinceMs_ <= kHeldFrameRepeatLimitMs) {
        held_->timeMs += kHeldFrameRepeatMs;
        directive = *held_;
        return Status::directive;
    }
    directive = std::move(*waiting_);
    waiting_.reset();
    held_.reset();
    if (const auto* frame = std::get_if<FrameDirective>(&directive.body)) {
        FrameDirective touching{frame->format, {}};
        for (const auto& contact : frame->contacts)
            if (contact.state == 7) touching.contacts.push_back(contact);
        if (!touching.contacts.empty()) {
            held_ = TraceDirective{directive.timeMs, std::move(touching)};
            heldSinceMs_ = directive.timeMs;
        }
    }
    return Status::directive;
}

EvemuReader::Status EvemuReader::nextRecorded(TraceDirective& directive) {
    std::string line;
    while (std::getline(input_, line)) {
        ++lineNumber_;
        const auto content = trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        std::optional<TraceDirective> frame;
        if (!readLine(content, frame)) return Status::error;
        if (frame) {
            directive = std::move(*frame);
            return Status::directive;
        }
    }
    if (input_.bad()) {
        error_ = fmt::format("line {}: the recording could not be read", lineNumber_ + 1);
        return Status::error;
    }
    return Status::end;
}

bool EvemuReader::readLine(std::string_view line, std::optional<TraceDirective>& directive) {
    if (!isEvemuLine(line)) return fail("neither a device description line (N:, I:, P:, B:, A:) nor an event (E:)");
    const char kind = line[0];
    const std::string_view rest = line.substr(2);
    if (kind == 'E') return readEvent(rest, directive);
    // Ranges that changed under events already played would scale them two ways.
    if (sawEvent_) return fail("the device description must come before the events");
    if (kind == 'A') return readAxis(rest);
    return true;  // name, ids, properties and event bits: nothing to play
}

bool EvemuReader::readAxis(std::string_view rest) {
    const auto fields = fieldsOf(rest);
    const auto code = fields.empty() ? std::nullopt : parsedCode(fields[0]);
    std::optional<int32_t> numbers[5];
    for (size_t i = 1; i < fields.size() && i <= 5; ++i) numbers[i - 1] = parsed<int32_t>(fields[i]);
    bool valid = code && (fields.size() == 5 || fields.size() == 6);
    for (size_t i = 1; valid && i < fields.size(); ++i) valid = numbers[i - 1].has_value();
    if (!valid) return fail("an axis needs A: CODE MIN MAX FUZZ FLAT [RESOLUTION], CODE in hexadecimal");
    if (*numbers[1] < *numbers[0]) return fail(fmt::format("axis {:02x}: maximum below minimum", *code));
    slots_.setRange(*code, {*numbers[0], *numbers[1]});
    return true;
}

bool EvemuReader::readEvent(std::string_view rest, std::optional<TraceDirective>& directive) {
    // A comment may follow the event on its line.
    const auto fields = fieldsOf(rest.substr(0, rest.find('#')));
    if (fields.size() != 4) return fail("an event needs E: SECONDS.MICROSECONDS TYPE CODE VALUE");
    const auto timeNs = parsedTimeNs(fields[0]);
    const auto type = parsedCode(fields[1]);
    const auto code = parsedCode(fields[2]);
    const auto value = parsed<int32_t>(fields[3]);
    if (!timeNs || !type || !code || !value) {
        return fail("an event's time is SECONDS.FRACTION, its TYPE and CODE hexadecimal up to ffff, "
                    "its VALUE a 32-bit decimal integer");
    }
    if (!sawEvent_) {
        if (!slots_.hasPositionRanges()) {
            return fail("no range for ABS_MT_POSITION_X and ABS_MT_POSITION_Y before the first event: the "
                        "device description (its A: lines) must come first");
        }
        sawEvent_ = true;
        firstEventNs_ = lastEventNs_ = *timeNs;
    }
    if (*timeNs < lastEventNs_) return fail(fmt::format("time {} is earlier than the event before", fields[0]));
    lastEventNs_ = *timeNs;

    if (*type == EV_SYN) {
        if (*code == SYN_MT_REPORT) return fail("contacts without slots (SYN_MT_REPORT) cannot be played");
        if (*code == SYN_DROPPED) dropping_ = true;
        if (*code != SYN_REPORT) return true;
        if (dropping_) {
            dropping_ = false;
            return true;
        }
        if (auto frame = slots_.completeFrame()) {
            directive = TraceDirective{double(*timeNs - firstEventNs_) / 1e6, std::move(*frame)};
        }
        return true;
    }
    if (*type != EV_ABS || dropping_) return true;  // keys and the single-touch axes repeat what the slots say
    std::string why;
    return slots_.applyAbs(*code, *value, why) || fail(why);
}

bool EvemuReader::fail(std::string why) {
    error_ = fmt::format("line {}: {}", lineNumber_, why);
    return false;
}

}  // namespace touchlane
