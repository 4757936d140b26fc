#include "report_xml.h"

#include <cctype>
#include <pugixml.hpp>

namespace omni::desk {

namespace {

bool IsColour(const std::string& text) {
    if (text.size() != 6) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

ReadReport Fault(std::string why) {
    ReadReport read;
    read.fault = std::move(why);
    return read;
}

}  // namespace

bool IsRedColour(const std::string& colour) { return colour != "000000"; }

ReadReport ReadReportXml(const std::string& xml) {
    pugi::xml_document document;
    // Entities are not expanded beyond XML's own five, and no DOCTYPE is loaded: nothing reaches outside.
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), pugi::parse_default,
                                                               pugi::encoding_utf8);
    if (!parsed) return Fault(std::string("the diagnosis is not well-formed XML (") + parsed.description() + ")");
    int roots = 0;
    for (pugi::xml_node node : document.children())
        if (node.type() == pugi::node_element) ++roots;
    pugi::xml_node root = document.document_element();
    if (roots != 1 || std::string(root.name()) != "diagnosis") return Fault("the document is not one <diagnosis> element");
    ReadReport read;
    int position = 0;
    for (pugi::xml_node group : root.children()) {
        if (group.type() != pugi::node_element) continue;
        if (std::string(group.name()) != "group" || !group.attribute("class"))
            return Fault("the diagnosis holds something other than <group class=\"...\">");
        for (pugi::xml_node item : group.children()) {
            if (item.type() != pugi::node_element) continue;
            if (std::string(item.name()) != "item") return Fault("a group holds something other than <item>");
            pugi::xml_node subject = item.child("subject"), colour = item.child("resultcolor"),
                           result = item.child("resultmsg"), solution = item.child("solutionmsg");
            if (!subject || !colour || !result || !solution)
                return Fault("an item lacks <subject>, <resultcolor>, <resultmsg> or <solutionmsg>");
            StoredItem stored;
            stored.position = position++;
            stored.group = group.attribute("class").value();
            stored.subject = subject.text().get();
            stored.colour = colour.text().get();
            if (!IsColour(stored.colour)) return Fault("an item's <resultcolor> is not six hexadecimal digits");
            for (char& c : stored.colour) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            stored.red = IsRedColour(stored.colour);
            stored.result = result.text().get();
            stored.method = solution.attribute("value").value();
            stored.param = solution.attribute("param").value();
            read.items.push_back(std::move(stored));
        }
    }
    read.wellFormed = true;
    return read;
}

}  // namespace omni::desk
