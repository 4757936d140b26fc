#include "host/xml_indent.h"

namespace omni::host {

namespace {

// The end of the markup that starts at begin ('<'), honouring quoted attribute values; npos if open.
size_t MarkupEnd(const std::string& xml, size_t begin) {
    char quote = 0;
    for (size_t i = begin + 1; i < xml.size(); ++i) {
        char c = xml[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string::npos;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

std::string IndentXml(const std::string& xml) {
    std::string out;
    int depth = 0;
    auto line = [&](const std::string& text) {
        out.append(static_cast<size_t>(depth > 0 ? depth : 0) * 2, ' ');
        out += text;
        out += '\n';
    };
    size_t pos = 0;
    while (pos < xml.size()) {
        size_t open = xml.find('<', pos);
        if (open == std::string::npos) {
            std::string tail = xml.substr(pos);
            if (!IsBlank(tail)) line(tail);
            break;
        }
        std::string text = xml.substr(pos, open - pos);
        if (!IsBlank(text)) line(text);
        size_t close = MarkupEnd(xml, open);
        if (close == std::string::npos) {
            line(xml.substr(open));
            break;
        }
        std::string tag = xml.substr(open, close - open + 1);
        pos = close + 1;
        if (tag[1] == '/') {
            --depth;
            line(tag);
        } else if (tag[1] == '?' || tag[1] == '!' || tag[tag.size() - 2] == '/') {
            line(tag);
        } else {
            // <a>text</a> reads best on one line.
            size_t next = xml.find('<', pos);
            if (next != std::string::npos && next > pos && xml.compare(next, 2, "</") == 0) {
                size_t end = MarkupEnd(xml, next);
                if (end != std::string::npos) {
                    line(tag + xml.substr(pos, end + 1 - pos));
                    pos = end + 1;
                    continue;
                }
            }
            line(tag);
            ++depth;
        }
    }
    return out;
}

}  // namespace omni::host
