#include "ui/UIXml.h"

#include "ui/UIBase.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

#include <QFileInfo>
#include <QXmlStreamReader>
#include <map>
#include <mutex>

#include "platform/AtomicFile.h"

namespace ui {

const std::string* XmlNode::Attr(std::string_view name) const {
    for (const auto& [n, v] : attrs)
        if (EqualsNoCase(n, name)) return &v;
    return nullptr;
}

std::shared_ptr<const XmlNode> ParseXml(std::string_view xml, std::string* error) {
    QXmlStreamReader r(QByteArray(xml.data(), static_cast<qsizetype>(xml.size())));
    auto root = std::make_shared<XmlNode>();
    std::vector<XmlNode*> stack;
    bool haveRoot = false;
    while (!r.atEnd()) {
        const auto tok = r.readNext();
        if (tok == QXmlStreamReader::StartElement) {
            XmlNode* node;
            if (stack.empty()) {
                if (haveRoot) break;
                haveRoot = true;
                node = root.get();
            } else {
                stack.back()->children.emplace_back();
                node = &stack.back()->children.back();
            }
            node->tag = r.name().toString().toStdString();
            for (const auto& a : r.attributes())
                node->attrs.emplace_back(a.name().toString().toStdString(), a.value().toString().toStdString());
            stack.push_back(node);
        } else if (tok == QXmlStreamReader::EndElement) {
            if (!stack.empty()) stack.pop_back();
        } else if (tok == QXmlStreamReader::Characters && !stack.empty() && !r.isWhitespace()) {
            stack.back()->text += r.text().toString().toStdString();
        }
    }
    if (r.hasError() || !haveRoot) {
        if (error) *error = haveRoot ? r.errorString().toStdString() : "no root element";
        return nullptr;
    }
    return root;
}

namespace {
struct CacheEntry {
    qint64 size = -1;
    qint64 mtime = 0;
    std::shared_ptr<const XmlNode> doc;
};
std::mutex g_mutex;
std::map<std::string, CacheEntry>& Cache() {
    static std::map<std::string, CacheEntry> c;
    return c;
}
} // namespace

std::shared_ptr<const XmlNode> LoadXmlFile(const std::string& path, std::string* error) {
    const QFileInfo fi(QString::fromStdString(path));
    if (!fi.exists()) {
        if (error) *error = "missing file " + path;
        return nullptr;
    }
    const qint64 size = fi.size();
    const qint64 mtime = fi.lastModified().toMSecsSinceEpoch();
    {
        std::lock_guard lock(g_mutex);
        auto it = Cache().find(path);
        if (it != Cache().end() && it->second.size == size && it->second.mtime == mtime) return it->second.doc;
    }
    auto bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        if (error) *error = "cannot read " + path;
        return nullptr;
    }
    auto doc = ParseXml(*bytes, error);
    if (doc) {
        std::lock_guard lock(g_mutex);
        Cache()[path] = CacheEntry{size, mtime, doc};
    }
    return doc;
}

void ClearXmlCache() {
    std::lock_guard lock(g_mutex);
    Cache().clear();
}

std::shared_ptr<const XmlNode> LoadLayoutDoc(std::string_view xml, std::string* error) {
    if (!xml.empty() && xml.front() == '<') return ParseXml(xml, error);
    std::string file = CResourceManager::GetInstance().GetXmlPath(xml);
    if (file.empty()) file = std::string(xml);
    return LoadXmlFile(ResolveSkinPath(file), error);
}

std::string ResolveSkinPath(std::string_view file) {
    std::string rel(file);
    for (char& c : rel) if (c == '\\') c = '/';
    if (!rel.empty() && rel[0] == '/') return rel;
    return CPaintManagerUI::GetResourcePath() + rel;
}

} // namespace ui
