#include "ui/UIResource.h"

#include "ui/UIBase.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"
#include "ui/UIXml.h"

#include <vector>

namespace ui {

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager instance;
    return instance;
}

bool CResourceManager::LoadResource(const std::string& file) {
    auto doc = LoadXmlFile(ResolveSkinPath(file));
    if (!doc) return false;
    CPaintManagerUI fontHolder; // shared fonts and styles are framework-wide
    for (const XmlNode& n : doc->children) {
        const std::string tag = ToLower(n.tag);
        const std::string* id = n.Attr("id");
        const std::string* path = n.Attr("path");
        if (tag == "xml" && id && path) m_xmls[*id] = *path;
        else if (tag == "image" && id && path) m_images[*id] = *path;
        else if (tag == "style") {
            const std::string* name = n.Attr("name");
            const std::string* value = n.Attr("value");
            if (name && value) fontHolder.AddStyle(*name, *value, true);
        } else if (tag == "font") {
            const std::string* fid = n.Attr("id");
            const std::string* name = n.Attr("name");
            const std::string* size = n.Attr("size");
            auto flag = [&](const char* a) { const std::string* v = n.Attr(a); return v && ParseBool(*v); };
            const int fontSize = size ? ParseInt(*size, 15) : 15;
            const std::string family = name ? *name : std::string();
            if (flag("default"))
                fontHolder.SetDefaultFont(family, fontSize, flag("bold"), flag("underline"), flag("italic"), true);
            if (fid)
                fontHolder.AddFont(ParseInt(*fid, 0), family, fontSize, flag("bold"), flag("underline"), flag("italic"),
                                   true);
        }
    }
    return true;
}

std::string CResourceManager::GetXmlPath(std::string_view id) const {
    auto it = m_xmls.find(id);
    return it == m_xmls.end() ? std::string() : it->second;
}

std::string CResourceManager::GetImagePath(std::string_view id) const {
    auto it = m_images.find(id);
    return it == m_images.end() ? std::string() : it->second;
}

bool CResourceManager::LoadLanguage(const std::string& file) {
    if (file.empty()) return false;
    auto doc = LoadXmlFile(ResolveSkinPath(file));
    if (!doc) return false;
    std::map<std::string, std::string, std::less<>> texts;
    for (const XmlNode& n : doc->children) {
        if (!EqualsNoCase(n.tag, "Text")) continue;
        const std::string* id = n.Attr("id");
        if (!id) continue;
        const std::string* value = n.Attr("value");
        texts[*id] = value ? *value : n.text;
    }
    m_texts = std::move(texts);
    m_languageFile = file;
    return true;
}

std::string CResourceManager::GetText(std::string_view key, std::string_view type) const {
    if (auto it = m_texts.find(key); it != m_texts.end()) return it->second;
    if (m_query) {
        if (auto text = m_query->QueryControlText(key, type)) return *text;
    }
    return std::string(key);
}

bool CResourceManager::HasText(std::string_view key) const { return m_texts.find(key) != m_texts.end(); }

std::string CResourceManager::GetTextWithNumber(std::string_view key, long long n) const {
    return ReplaceFirstNumber(GetText(key), n);
}

void CResourceManager::ReloadText() {
    const std::vector<CControlUI*> controls(m_textControls.begin(), m_textControls.end());
    for (CControlUI* c : controls)
        if (m_textControls.count(c)) c->ReloadText();
}

void CResourceManager::Release() {
    m_xmls.clear();
    m_images.clear();
    m_texts.clear();
    m_language.clear();
    m_languageFile.clear();
    m_query = nullptr;
}

} // namespace ui
