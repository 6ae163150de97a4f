#include "logging/EscapedText.h"

#include <fmt/format.h>

namespace touchlane {

std::string escapeControlCharacters(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // U+0080 to U+009F (NEL among them) in UTF-8: 0xC2 followed by 0x80-0x9F.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                escaped += fmt::format("\\u{:04x}", next);
                ++i;
                continue;
            }
        }
        switch (byte) {
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            case '\\': escaped += "\\\\"; break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    escaped += fmt::format("\\x{:02x}", byte);
                } else {
                    escaped += static_cast<char>(byte);
                }
        }
    }
    return escaped;
}

}  // namespace touchlane
