#include "echo.h"

#include "csv.h"

namespace humitrax::cli {
namespace {

void AppendHexByte(std::string& out, unsigned char byte)
{
    constexpr std::string_view kDigits = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4U];
    out += kDigits[byte & 0xFU];
}

/// The escape of the character at the front of `text`, `length` bytes long
/// (0: a byte outside a well-formed sequence); empty when it is shown as it is.
std::string EscapeOf(std::string_view text, std::size_t length)
{
    const auto first = static_cast<unsigned char>(text.front());
    std::string escape;
    if (length == 0) {
        AppendHexByte(escape, first);
    } else if (length == 1) {
        switch (first) {
        case '\\': escape = "\\\\"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\t': escape = "\\t"; break;
        default:
            if (first < 0x20U || first == 0x7FU)
                AppendHexByte(escape, first);
        }
    } else if (length == 2 && first == 0xC2U && static_cast<unsigned char>(text[1]) < 0xA0U) {
        // U+0080 to U+009F: the C1 controls, which terminals obey too.
        AppendHexByte(escape, first);
        AppendHexByte(escape, static_cast<unsigned char>(text[1]));
    }
    return escape;
}

} // namespace

std::string Echo(std::string_view text)
{
    std::string out;
    std::size_t shown = 0; // characters so far
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        const std::size_t bytes = length == 0 ? 1 : length;
        const std::string escape = EscapeOf(text, length);
        const std::size_t width = escape.empty() ? 1 : escape.size();
        if (shown + width > kEchoLimit)
            return out + "...";
        if (escape.empty())
            out.append(text.substr(0, bytes));
        else
            out += escape;
        shown += width;
        text.remove_prefix(bytes);
    }
    return out;
}

std::string Quoted(std::string_view text) { return "'" + Echo(text) + "'"; }

} // namespace humitrax::cli
