#include "report_xml.h"

#include <cctype>
#include <set>

#include <pugixml.hpp>

#include "item_keys.h"

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

bool AttributesOnce(pugi::xml_node element) {
    std::set<std::string> names;
    for (pugi::xml_attribute attribute : element.attributes())
        if (!names.insert(attribute.name()).second) return false;
    for (pugi::xml_node child : element.children())
        if (child.type() == pugi::node_element && !AttributesOnce(child)) return false;
    return true;
}

// An item's text as any reader sees it: every piece of text in it, or nothing when it holds markup.
bool PlainText(pugi::xml_node node, std::string& text) {
    text.clear();
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
        else if (child.type() == pugi::node_element) return false;
    }
    return true;
}

}  // namespace

bool IsRedColour(const std::string& colour) { return colour != "000000"; }

ReadReport ReadReportXml(const std::string& xml) {
    pugi::xml_document document;
    // Entities are not expanded beyond XML's own five, and a DOCTYPE is only noted, to be refused: nothing
    // reaches outside. As a fragment, text outside the root stays visible.
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(),
                             pugi::parse_default | pugi::parse_doctype | pugi::parse_declaration | pugi::parse_fragment,
                             pugi::encoding_utf8);
    if (!parsed) return Fault(std::string("the diagnosis is not well-formed XML (") + parsed.description() + ")");
    int roots = 0;
    for (pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_doctype) return Fault("the diagnosis has a DOCTYPE");
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            return Fault("the diagnosis has text outside its root");
        if (node.type() == pugi::node_element) ++roots;
    }
    pugi::xml_node root = document.child("diagnosis");
    if (roots != 1 || !root) return Fault("the document is not one <diagnosis> element");
    if (!AttributesOnce(root)) return Fault("an element has an attribute twice");
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
            const bool plain = PlainText(subject, stored.subject) && PlainText(item.child("lenvmsg"), stored.state) &&
                               PlainText(colour, stored.colour) && PlainText(result, stored.result) &&
                               PlainText(item.child("addition"), stored.addition) &&
                               PlainText(solution, stored.solutionLabel);
            if (!plain) return Fault("an item's text holds markup");
            if (!IsColour(stored.colour)) return Fault("an item's <resultcolor> is not six hexadecimal digits");
            for (char& c : stored.colour) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            stored.red = IsRedColour(stored.colour);
            stored.solutionType = solution.attribute("type").value();
            stored.method = solution.attribute("value").value();
            stored.param = solution.attribute("param").value();
            read.items.push_back(std::move(stored));
        }
    }
    AssignItemKeys(read.items);
    read.wellFormed = true;
    return read;
}

}  // namespace omni::desk
