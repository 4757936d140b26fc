// The report laid out one element per line for a person to read, as a page would show it in a
// <pre> element. Include it before the page's own script.

function isBlank(text) {
    for (var i = 0; i < text.length; i++) {
        var c = text.charAt(i);
        if (c != " " && c != "\t" && c != "\r" && c != "\n") return false;
    }
    return true;
}

// The end of the markup that starts at begin ('<'), honouring quoted attribute values; -1 if open.
function markupEnd(xml, begin) {
    var quote = "";
    for (var i = begin + 1; i < xml.length; i++) {
        var c = xml.charAt(i);
        if (quote) {
            if (c == quote) quote = "";
        } else if (c == "\"" || c == "'") {
            quote = c;
        } else if (c == ">") {
            return i;
        }
    }
    return -1;
}

// One element per line, two spaces per level; an element holding only text stays on one line.
function indent(xml) {
    var out = [], depth = 0, pos = 0;
    function line(text) {
        var pad = "";
        for (var d = 0; d < depth; d++) pad += "  ";
        out.push(pad + text + "\n");
    }
    while (pos < xml.length) {
        var open = xml.indexOf("<", pos);
        if (open < 0) {
            if (!isBlank(xml.substring(pos))) line(xml.substring(pos));
            break;
        }
        var text = xml.substring(pos, open);
        if (!isBlank(text)) line(text);
        var close = markupEnd(xml, open);
        if (close < 0) {
            line(xml.substring(open));
            break;
        }
        var tag = xml.substring(open, close + 1);
        pos = close + 1;
        var kind = tag.charAt(1);
        if (kind == "/") {
            depth--;
            line(tag);
        } else if (kind == "?" || kind == "!" || tag.charAt(tag.length - 2) == "/") {
            line(tag);
        } else {
            var next = xml.indexOf("<", pos);
            var end = next > pos && xml.substring(next, next + 2) == "</" ? markupEnd(xml, next) : -1;
            if (end >= 0) {
                line(tag + xml.substring(pos, end + 1));
                pos = end + 1;
            } else {
                line(tag);
                depth++;
            }
        }
    }
    return out.join("");
}
