#include "replay/DirectiveSource.h"

#include <ios>
#include <streambuf>

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
    int_type underflow() override {
        rest_.read(chunk_, sizeof chunk_);
        const std::streamsize count = rest_.gcount();
        // The reader's stream turns this into its bad state, so a failed read is
        // still reported as one rather than taken for the end.
        if (count <= 0 && rest_.bad()) throw std::ios_base::failure("the input could not be read");
        if (count <= 0) return traits_type::eof();
        setg(chunk_, chunk_, chunk_ + count);
        return traits_type::to_int_type(chunk_[0]);
    }

private:
    std::string readAhead_;
    std::istream& rest_;
    char chunk_[4096];
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
