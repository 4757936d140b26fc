// The report read back through a DOM parser into plain values that tests can query.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace omni::test {

struct ParsedNode {
    int type = 0;  // DOMNodeType
    std::string name;
    std::string text;  // the text content
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::vector<ParsedNode> children;

    bool HasAttribute(const std::string& attribute) const;
    std::string Attribute(const std::string& attribute) const;  // "" when absent
    std::vector<const ParsedNode*> Elements(const std::string& elementName = "") const;
    const ParsedNode* Element(const std::string& elementName) const;  // the first; null when none
    std::string ChildText(const std::string& elementName) const;
};

struct ParsedReport {
    bool ok = false;
    ParsedNode document;

    // What points into the report lives only as long as the report: a temporary report gives none.
    const ParsedNode* Root() const&;
    const ParsedNode* Root() const&& = delete;
    std::vector<std::string> GroupClasses() const;
    const ParsedNode* Group(const std::string& groupClass) const&;
    const ParsedNode* Group(const std::string& groupClass) const&& = delete;
    std::vector<const ParsedNode*> Items(const std::string& groupClass) const&;
    std::vector<const ParsedNode*> Items(const std::string& groupClass) const&& = delete;
    std::vector<std::string> Subjects(const std::string& groupClass) const;
};

// From text in memory (UTF-8) or from a saved file (read by the parser as its declaration says).
ParsedReport ParseReportText(const std::string& utf8);
ParsedReport ParseReportFile(const std::string& path);

// Text nodes that sit beside element siblings: white space the writer must not produce.
int CountTextBesideElements(const ParsedNode& node);

}  // namespace omni::test
