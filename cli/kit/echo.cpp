#include "kit/echo.h"


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


std::size_t Utf8SequenceLength(std::string_view text) noexcept
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i) {
        return i < text.size() && (byte(i) & 0xC0) == 0x80;
    };
    if (text.empty())
        return 0;
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range depends on the lead: it rules out overlong
    // forms (E0, F0), surrogates (ED) and values above U+10FFFF (F4).
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < 2 || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!continuation(i))
            return 0;
    }
    return length;
}

} // namespace humitrax::cli
