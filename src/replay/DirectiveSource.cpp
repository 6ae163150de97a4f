#include "replay/DirectiveSource.h"

#include <ios>
#include <streambuf>
#include <string>

#include "replay/EvemuReader.h"

namespace touchlane {

namespace {

// Serves the lines read ahead, then the rest of the input, so that the chosen
// reader sees the whole input and counts its lines as they are in the file.
class ReadAheadBuffer final : public std::streambuf {
public:
    ReadAheadBuffer(std::string readAhead, std::istream& rest) : readAhead_(std::move(readAhead)), rest_(rest) {
        setg(readAhead_.data(), readAhead_.data(), readAhead_.data() + readAhead_.size());
    }

protected:
    // A line at a time, as the readers ask for them: a recording piped in live
    // plays each report as it arrives instead of waiting for a full buffer.
    int_type underflow() override {
        if (!std::getline(rest_, line_)) {
            // The reader's stream turns this into its bad state, so a failed read
            // is still reported as one rather than taken for the end.
            if (rest_.bad()) throw std::ios_base::failure("the input could not be read");
            return traits_type::eof();
        }
        line_ += '\n';
        setg(line_.data(), line_.data(), line_.data() + line_.size());
        return traits_type::to_int_type(line_[0]);
    }

private:
    std::string readAhead_;
    std::istream& rest_;
    std::string line_;
};

template <typename Reader>
class ReaderSource final : public DirectiveSource {
public:
    ReaderSource(std::string readAhead, std::istream& input)
        : buffer_(std::move(readAhead), input), stream_(&buffer_), reader_(stream_) {}
    Status next(TraceDirective& directive) override { return reader_.next(directive); }
    const std::string& errorMessage() const override { return reader_.errorMessage(); }

private:
    ReadAheadBuffer buffer_;
    std::istream stream_;
    Reader reader_;
};

}  // namespace

std::unique_ptr<DirectiveSource> openDirectiveSource(std::istream& input) {
    // Blank and comment lines are skipped by both readers, so they are kept as
    // empty lines: only their count matters, for the line numbers of errors.
    std::string readAhead;
    std::string line;
    bool evemu = false;
    while (std::getline(input, line)) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            readAhead += '\n';
            continue;
        }
        evemu = isEvemuLine(line);
        readAhead += line + '\n';
        break;
    }
    if (evemu) return std::make_unique<ReaderSource<EvemuReader>>(std::move(readAhead), input);
    return std::make_unique<ReaderSource<TraceReader>>(std::move(readAhead), input);
}

}  // namespace touchlane
