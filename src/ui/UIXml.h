#pragma once
// A small XML tree for skin files, parsed once per file and kept while the file
// is unchanged (a keyboard panel builds the same item layout many times).
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

struct XmlNode {
    std::string tag;
    std::vector<std::pair<std::string, std::string>> attrs;
    std::vector<XmlNode> children;
    std::string text;
    // Case-insensitive attribute lookup; nullptr when absent.
    const std::string* Attr(std::string_view name) const;
};

// Parses XML text; nullptr (and error filled) when malformed.
std::shared_ptr<const XmlNode> ParseXml(std::string_view xml, std::string* error = nullptr);
// Parses a file (cached by path, size and modification time).
std::shared_ptr<const XmlNode> LoadXmlFile(const std::string& path, std::string* error = nullptr);
void ClearXmlCache();
// A layout given as a res.xml id ("XML_MSG"), a skin-relative file or XML text ('<'...).
std::shared_ptr<const XmlNode> LoadLayoutDoc(std::string_view xml, std::string* error = nullptr);

// Skin-relative path ("XML\\a.xml" or "a.xml") to an absolute one.
std::string ResolveSkinPath(std::string_view file);

} // namespace ui
